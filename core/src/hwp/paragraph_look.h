// How an HWP paragraph looks, by the definitions its records name.
#pragma once

#include "hwp/record.h"
#include "model/content_block.h"

namespace brindle {

// The look of the paragraph whose HWPTAG_PARA_HEADER is `header` and whose
// HWPTAG_PARA_CHAR_SHAPE is `char_shapes` (either may be null): its
// paragraph shape and style, and the character shape the most of its text
// has.
ParagraphLook read_paragraph_look(const HwpRecord* header, const HwpRecord* char_shapes);

}  // namespace brindle
