// Paragraph numbers and bullets as the word processor shows them: each
// numbering keeps one counter per level across the document; a numbered
// paragraph advances its level's counter and starts the deeper levels over,
// and its number is its level's format with "^1" .. "^7" replaced by the
// counters of those levels, each written in its level's number shape.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/definitions.h"

namespace brindle {

// Number shapes, as numberings, notes and automatic numbers store them.
// clang-format off
enum NumberShape : std::uint8_t {
    SHAPE_DIGITS = 0,            // 1, 2, 3
    SHAPE_CIRCLED_DIGITS = 1,    // ①, ②, ③
    SHAPE_ROMAN_UPPER = 2,       // I, II, III
    SHAPE_ROMAN_LOWER = 3,       // i, ii, iii
    SHAPE_LATIN_UPPER = 4,       // A, B, C
    SHAPE_LATIN_LOWER = 5,       // a, b, c
    SHAPE_CIRCLED_LATIN_UPPER = 6,
    SHAPE_CIRCLED_LATIN_LOWER = 7,
    SHAPE_HANGUL_SYLLABLE = 8,   // 가, 나, 다
    SHAPE_CIRCLED_HANGUL_SYLLABLE = 9,
    SHAPE_HANGUL_JAMO = 10,      // ㄱ, ㄴ, ㄷ
    SHAPE_CIRCLED_HANGUL_JAMO = 11,
    SHAPE_HANGUL_NUMERAL = 12,   // 일, 이, 삼
    SHAPE_HANJA_NUMERAL = 13,    // 一, 二, 三
    SHAPE_CIRCLED_HANJA = 14,    // ㊀, ㊁, ㊂
    SHAPE_HEAVENLY_STEM = 15,    // 갑, 을, 병
    SHAPE_HEAVENLY_STEM_HANJA = 16,  // 甲, 乙, 丙
};
// clang-format on

// `value` written in `shape` (UTF-8). Shapes that run out of characters
// (circled digits past 50, Roman numerals past 3999, letters past ten
// repetitions) fall back to digits; cyclic ones (가나다, 갑을병) start over.
void append_number(std::string& out, std::uint32_t value, std::uint8_t shape);

// The number or bullet that stands before one paragraph.
struct ParagraphHead {
    HeadKind kind = HeadKind::None;
    std::uint8_t level = 0;  // outline and numbering level, 0-6
    std::string number;      // as the reader sees it ("1.", "가.", "(1)"); empty for bullets
    char32_t bullet = 0;     // a bullet's character, 0 if unknown
};

// The counters of one document's numberings, advanced paragraph by
// paragraph in reading order.
class ParagraphNumbering {
public:
    explicit ParagraphNumbering(const Definitions& definitions) : definitions_(&definitions) {}

    // The head of a paragraph whose header names `para_shape` and `style`;
    // outline paragraphs are numbered by the section's `outline_numbering`.
    // Numbered and outline paragraphs advance their counters.
    // Most paragraphs have no head: that is told here, where the caller
    // has it, and only a head is made in a call of its own.
    ParagraphHead head(std::uint16_t para_shape, std::uint8_t style, std::uint16_t outline_numbering) {
        const ParagraphShape* shape = shape_of(para_shape, style);
        if (shape == nullptr || shape->head == HeadKind::None) return {};
        return head_of(*shape, outline_numbering);
    }

private:
    using Counters = std::array<std::uint32_t, NUMBERING_LEVELS>;
    // The shape `para_shape` names; past the list, the one `style` names.
    const ParagraphShape* shape_of(std::uint16_t para_shape, std::uint8_t style) const {
        const std::vector<ParagraphShape>& shapes = definitions_->paragraph_shapes;
        if (para_shape < shapes.size()) return &shapes[para_shape];
        if (style < definitions_->styles.size() && definitions_->styles[style].paragraph_shape < shapes.size()) {
            return &shapes[definitions_->styles[style].paragraph_shape];
        }
        return nullptr;
    }
    ParagraphHead head_of(const ParagraphShape& shape, std::uint16_t outline_numbering);
    std::string number(const Numbering& numbering, Counters& counters, std::size_t level);

    const Definitions* definitions_;
    // Indexed by numbering; outline paragraphs count apart from numbered ones.
    std::vector<Counters> numbered_;
    std::vector<Counters> outline_;
};

}  // namespace brindle
