// Captions of tables, equations and drawing objects: a HWPTAG_LIST_HEADER
// one level below the control header, before the object's own records,
// whose attributes name the side of the object it stands on.
#include "hwp/caption.h"
#include "hwp/format.h"
#include "hwp/walk.h"

namespace brindle {

std::size_t take_caption(Records records, std::size_t header, Caption& caption, WalkContext& context,
                         TextContext place) {
    const HwpRecord& r = records[header];
    const std::uint32_t side = read_u32_or(r.bytes(), LIST_OWNER_OFFSET, CAPTION_BOTTOM) & CAPTION_SIDE_MASK;
    caption.after = side == CAPTION_RIGHT || side == CAPTION_BOTTOM;
    return walk_paragraph_list(records, header + 1, r.level, caption.blocks, context, place);
}

}  // namespace brindle
