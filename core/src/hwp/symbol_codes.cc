// The text's code units are walked as the decoder walks them (a control's
// eight units passed over whole), each symbol code looked up in the
// character shape of the run it stands in: a run begins at its position
// (in code units) and lasts to the next run's.
#include "hwp/symbol_codes.h"

#include <optional>

#include "hwp/format.h"
#include "hwp/paragraph_text.h"
#include "model/symbol_fonts.h"
#include "text.h"

namespace brindle {
namespace {

// The character shape at a position of the text, for positions met in order.
class ShapeRuns {
public:
    explicit ShapeRuns(const HwpRecord* char_shapes)
        : runs_(char_shapes != nullptr ? char_shapes->bytes() : Bytes()),
          count_(runs_.size() / PARA_CHAR_SHAPE_ENTRY_SIZE) {}

    std::uint32_t at(std::size_t position) {
        while (next_ < count_ && read_u32(runs_, next_ * PARA_CHAR_SHAPE_ENTRY_SIZE) <= position) {
            shape_ = read_u32(runs_, next_ * PARA_CHAR_SHAPE_ENTRY_SIZE + 4);
            ++next_;
        }
        return shape_;
    }

private:
    Bytes runs_;
    std::size_t count_;
    std::size_t next_ = 0;
    std::uint32_t shape_ = 0;  // before the first run: the first run's, read at position 0
};

// The paragraph's HWPTAG_PARA_CHAR_SHAPE among the records that follow its
// text record `records[i]`, at the text's level; null when there is none.
const HwpRecord* following_char_shapes(Records records, std::size_t i) {
    const std::uint16_t level = records[i].level;
    for (std::size_t j = i + 1; j < records.size() && records[j].level >= level; ++j) {
        if (records[j].level != level) continue;
        if (records[j].tag_id == HWPTAG_PARA_CHAR_SHAPE) return &records[j];
        if (records[j].tag_id == HWPTAG_PARA_TEXT || records[j].tag_id == HWPTAG_PARA_HEADER ||
            records[j].tag_id == HWPTAG_CTRL_HEADER) {
            break;
        }
    }
    return nullptr;
}

void put_unit(ByteBuffer& out, char32_t u) {
    out.push_back(static_cast<std::uint8_t>(u & 0xFF));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
}

// The payload of the text record `records[i]` with its symbol codes
// replaced; nothing when none has a character to be replaced by.
std::optional<ByteBuffer> replace_symbol_codes(Records records, std::size_t i, const Definitions& definitions) {
    const Bytes text = records[i].bytes();
    ShapeRuns runs(following_char_shapes(records, i));
    ByteBuffer out;
    out.reserve(text.size() + 16);
    const std::size_t units = text.size() / 2;
    bool replaced = false;
    // The font of the last shape asked for: runs of one shape hold symbols one after another.
    std::uint32_t known_shape = 0xFFFFFFFF;
    SymbolFont font = SymbolFont::None;
    for (std::size_t m = 0; m < units;) {
        const std::uint16_t u = read_u16(text, 2 * m);
        if (u < 32 && !is_char_control(u)) {
            const std::size_t end = std::min(units, m + CONTROL_UNITS);
            out.insert(out.end(), text.begin() + static_cast<std::ptrdiff_t>(2 * m),
                       text.begin() + static_cast<std::ptrdiff_t>(2 * end));
            m = end;
            continue;
        }
        char32_t c = u;
        if (is_symbol_code(u)) {
            const std::uint32_t shape = runs.at(m);
            if (shape != known_shape) {
                known_shape = shape;
                font = symbol_font_of(definitions, static_cast<std::uint16_t>(std::min<std::uint32_t>(shape, 0xFFFF)));
            }
            if (const char32_t symbol = symbol_character(font, u)) {
                c = symbol;
                replaced = true;
            }
        }
        if (c >= 0x10000) {
            put_unit(out, 0xD800 + ((c - 0x10000) >> 10));
            put_unit(out, 0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            put_unit(out, c);
        }
        ++m;
    }
    if (!replaced) return std::nullopt;
    return out;
}

}  // namespace

ParagraphText decode_symbol_text(Records records, std::size_t i, WalkContext& context) {
    if (const std::optional<ByteBuffer> symbols = replace_symbol_codes(records, i, context.definitions)) {
        return decode_para_text(*symbols, context.profile, std::move(context.spare_text));
    }
    return decode_para_text(records[i].bytes(), context.profile, std::move(context.spare_text));
}

}  // namespace brindle
