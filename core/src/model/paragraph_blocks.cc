// A finished paragraph in the block list: its text as a Paragraph block
// (unless it is blank), then the blocks of the objects anchored in it; and
// an object's blocks with its caption on its side.
#include <algorithm>
#include <iterator>
#include <string>
#include <utility>

#include "model/equation_latex.h"
#include "model/paragraph.h"
#include "text.h"

namespace brindle {

void flush_paragraph(const PendingParagraph& paragraph, BlockList& blocks) {
    // Without fields a paragraph's text is its rendering, copied only when
    // it is not blank.
    if (paragraph.para.field_texts.empty()) {
        const std::string& text = paragraph.para.text;
        if (!trim(text).empty()) blocks.emplace_back(std::in_place_type<Paragraph>, text);
        return;
    }
    std::string rendered = render_paragraph(paragraph);
    // Stored untrimmed; assembly trims.
    if (!trim(rendered).empty()) blocks.emplace_back(Paragraph{std::move(rendered), {}});
}

void emit_paragraph(OpenParagraph& paragraph, ParagraphHead&& head, bool headings, TextContext place,
                    BlockList& blocks) {
    if (head.kind == HeadKind::Outline && !headings) head.kind = HeadKind::Number;
    const TextContext context = place == TextContext::Cell       ? TextContext::Cell
                                : head.kind == HeadKind::Outline ? TextContext::Heading
                                                                 : TextContext::Body;
    std::string text;
    append_full_paragraph(text, paragraph, context);
    if (!text.empty()) {
        auto& block =
            std::get<Paragraph>(blocks.emplace_back(std::in_place_type<Paragraph>, std::move(text), std::move(head)));
        block.look = paragraph.look;
        block.origin = headings ? Origin::Body : Origin::Other;
    }
    for (ContentBlock& block : paragraph.controls.trailing) blocks.push_back(std::move(block));
}

void append_equation(OpenParagraph* paragraph, BlockList& out, std::string_view script, bool in_line, Caption caption) {
    std::string latex = equation_to_latex(script);
    if (paragraph != nullptr) {
        in_line = in_line && !trim(paragraph->text.para.text).empty();
        // Every equation takes its anchor's entry, so that the k-th anchor
        // finds the k-th equation.
        paragraph->controls.equations.push_back(in_line ? latex : std::string());
        if (in_line) {
            std::move(caption.blocks.begin(), caption.blocks.end(), std::back_inserter(out));
            return;
        }
    }
    BlockList equation;
    if (!latex.empty()) equation.emplace_back(Equation{std::move(latex), true});
    append_captioned(out, std::move(caption), std::move(equation));
}

void mark_origin(BlockList& blocks, Origin origin) {
    for (ContentBlock& block : blocks) {
        if (auto* paragraph = std::get_if<Paragraph>(&block);
            paragraph != nullptr && paragraph->origin == Origin::Other) {
            paragraph->origin = origin;
        }
    }
}

void append_margin(BlockList& out, std::string label, BlockList blocks) {
    if (blocks.empty()) return;
    out.emplace_back(HeaderFooter{std::move(label), static_cast<std::uint32_t>(blocks.size())});
    std::move(blocks.begin(), blocks.end(), std::back_inserter(out));
}

void append_captioned(BlockList& out, Caption caption, BlockList object) {
    if (!caption.after) std::move(caption.blocks.begin(), caption.blocks.end(), std::back_inserter(out));
    std::move(object.begin(), object.end(), std::back_inserter(out));
    if (caption.after) std::move(caption.blocks.begin(), caption.blocks.end(), std::back_inserter(out));
}

void append_object(BlockList& out, Caption caption, BlockList object) {
    if (object.size() == 1 && std::holds_alternative<Image>(object.front())) {
        std::string& text = std::get<Image>(object.front()).caption;
        for (const ContentBlock& block : caption.blocks) {
            const auto* paragraph = std::get_if<Paragraph>(&block);
            const std::string_view kept = paragraph ? trim(paragraph->text) : std::string_view();
            if (kept.empty()) continue;
            if (!text.empty()) text.push_back(' ');
            text.append(kept);
        }
        std::replace(text.begin(), text.end(), '\n', ' ');
        caption.blocks.clear();
    }
    append_captioned(out, std::move(caption), std::move(object));
}

}  // namespace brindle
