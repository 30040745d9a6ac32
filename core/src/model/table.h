// Tables: rows of cells, each cell flattened to one run of text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brindle {

struct TableCell {
    std::string text;
};

struct Table {
    std::vector<std::vector<TableCell>> rows;
    // The full profile's grid width: rows are written this many columns
    // wide even when their cells stop short (trailing empty cells are not
    // stored). 0: as wide as the widest row.
    std::size_t columns = 0;
};

// Markdown pipe table appended to `out`.
void render_table(std::string& out, const Table& table);

// "|" -> "\|", then line feed -> space.
std::string escape_cell_text(std::string_view text);

}  // namespace brindle
