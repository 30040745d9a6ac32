// The full profile's HWP paragraphs: the number or bullet its header names,
// and the controls that add to it (notes, links, numbers, headers).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hwp/format.h"
#include "hwp/record.h"
#include "model/content_block.h"
#include "model/paragraph.h"
#include "model/walk_context.h"

namespace brindle {

// The number or bullet of the paragraph whose header is `header` (none
// for null), advancing its numbering's counters. Inline: it is read for
// every paragraph, and most have none.
inline ParagraphHead read_paragraph_head(const HwpRecord* header, WalkContext& context) {
    if (header == nullptr) return {};
    const Bytes payload = header->bytes();
    if (payload.size() <= PARA_HEADER_STYLE_OFFSET) return {};
    return context.numbering.head(read_u16(payload, PARA_HEADER_SHAPE_OFFSET), payload[PARA_HEADER_STYLE_OFFSET],
                                  context.outline_numbering);
}

// A control that adds to its paragraph instead of yielding a block of its
// own: a footnote or endnote (its content becomes a note definition), a
// hyperlink, an automatic number, a section definition (its outline
// numbering), and a header or footer (its blocks go to `out` after a
// HeaderFooter block when `margins`, the list being the body's; else to the
// context's hoisted margins). Returns the index after the control's
// records, or nothing for any other control. `controls` may be null (no
// paragraph is open); the control is then read but adds to nothing.
std::optional<std::size_t> take_paragraph_control(Records records, std::size_t header, ParagraphControls* controls,
                                                  BlockList& out, WalkContext& context, bool margins);

// The target of a hyperlink field from its control header's command.
std::string read_link_target(Bytes header_payload);

}  // namespace brindle
