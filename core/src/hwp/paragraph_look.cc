// A paragraph's look: its header names its paragraph shape and style; its
// character shapes are runs of the text, each from a position to the next
// one's (the last to the text's end), of which the longest run's shape is
// the one the reader sees most.
#include "hwp/paragraph_look.h"

#include <algorithm>

#include "hwp/format.h"

namespace brindle {

ParagraphLook read_paragraph_look(const HwpRecord* header, const HwpRecord* char_shapes) {
    ParagraphLook look;
    std::uint32_t length = 0;
    if (header != nullptr) {
        const Bytes payload = header->bytes();
        length = read_u32_or(payload, 0, 0) & PARA_HEADER_LENGTH_MASK;
        look.paragraph_shape = read_u16_or(payload, PARA_HEADER_SHAPE_OFFSET, ParagraphLook::NONE);
        if (payload.size() > PARA_HEADER_STYLE_OFFSET) look.style = payload[PARA_HEADER_STYLE_OFFSET];
    }
    if (char_shapes == nullptr) return look;
    const Bytes runs = char_shapes->bytes();
    const std::size_t count = runs.size() / PARA_CHAR_SHAPE_ENTRY_SIZE;
    std::uint32_t longest = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t at = k * PARA_CHAR_SHAPE_ENTRY_SIZE;
        const std::uint32_t start = read_u32(runs, at);
        const std::uint32_t end =
            k + 1 < count ? read_u32(runs, at + PARA_CHAR_SHAPE_ENTRY_SIZE) : std::max(length, start + 1);
        const std::uint32_t run = end > start ? end - start : 0;
        // The first run counts even when the positions say nothing of its length.
        if (run > longest || look.character_shape == ParagraphLook::NONE) {
            longest = run;
            look.character_shape = static_cast<std::uint16_t>(std::min<std::uint32_t>(read_u32(runs, at + 4), 0xFFFF));
        }
    }
    return look;
}

}  // namespace brindle
