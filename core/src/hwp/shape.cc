// Drawing objects ('gso '): a picture becomes an image placeholder with its
// caption; a text box or group yields the text written inside it.
//
// Beneath the control header, the paragraphs before the shape component
// (HWPTAG_SHAPE_COMPONENT one level down) form the caption; everything
// after it belongs to the shape: its text, its members, and for a picture
// the HWPTAG_SHAPE_COMPONENT_PICTURE record.
#include <algorithm>
#include <string>

#include "brindle/convert.h"
#include "brindle/format.h"
#include "brindle/paragraph_text.h"
#include "brindle/text.h"

namespace brindle {
namespace {

// Append a paragraph's trimmed text to `joined`, separated from what is
// already there; blank paragraphs add nothing.
void append_paragraph(std::string& joined, const HwpRecord& record, char separator) {
    const std::string text = decode_plain_para_text(record.bytes());
    const std::string_view kept = trim(text);
    if (kept.empty()) return;
    if (!joined.empty()) joined.push_back(separator);
    joined.append(kept);
}

}  // namespace

ShapeParse collect_shape(Records records, std::size_t start, std::uint16_t level) {
    const std::size_t n = records.size();
    start = std::min(start, n);
    const std::uint32_t child_level = std::uint32_t{level} + 1;

    // Caption paragraphs, up to the shape component.
    std::string caption;
    std::size_t i = start;
    while (i < n && records[i].level > level) {
        const HwpRecord& r = records[i];
        if (r.level == child_level && r.tag_id == HWPTAG_SHAPE_COMPONENT) break;
        if (r.tag_id == HWPTAG_PARA_TEXT) append_paragraph(caption, r, ' ');
        ++i;
    }
    // Without a shape component the object is unusable; its caption is dropped.
    if (i == n || records[i].level <= level) return {std::nullopt, i - start};

    // The shape's own records, from the one after the component to the end
    // of the control.
    std::string inner;
    bool picture = false;
    std::size_t j = i + 1;
    for (; j < n && records[j].level > level; ++j) {
        const HwpRecord& r = records[j];
        if (r.tag_id == HWPTAG_PARA_TEXT) {
            append_paragraph(inner, r, '\n');
        } else if (r.tag_id == HWPTAG_SHAPE_COMPONENT_PICTURE) {
            // A record too short to hold a picture does not make one; in a
            // group the last picture record decides.
            picture = r.size() >= PICTURE_RECORD_MIN_SIZE;
        }
    }
    const std::size_t consumed = j - start;

    if (picture) return {Image{std::move(caption)}, consumed};
    if (!inner.empty()) return {Paragraph{std::move(inner)}, consumed};
    if (!caption.empty()) return {Paragraph{std::move(caption)}, consumed};
    return {std::nullopt, consumed};
}

}  // namespace brindle
