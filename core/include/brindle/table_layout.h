// A table's layout by the full profile: each cell at its own address in the
// grid of the table's declared rows and columns, then the grid reduced to
// what a reader can read. Front ends place cells; nothing here knows where
// an address came from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "brindle/table.h"

namespace brindle {

// Where a cell stands: its top-left grid position and the rows and columns
// it covers from there (at least one of each).
struct CellAddress {
    std::size_t row = 0;
    std::size_t column = 0;
    std::size_t row_span = 1;
    std::size_t column_span = 1;
};

// rows x width, the cells a table's grid holds; LimitExceeded past
// MAX_TABLE_CELLS, so that a few bytes of input cannot ask for gigabytes.
std::uint64_t checked_table_grid(std::uint64_t rows, std::uint64_t width);

class TableGrid {
public:
    // A grid of `rows` x `columns` positions; the caller has bounded the product.
    TableGrid(std::size_t rows, std::size_t columns);

    // Put a cell at `address` when that lies in the grid and is free; its span
    // covers the positions right and below, which stay empty. A cell without
    // a usable address takes the first free position, as cells in reading
    // order would; with no position left it is dropped, and an empty cell
    // without a usable address is dropped at once.
    void place(std::optional<CellAddress> address, std::string text);

    // The table as written: a grid column in which no cell with text starts,
    // and a row without text, are left out, so a cell spanning several
    // declared columns takes one column and every cell keeps its row and its
    // order among the others. No rows when no cell holds text.
    Table take() &&;

private:
    std::size_t width_;
    std::vector<std::vector<TableCell>> rows_;  // each up to its last placed cell
    std::vector<bool> taken_;                   // rows x width: started or covered
    std::size_t next_free_ = 0;                 // no free position before it
};

}  // namespace brindle
