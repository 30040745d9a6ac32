// A table cell's text: its paragraphs, and what the tables and drawing
// objects in it add, joined into the one run of text a pipe-table cell
// holds.
#pragma once

#include <string>
#include <string_view>

#include "model/content_block.h"
#include "model/paragraph.h"
#include "model/table.h"

namespace brindle {

// Separates a cell's paragraphs and objects in the full profile.
inline constexpr std::string_view CELL_LINE_BREAK = "<br>";

// The exact rules: render the paragraph, trim it, and append it to the cell
// text after a space.
void flush_cell_paragraph(const PendingParagraph& paragraph, std::string& cell_text);

// The full profile: the paragraph's text with its number or bullet before
// it, after a line break; then the text of its nested tables and objects.
void append_cell_paragraph(std::string& cell_text, const OpenParagraph& paragraph, const ParagraphHead& head);

// A nested table's non-empty cell texts, row by row, each after a space.
void fold_nested_table(const Table& nested, std::string& cell_text);

// Full profile: blocks written into a cell's text, after `separator` when
// the text is not empty: paragraphs with their numbers or bullets, pictures
// as their placeholder, tables folded to their cells' texts.
void append_cell_blocks(std::string& cell_text, const BlockList& blocks, std::string_view separator);

}  // namespace brindle
