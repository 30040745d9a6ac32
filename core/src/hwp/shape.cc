// Drawing objects ('gso '): a picture becomes an image placeholder with its
// caption; a text box or group yields the text written inside it.
//
// Beneath the control header, the paragraphs before the shape component
// (HWPTAG_SHAPE_COMPONENT one level down) form the caption; everything
// after it belongs to the shape: its text, its members, and for a picture
// the HWPTAG_SHAPE_COMPONENT_PICTURE record. The exact rules take every
// paragraph text record at any depth and join the non-blank ones; the full
// profile walks each paragraph list (a HWPTAG_LIST_HEADER and its
// paragraphs) as the body is walked, so a text box keeps its paragraphs,
// numbers and bullets.
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
void append_paragraph(std::string& joined, std::string_view text, char separator) {
    const std::string_view kept = trim(text);
    if (kept.empty()) return;
    if (!joined.empty()) joined.push_back(separator);
    joined.append(kept);
}

// The paragraphs of a list, the caption's or the shape's: appended as text
// (exact) or walked into blocks (full). Returns the index after the record.
std::size_t take_paragraphs(Records records, std::size_t i, std::string& text, char separator, BlockList& blocks,
                            WalkContext& context) {
    const HwpRecord& r = records[i];
    if (!context.full()) {
        if (r.tag_id == HWPTAG_PARA_TEXT) append_paragraph(text, decode_plain_para_text(r.bytes()), separator);
        return i + 1;
    }
    if (r.tag_id != HWPTAG_LIST_HEADER) return i + 1;
    return walk_paragraph_list(records, i + 1, r.level, blocks, context);
}

}  // namespace

ShapeParse collect_shape(Records records, std::size_t start, std::uint16_t level, WalkContext& context) {
    const std::size_t n = records.size();
    start = std::min(start, n);
    const std::uint32_t child_level = std::uint32_t{level} + 1;

    // Caption paragraphs, up to the shape component.
    std::string caption;
    BlockList caption_blocks;
    std::size_t i = start;
    while (i < n && records[i].level > level) {
        const HwpRecord& r = records[i];
        if (r.level == child_level && r.tag_id == HWPTAG_SHAPE_COMPONENT) break;
        i = take_paragraphs(records, i, caption, ' ', caption_blocks, context);
    }
    // Without a shape component the object is unusable; its caption is dropped.
    if (i >= n || records[i].level <= level) return {{}, i - start};

    // The shape's own records, from the one after the component to the end
    // of the control.
    std::string inner;
    BlockList inner_blocks;
    bool picture = false;
    std::size_t j = i + 1;
    while (j < n && records[j].level > level) {
        const HwpRecord& r = records[j];
        if (r.tag_id == HWPTAG_SHAPE_COMPONENT_PICTURE) {
            // A record too short to hold a picture does not make one; in a
            // group the last picture record decides.
            picture = r.size() >= PICTURE_RECORD_MIN_SIZE;
            ++j;
            continue;
        }
        j = take_paragraphs(records, j, inner, '\n', inner_blocks, context);
    }
    ShapeParse result{{}, j - start};

    if (context.full()) {
        // A picture's caption is its paragraphs' text on one line.
        for (const ContentBlock& block : caption_blocks) {
            if (const auto* paragraph = std::get_if<Paragraph>(&block)) append_paragraph(caption, paragraph->text, ' ');
        }
        if (picture) {
            std::replace(caption.begin(), caption.end(), '\n', ' ');
            result.blocks.emplace_back(Image{std::move(caption)});
        } else {
            result.blocks = inner_blocks.empty() ? std::move(caption_blocks) : std::move(inner_blocks);
        }
        return result;
    }
    if (picture) {
        result.blocks.emplace_back(Image{std::move(caption)});
    } else if (!inner.empty()) {
        result.blocks.emplace_back(Paragraph{std::move(inner), {}});
    } else if (!caption.empty()) {
        result.blocks.emplace_back(Paragraph{std::move(caption), {}});
    }
    return result;
}

}  // namespace brindle
