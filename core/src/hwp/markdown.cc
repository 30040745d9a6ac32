// Markdown assembly: every content block becomes its text followed by an
// empty line, all in one buffer whose trailing white space is cut at the end.
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "brindle/convert.h"
#include "brindle/table.h"
#include "brindle/text.h"

namespace brindle {
namespace {

// Separates blocks: the line feed that ends the block's text, then an empty line.
constexpr std::string_view BLOCK_END = "\n\n";

void append_block(std::string& out, const ContentBlock& block) {
    std::visit(
        [&out](const auto& b) {
            using Kind = std::decay_t<decltype(b)>;
            if constexpr (std::is_same_v<Kind, Paragraph>) {
                const std::string_view text = trim(b.text);
                if (text.empty()) return;
                out.append(text);
                out.append(BLOCK_END);
            } else if constexpr (std::is_same_v<Kind, Table>) {
                render_table(out, b);
            } else if constexpr (std::is_same_v<Kind, Equation>) {
                // A display block even when the script is blank.
                out.append("$$\n");
                out.append(trim(b.script));
                out.append("\n$$");
                out.append(BLOCK_END);
            } else {
                static_assert(std::is_same_v<Kind, Image>);
                if (b.caption.empty()) {
                    out.append("[이미지]");
                } else {
                    out.append("[이미지: ");
                    out.append(b.caption);
                    out.push_back(']');
                }
                out.append(BLOCK_END);
            }
        },
        block);
}

}  // namespace

std::string assemble_markdown(BlockList blocks) {
    std::string out;
    for (const ContentBlock& block : blocks) append_block(out, block);
    out.resize(trim_end(out).size());
    return out;
}

}  // namespace brindle
