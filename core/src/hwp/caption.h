// The caption of a table, equation or drawing object: a paragraph list
// with the side of the object it stands on.
#pragma once

#include <cstddef>

#include "hwp/record.h"
#include "model/markdown_escape.h"
#include "model/paragraph.h"
#include "model/walk_context.h"

namespace brindle {

// Read the caption whose HWPTAG_LIST_HEADER is at `header` (its side, then
// its paragraphs); returns the index after them.
std::size_t take_caption(Records records, std::size_t header, Caption& caption, WalkContext& context,
                         TextContext place);

}  // namespace brindle
