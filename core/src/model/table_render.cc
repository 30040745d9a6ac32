// Markdown pipe tables: the first row is the header row, followed by a
// delimiter line; cells are written unpadded, with "|" and line feeds made
// safe for a single cell.
#include <algorithm>
#include <string>

#include "brindle/table.h"

namespace brindle {
namespace {

// Append `text` with "|" escaped as "\|" and line feeds turned into spaces,
// copying the runs between those bytes whole. A line feed byte never occurs
// inside a multi-byte UTF-8 sequence, so a byte scan is exact.
void append_escaped(std::string& out, std::string_view text) {
    // A plain scan: find_first_of would search the set once per character.
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '|' && c != '\n') continue;
        out.append(text.data() + run, i - run);
        out.append(c == '|' ? "\\|" : " ");
        run = i + 1;
    }
    out.append(text.data() + run, text.size() - run);
}

// One row line, padded at the right with empty cells up to `width` columns.
void append_row(std::string& out, const std::vector<TableCell>& row, std::size_t width) {
    out.push_back('|');
    for (const TableCell& cell : row) {
        if (!cell.text.empty()) append_escaped(out, cell.text);
        out.push_back('|');
    }
    out.append(width - row.size(), '|');
    out.push_back('\n');
}

}  // namespace

std::string escape_cell_text(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    append_escaped(escaped, text);
    return escaped;
}

void render_table(std::string& out, const Table& table) {
    if (table.rows.empty()) return;
    std::size_t width = table.columns;
    for (const auto& row : table.rows) width = std::max(width, row.size());
    // Nothing to put in a pipe table; the line feed still ends the block.
    if (width == 0) {
        out.push_back('\n');
        return;
    }
    append_row(out, table.rows.front(), width);
    out.push_back('|');
    for (std::size_t c = 0; c < width; ++c) out.append("---|");
    out.push_back('\n');
    for (std::size_t r = 1; r < table.rows.size(); ++r) append_row(out, table.rows[r], width);
    out.push_back('\n');
}

}  // namespace brindle
