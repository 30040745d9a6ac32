// Markdown pipe tables: the first row is the header row, followed by a
// delimiter line; cells are written unpadded, with "|" and line feeds made
// safe for a single cell.
#include <algorithm>
#include <string>

#include "model/table.h"

namespace brindle {
namespace {

// Append `text` with "|" escaped as "\|" and line feeds turned into spaces,
// copying the runs between those bytes whole. A line feed byte never occurs
// inside a multi-byte UTF-8 sequence, so a byte scan is exact. Each of the
// two bytes is searched for with find (memchr), which scans many bytes a
// step, and searched for again only once passed.
void append_escaped(std::string& out, std::string_view text) {
    std::size_t pipe = text.find('|');
    std::size_t feed = text.find('\n');
    std::size_t run = 0;  // start of the bytes not yet copied
    for (;;) {
        const std::size_t at = std::min(pipe, feed);
        if (at == std::string_view::npos) break;
        out.append(text.data() + run, at - run);
        run = at + 1;
        if (at == pipe) {
            out.append("\\|");
            pipe = text.find('|', run);
        } else {
            out.push_back(' ');
            feed = text.find('\n', run);
        }
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
