// What a body paragraph's records say of the layout the document was last
// saved with (full profile): the breaks its header names, its line
// segments, and among its controls the column and page definitions and
// the objects' heights. The pages are counted in the model.
#pragma once

#include <cstddef>
#include <cstdint>

#include "hwp/record.h"
#include "model/pages.h"

namespace brindle {

// The page and column breaks of a HWPTAG_PARA_HEADER.
void read_paragraph_breaks(const HwpRecord& header, ParagraphLayout& layout);

// The segments of a HWPTAG_PARA_LINE_SEG; a partial entry at its end is
// passed over.
void read_line_segments(const HwpRecord& line_segments, ParagraphLayout& layout);

// The control header records[i], of control `id`, anchored in the
// paragraph: a column definition opens a column region, a section
// definition gives the section's body height (from its page definition,
// among the records under it), a table, drawing or equation its height.
void read_layout_control(Records records, std::size_t i, std::uint32_t id, ParagraphLayout& layout, PageMarker& pages);

}  // namespace brindle
