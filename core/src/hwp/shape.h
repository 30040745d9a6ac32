// Drawing-object controls ('gso '): pictures, text boxes, and the members
// of groups.
#pragma once

#include <cstddef>
#include <cstdint>

#include "hwp/record.h"
#include "model/content_block.h"
#include "model/markdown_escape.h"
#include "model/walk_context.h"

namespace brindle {

struct ShapeParse {
    // By the exact rules an Image or the object's text as one Paragraph; by
    // the full profile every picture and paragraph list of the object and
    // its members, in their order, with the caption on its side.
    BlockList blocks;
    std::size_t consumed = 0;
};
ShapeParse collect_shape(Records records, std::size_t start, std::uint16_t level, WalkContext& context,
                         TextContext place = TextContext::Body);
inline ShapeParse collect_shape(Records records, std::size_t start, std::uint16_t level) {
    WalkContext context;
    return collect_shape(records, start, level, context);
}

}  // namespace brindle
