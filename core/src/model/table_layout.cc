// The full profile's table layout: cells placed by address, then the empty
// rows and the columns that hold no cell's start left out. Declared grids of
// forms are fine-grained (dozens of narrow columns that cells span in
// different combinations per row); written as declared, nearly every cell of
// the pipe table would be empty.
#include "brindle/table_layout.h"

#include <algorithm>
#include <string>
#include <utility>

#include "brindle/limits.h"

namespace brindle {

std::uint64_t checked_table_grid(std::uint64_t rows, std::uint64_t width) {
    const std::uint64_t grid = rows * width;  // both at most 65535 as the formats store them
    if (grid > MAX_TABLE_CELLS) {
        throw LimitExceeded("table declares " + std::to_string(rows) + " rows of up to " + std::to_string(width) +
                            " cells (" + std::to_string(grid) + " grid cells); at most " +
                            std::to_string(MAX_TABLE_CELLS) + " are supported");
    }
    return grid;
}

TableGrid::TableGrid(std::size_t rows, std::size_t columns)
    : width_(columns), rows_(rows), taken_(rows * columns, false) {}

void TableGrid::place(std::optional<CellAddress> address, std::string text) {
    const std::size_t rows = rows_.size();
    const bool usable = address && address->row < rows && address->column < width_ &&
                        !taken_[address->row * width_ + address->column];
    CellAddress at;
    if (usable) {
        at = *address;
        at.row_span = std::max<std::size_t>(at.row_span, 1);
        at.column_span = std::max<std::size_t>(at.column_span, 1);
    } else if (text.empty()) {
        // An empty cell without a place of its own shows nothing: it must not
        // push the cells after it out of theirs.
        return;
    } else {
        while (next_free_ < taken_.size() && taken_[next_free_]) ++next_free_;
        if (next_free_ == taken_.size()) return;
        at.row = next_free_ / width_;
        at.column = next_free_ % width_;
    }
    // Spans are cut at the grid's edge; the loops never run past it.
    const std::size_t last_row = at.row + std::min(at.row_span, rows - at.row);
    const std::size_t last_column = at.column + std::min(at.column_span, width_ - at.column);
    for (std::size_t r = at.row; r < last_row; ++r) {
        std::fill(taken_.begin() + static_cast<std::ptrdiff_t>(r * width_ + at.column),
                  taken_.begin() + static_cast<std::ptrdiff_t>(r * width_ + last_column), true);
    }
    std::vector<TableCell>& cells = rows_[at.row];
    if (cells.size() <= at.column) cells.resize(at.column + 1);
    cells[at.column].text = std::move(text);
}

Table TableGrid::take() && {
    // A column is kept when some cell with text starts in it; its new index
    // is the number of kept columns before it.
    std::vector<std::size_t> index(width_, 0);
    std::vector<bool> kept(width_, false);
    for (const auto& cells : rows_) {
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (!cells[c].text.empty()) kept[c] = true;
        }
    }
    std::size_t columns = 0;
    for (std::size_t c = 0; c < width_; ++c) {
        index[c] = columns;
        if (kept[c]) ++columns;
    }
    Table table;
    table.columns = columns;
    for (auto& cells : rows_) {
        std::vector<TableCell> row;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (cells[c].text.empty()) continue;
            if (row.size() <= index[c]) row.resize(index[c] + 1);
            row[index[c]].text = std::move(cells[c].text);
        }
        if (!row.empty()) table.rows.push_back(std::move(row));
    }
    return table;
}

}  // namespace brindle
