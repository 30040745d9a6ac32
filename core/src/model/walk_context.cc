// What one conversion carries from paragraph to paragraph, whichever front
// end reads the document: here, the labels of its notes.
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

}  // namespace brindle
