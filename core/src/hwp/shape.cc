// Drawing objects ('gso '): a picture becomes an image placeholder with its
// caption; a text box or group yields the text written inside it.
//
// Beneath the control header, the paragraphs before the shape component
// (HWPTAG_SHAPE_COMPONENT one level down) form the caption; everything
// after it belongs to the shape: its text, its members (a group's members
// are shape components of their own, nested to any depth, each with its
// records beneath it), and for a picture the HWPTAG_SHAPE_COMPONENT_PICTURE
// record.
//
// The exact rules take every paragraph text record at any depth and join
// the non-blank ones, and one picture record makes the whole object a
// picture. The full profile reads the object's records in order: each
// picture record is a picture, and each paragraph list (a text box's, a
// member's) is walked as the body is walked, so a group shows every
// member's picture and text, and a text box keeps its paragraphs, numbers
// and bullets. The caption stands on its side of the object; a lone
// picture keeps it in its placeholder.
#include <algorithm>
#include <string>
#include <utility>

#include "hwp/caption.h"
#include "hwp/format.h"
#include "hwp/paragraph_text.h"
#include "hwp/shape.h"
#include "hwp/walk.h"
#include "text.h"

namespace brindle {
namespace {

// Append a paragraph's trimmed text to `joined`, separated from what is
// already there; blank paragraphs add nothing.
void append_paragraph(std::string& joined, std::string_view text, char separator) {
    const std::string_view kept = trim(text);
    if (kept.empty()) return;
    if (!joined.empty()) joined.push_back(separator);
    joined.append(kept);
}

// A record too short to hold a picture does not make one.
bool is_picture(const HwpRecord& r) {
    return r.tag_id == HWPTAG_SHAPE_COMPONENT_PICTURE && r.size() >= PICTURE_RECORD_MIN_SIZE;
}

// The index of the object's shape component (one level below the header),
// or of the record that ends the control when it has none.
std::size_t find_component(Records records, std::size_t i, std::uint16_t level) {
    const std::uint32_t child_level = std::uint32_t{level} + 1;
    while (i < records.size() && records[i].level > level) {
        if (records[i].level == child_level && records[i].tag_id == HWPTAG_SHAPE_COMPONENT) break;
        ++i;
    }
    return i;
}

ShapeParse collect_exact(Records records, std::size_t start, std::uint16_t level) {
    const std::size_t n = records.size();
    std::string caption;
    const std::size_t component = find_component(records, start, level);
    for (std::size_t i = start; i < component; ++i) {
        if (records[i].tag_id == HWPTAG_PARA_TEXT) {
            append_paragraph(caption, decode_plain_para_text(records[i].bytes()), ' ');
        }
    }
    // Without a shape component the object is unusable; its caption is dropped.
    if (component >= n || records[component].level <= level) return {{}, component - start};

    std::string inner;
    bool picture = false;
    std::size_t j = component + 1;
    for (; j < n && records[j].level > level; ++j) {
        const HwpRecord& r = records[j];
        // In a group the last picture record decides.
        if (r.tag_id == HWPTAG_SHAPE_COMPONENT_PICTURE) picture = is_picture(r);
        if (r.tag_id == HWPTAG_PARA_TEXT) append_paragraph(inner, decode_plain_para_text(r.bytes()), '\n');
    }
    ShapeParse result{{}, j - start};
    if (picture) {
        result.blocks.emplace_back(Image{std::move(caption)});
    } else if (!inner.empty()) {
        result.blocks.emplace_back(Paragraph{std::move(inner), {}});
    } else if (!caption.empty()) {
        result.blocks.emplace_back(Paragraph{std::move(caption), {}});
    }
    return result;
}

ShapeParse collect_full(Records records, std::size_t start, std::uint16_t level, WalkContext& context,
                        TextContext place) {
    const std::size_t n = records.size();
    const std::uint32_t child_level = std::uint32_t{level} + 1;
    Caption caption;
    bool captioned = false;
    std::size_t i = start;
    while (i < n && records[i].level > level) {
        const HwpRecord& r = records[i];
        if (r.level == child_level && r.tag_id == HWPTAG_SHAPE_COMPONENT) break;
        if (r.level == child_level && r.tag_id == HWPTAG_LIST_HEADER && !captioned) {
            captioned = true;
            i = take_caption(records, i, caption, context, place);
            continue;
        }
        ++i;
    }
    if (i >= n || records[i].level <= level) return {{}, i - start};

    // The object's records in order, its members' included.
    BlockList object;
    std::size_t j = i + 1;
    while (j < n && records[j].level > level) {
        const HwpRecord& r = records[j];
        if (is_picture(r)) {
            // The picture's binary-data item, as its key.
            std::string key;
            append_decimal(key, read_u16(r.bytes(), PICTURE_BIN_ITEM_OFFSET));
            object.emplace_back(picture_block(context, key, place));
        }
        if (r.tag_id == HWPTAG_LIST_HEADER) {
            j = walk_paragraph_list(records, j + 1, r.level, object, context, place);
            continue;
        }
        ++j;
    }
    ShapeParse result{{}, j - start};

    append_object(result.blocks, std::move(caption), std::move(object));
    return result;
}

}  // namespace

ShapeParse collect_shape(Records records, std::size_t start, std::uint16_t level, WalkContext& context,
                         TextContext place) {
    start = std::min(start, records.size());
    if (context.full()) return collect_full(records, start, level, context, place);
    return collect_exact(records, start, level);
}

}  // namespace brindle
