// What one conversion carries from paragraph to paragraph, whichever front
// end reads the document: here, the labels of its notes and the image
// blocks of its pictures.
#include "brindle/walk_context.h"

#include "brindle/text.h"

namespace brindle {

std::string WalkContext::note_label(bool endnote, std::uint32_t number) {
    std::string label = endnote ? "e" : "";
    append_decimal(label, number);
    const std::uint32_t uses = ++labels_used_[label];
    if (uses > 1) {
        label.push_back('-');
        append_decimal(label, uses);
    }
    return label;
}

Image picture_block(WalkContext& context, std::string_view key, TextContext place) {
    Image image;
    if (context.pictures == nullptr) return image;
    const ShownPicture& shown = context.pictures->show(key);
    image.target = shown.target;
    if (!shown.linked_path.empty()) {
        append_markdown_text(image.linked_path, shown.linked_path, EscapeRules{place, false, false, true});
    }
    return image;
}

}  // namespace brindle
