// What one conversion carries from paragraph to paragraph, whichever front
// end reads the document: here, the labels of its notes and the image
// blocks of its pictures.
#include "model/walk_context.h"

#include <algorithm>

#include "text.h"

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

void WalkContext::warn_once(std::string message) {
    if (std::find(warnings.begin(), warnings.end(), message) == warnings.end()) warnings.push_back(std::move(message));
}

void WalkContext::warn_lists_too_deep() {
    warn_once("paragraph lists nested more than " + std::to_string(MAX_LIST_DEPTH) +
              " deep (in text boxes, notes, cells) are passed over");
}

void WalkContext::warn_tables_too_deep() {
    warn_once("tables nested more than " + std::to_string(MAX_TABLE_DEPTH) + " deep in cells are passed over");
}

void record_form_field(WalkContext& context, const PendingParagraph& paragraph) {
    if (paragraph.fields.empty()) return;
    const std::size_t k = paragraph.fields.size() - 1;
    const ClickHereField& field = paragraph.fields[k];
    const std::string& content = paragraph.para.field_texts[k];
    // The same test as the rendering's: content equal to the guide text is
    // the word processor's placeholder unless the user changed it.
    const bool placeholder = !field.modified && (field.direction.empty() || content == field.direction);
    FormField& recorded = context.fields.emplace_back(FormField{field.name, field.direction, std::nullopt});
    if (!content.empty() && !placeholder) recorded.value = content;
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
