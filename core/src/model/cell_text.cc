// A table cell's text by the full profile and the exact rules: its
// paragraphs, and what its nested tables and drawing objects add, joined
// into one run of text.
#include "model/cell_text.h"

#include <string>
#include <variant>

#include "model/markdown.h"
#include "text.h"

namespace brindle {
namespace {

// Append `text` to a cell's text, after `separator` when it is not empty.
void append_part(std::string& cell_text, std::string_view text, std::string_view separator) {
    if (text.empty()) return;
    if (!cell_text.empty()) cell_text.append(separator);
    cell_text.append(text);
}

// What stands before a numbered or bulleted paragraph inside a cell, where
// there are no lists: its number, or its bullet character (a private-use
// symbol-font character becomes "•").
std::string inline_head(const ParagraphHead& head) {
    if (head.kind == HeadKind::Bullet) {
        std::string bullet;
        const char32_t c = head.bullet;
        const bool shown = c >= 0x20 && !(c >= 0xE000 && c <= 0xF8FF) && !is_high_surrogate(c) && !is_low_surrogate(c);
        append_utf8(bullet, shown ? c : U'•');
        return bullet;
    }
    std::string number;
    append_markdown_text(number, head.number, EscapeRules{TextContext::Cell, false, false, false, ' '});
    return number;
}

}  // namespace

void fold_nested_table(const Table& nested, std::string& cell_text) {
    for (const auto& row : nested.rows) {
        for (const TableCell& cell : row) append_part(cell_text, cell.text, " ");
    }
}

void append_cell_paragraph(std::string& cell_text, const OpenParagraph& paragraph, const ParagraphHead& head) {
    // Written in place: a break if the cell has text, the head, the text;
    // all taken back if the paragraph turns out blank.
    const std::size_t before = cell_text.size();
    if (!cell_text.empty()) cell_text.append(CELL_LINE_BREAK);
    if (head.kind != HeadKind::None) {
        const std::string shown = inline_head(head);
        if (!shown.empty()) cell_text.append(shown).push_back(' ');
    }
    const std::size_t text_start = cell_text.size();
    append_full_paragraph(cell_text, paragraph, TextContext::Cell);
    if (cell_text.size() == text_start) cell_text.resize(before);
    append_part(cell_text, paragraph.controls.trailing_text, CELL_LINE_BREAK);
}

void append_cell_blocks(std::string& cell_text, const BlockList& blocks, std::string_view separator) {
    for (const ContentBlock& block : blocks) {
        std::string part;
        if (const auto* paragraph = std::get_if<Paragraph>(&block)) {
            const std::string_view text = trim(paragraph->text);
            if (text.empty()) continue;
            if (paragraph->head.kind != HeadKind::None) {
                part = inline_head(paragraph->head);
                if (!part.empty()) part.push_back(' ');
            }
            part.append(text);
        } else if (const auto* table = std::get_if<Table>(&block)) {
            fold_nested_table(*table, part);
        } else if (const auto* image = std::get_if<Image>(&block)) {
            append_image_placeholder(part, *image);
        } else if (const auto* equation = std::get_if<Equation>(&block); equation && equation->latex) {
            // A cell holds no display math: the equation is inline there.
            part = "$" + equation->script + "$";
        }
        // An equation's script is not cell text; page headers and page
        // marks (the body's alone) cannot stand in a cell.
        append_part(cell_text, part, separator);
    }
}

void flush_cell_paragraph(const PendingParagraph& paragraph, std::string& cell_text) {
    // Without fields a paragraph's text is its rendering: no copy is needed.
    if (paragraph.para.field_texts.empty()) return append_part(cell_text, trim(paragraph.para.text), " ");
    const std::string rendered = render_paragraph(paragraph);
    append_part(cell_text, trim(rendered), " ");
}

}  // namespace brindle
