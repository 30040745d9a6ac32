// Full profile: a paragraph's text with the codes of symbol fonts (U+F020
// to U+F0FF set in Symbol, the Wingdings or Webdings) replaced by the
// characters they stand for, by the character shapes of the text's runs.
#pragma once

#include <cstring>

#include "brindle/bytes.h"
#include "hwp/paragraph_text.h"
#include "hwp/record.h"
#include "model/paragraph.h"
#include "model/symbol_fonts.h"
#include "model/walk_context.h"

namespace brindle {

// Whether UTF-16LE text holds a symbol code. Their high byte is 0xF0, which
// Hangul and Latin text hardly ever hold: memchr finds the candidates, the
// unit around each decides. (Inline, as decode_text_record: every paragraph
// of the full profile is searched, and hardly any holds one.)
inline bool holds_symbol_codes(Bytes text) {
    const std::size_t even = text.size() & ~std::size_t{1};
    const std::uint8_t* const begin = text.data();
    for (const std::uint8_t* at = begin + 1; at < begin + even;) {
        const void* found = std::memchr(at, 0xF0, static_cast<std::size_t>(begin + even - at));
        if (found == nullptr) return false;
        const std::size_t offset = static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - begin);
        if (offset % 2 == 1 && is_symbol_code(read_u16(text, offset - 1))) return true;
        at = begin + offset + 1;
    }
    return false;
}

// decode_text_record for a text that holds_symbol_codes: its symbol codes
// replaced by the runs of the paragraph's HWPTAG_PARA_CHAR_SHAPE (looked for
// among the records after it).
ParagraphText decode_symbol_text(Records records, std::size_t i, WalkContext& context);

// The text record `records[i]` decoded into a paragraph's text by the
// context's profile, the full profile's with its symbol codes replaced.
inline ParagraphText decode_text_record(Records records, std::size_t i, WalkContext& context) {
    const Bytes text = records[i].bytes();
    if (context.full() && holds_symbol_codes(text)) return decode_symbol_text(records, i, context);
    return decode_para_text(text, context.profile, std::move(context.spare_text));
}

}  // namespace brindle
