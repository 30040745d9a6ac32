// The layout fields of a body paragraph's records, each read where it is
// met by the walk and checked against the record's length first.
#include "hwp/page_layout.h"

#include <algorithm>
#include <limits>

#include "hwp/format.h"

namespace brindle {
namespace {

// The page's height inside its margins, from a HWPTAG_PAGE_DEF long enough
// to hold the footer's margin (a writer may leave the properties out).
std::int64_t body_height(Bytes page) {
    const bool turned = (read_u32_or(page, PAGE_DEF_PROPERTIES_OFFSET, 0) & PAGE_DEF_LANDSCAPE) != 0;
    const std::int64_t height = read_u32(page, turned ? PAGE_DEF_WIDTH_OFFSET : PAGE_DEF_HEIGHT_OFFSET);
    return height - read_u32(page, PAGE_DEF_TOP_OFFSET) - read_u32(page, PAGE_DEF_BOTTOM_OFFSET) -
           read_u32(page, PAGE_DEF_HEADER_OFFSET) - read_u32(page, PAGE_DEF_FOOTER_OFFSET);
}

}  // namespace

void read_paragraph_breaks(const HwpRecord& header, ParagraphLayout& layout) {
    const Bytes bytes = header.bytes();
    if (bytes.size() <= PARA_HEADER_BREAKS_OFFSET) return;
    const std::uint8_t breaks = bytes[PARA_HEADER_BREAKS_OFFSET];
    layout.page_break = (breaks & PARA_BREAK_PAGE) != 0;
    layout.column_break = (breaks & PARA_BREAK_COLUMN) != 0;
}

void read_line_segments(const HwpRecord& line_segments, ParagraphLayout& layout) {
    const Bytes bytes = line_segments.bytes();
    const std::size_t count = bytes.size() / LINE_SEG_ENTRY_SIZE;
    layout.lines.clear();
    layout.lines.reserve(count);  // the buffer is reused from paragraph to paragraph
    const std::uint8_t* entry = bytes.data();
    for (std::size_t k = 0; k < count; ++k, entry += LINE_SEG_ENTRY_SIZE) {
        layout.lines.push_back(LineSegment{static_cast<std::int32_t>(load_u32(entry + LINE_SEG_TOP_OFFSET)),
                                           static_cast<std::int32_t>(load_u32(entry + LINE_SEG_HEIGHT_OFFSET)),
                                           load_u32(entry + LINE_SEG_FLAGS_OFFSET)});
    }
}

void read_layout_control(Records records, std::size_t i, std::uint32_t id, ParagraphLayout& layout, PageMarker& pages) {
    const Bytes payload = records[i].bytes();
    switch (id) {
        case CTRL_COLUMNS:
            if (payload.size() >= COLUMNS_PROPERTIES_OFFSET + 2) {
                const auto count = static_cast<std::uint16_t>(
                    (read_u16(payload, COLUMNS_PROPERTIES_OFFSET) >> COLUMNS_COUNT_SHIFT) & COLUMNS_COUNT_MASK);
                layout.columns = std::max<std::uint16_t>(count, 1);
            }
            break;
        case CTRL_SECTION: {
            // Its page definition is one level below it, among the records
            // of its subtree.
            const std::uint16_t level = records[i].level;
            for (std::size_t j = i + 1; j < records.size() && records[j].level > level; ++j) {
                const HwpRecord& r = records[j];
                if (r.tag_id == HWPTAG_PAGE_DEF && r.level == level + 1 && r.size() >= PAGE_DEF_FOOTER_OFFSET + 4) {
                    pages.set_body_height(body_height(r.bytes()));
                    break;
                }
            }
            break;
        }
        case CTRL_TABLE:
        case CTRL_DRAWING:
        case CTRL_EQUATION:
            if (payload.size() >= OBJECT_HEIGHT_OFFSET + 4) {
                const std::uint32_t height = std::min<std::uint32_t>(read_u32(payload, OBJECT_HEIGHT_OFFSET),
                                                                     std::numeric_limits<std::int32_t>::max());
                layout.tallest_object = std::max(layout.tallest_object, static_cast<std::int32_t>(height));
            }
            break;
        default: break;
    }
}

}  // namespace brindle
