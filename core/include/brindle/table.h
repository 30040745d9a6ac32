// Tables: rows of cells, each cell flattened to one run of text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "brindle/click_here.h"
#include "brindle/limits.h"
#include "brindle/record.h"

namespace brindle {

struct TableCell {
    std::string text;
};

struct Table {
    std::vector<std::vector<TableCell>> rows;
};

struct TableParse {
    std::optional<Table> table;
    std::size_t consumed = 0;  // records taken, counted from the start index
};

// Parse the table control whose header (at `level`) precedes `start`,
// charging what it materialises to `budget` (LimitExceeded when spent).
TableParse parse_table(Records records, std::size_t start, std::uint16_t level, std::int32_t depth,
                       TableBudget& budget);

// The same with an allowance of its own, for a table parsed on its own.
inline TableParse parse_table(Records records, std::size_t start, std::uint16_t level, std::int32_t depth) {
    TableBudget budget;
    return parse_table(records, start, level, depth, budget);
}

// End a cell's pending paragraph: render, trim, and append to the cell text
// (space-separated).
void flush_cell_paragraph(std::optional<PendingParagraph>& pending, std::string& cell_text);

// Markdown pipe table appended to `out`.
void render_table(std::string& out, const Table& table);

// "|" -> "\|", then line feed -> space.
std::string escape_cell_text(std::string_view text);

}  // namespace brindle
