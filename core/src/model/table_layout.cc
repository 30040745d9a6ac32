// The full profile's table layout: cells placed by address, then the empty
// rows and the columns that hold no cell's start left out. Declared grids of
// forms are fine-grained (dozens of narrow columns that cells span in
// different combinations per row); written as declared, nearly every cell of
// the pipe table would be empty.
#include "model/table_layout.h"

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

namespace {

// Room made ahead for at most this many cells: a table that declares more
// than it holds must not reserve for them all; larger ones grow as placed.
constexpr std::size_t MAX_CELLS_RESERVED = std::size_t{1} << 12;

}  // namespace

TableGrid::TableGrid(std::size_t rows, std::size_t columns, std::size_t expected_cells)
    : row_count_(rows), width_(columns), row_has_text_(rows, 0), taken_(rows * columns, 0) {
    cells_.reserve(std::min({expected_cells, taken_.size(), MAX_CELLS_RESERVED}));
}

bool TableGrid::usable(const std::optional<CellAddress>& address) const {
    return address && address->row < row_count_ && address->column < width_ &&
           taken_[address->row * width_ + address->column] == 0;
}

std::size_t TableGrid::first_free() const {
    const auto free = std::find(taken_.begin() + static_cast<std::ptrdiff_t>(next_free_), taken_.end(), 0);
    return static_cast<std::size_t>(free - taken_.begin());
}

bool TableGrid::may_stand_alone(const std::optional<CellAddress>& address) const {
    // The row the cell will take: its own, or that of the first free
    // position, as place finds it.
    if (usable(address)) return row_has_text_[address->row] == 0;
    const std::size_t free = first_free();
    return free < taken_.size() && row_has_text_[free / width_] == 0;  // else it will be dropped
}

void keep_cell_blocks(CellContent* content, OpenParagraph* paragraph, BlockList blocks) {
    if (content == nullptr) return;
    for (ContentBlock& block : blocks) {
        if (paragraph != nullptr) {
            paragraph->controls.trailing.push_back(std::move(block));
        } else {
            content->emplace_back(std::move(block));
        }
    }
}

void TableGrid::write_content(PlacedCell& cell, BlockList& out) {
    for (auto& part : cell.content) {
        if (auto* p = std::get_if<CellParagraph>(&part)) {
            emit_paragraph(p->paragraph, std::move(p->head), false, TextContext::Body, out);
        } else {
            out.push_back(std::move(std::get<ContentBlock>(part)));
        }
    }
}

void TableGrid::place(std::optional<CellAddress> address, std::string&& text, CellContent&& content) {
    CellAddress at;
    if (usable(address)) {
        at = *address;
        at.row_span = std::max<std::size_t>(at.row_span, 1);
        at.column_span = std::max<std::size_t>(at.column_span, 1);
    } else if (text.empty()) {
        // An empty cell without a place of its own shows nothing: it must not
        // push the cells after it out of theirs.
        return;
    } else {
        next_free_ = first_free();
        if (next_free_ == taken_.size()) return;
        at.row = next_free_ / width_;
        at.column = next_free_ % width_;
    }
    // Spans are cut at the grid's edge; the loops never run past it.
    const std::size_t last_row = at.row + std::min(at.row_span, row_count_ - at.row);
    const std::size_t last_column = at.column + std::min(at.column_span, width_ - at.column);
    for (std::size_t r = at.row; r < last_row; ++r) {
        std::fill(taken_.begin() + static_cast<std::ptrdiff_t>(r * width_ + at.column),
                  taken_.begin() + static_cast<std::ptrdiff_t>(r * width_ + last_column), 1);
    }
    if (!text.empty()) row_has_text_[at.row] = 1;
    cells_.emplace_back(at.row, at.column, last_column, std::move(text), std::move(content));
}

std::vector<TableGrid::Row> TableGrid::sorted_rows() {
    // Cells come in reading order but for those a span pushed aside.
    const auto reading_order = [](const PlacedCell& a, const PlacedCell& b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    };
    if (!std::is_sorted(cells_.begin(), cells_.end(), reading_order)) {
        std::sort(cells_.begin(), cells_.end(), reading_order);
    }
    std::vector<Row> rows(row_count_);
    for (std::size_t k = 0; k < cells_.size();) {
        const std::size_t begin = k;
        while (k < cells_.size() && cells_[k].row == cells_[begin].row) ++k;
        rows[cells_[begin].row] = Row(cells_.data() + begin, k - begin);
    }
    return rows;
}

Table TableGrid::compact(std::span<const Row> rows) {
    // A column is kept when some cell with text starts in it; its new index
    // is the number of kept columns before it.
    std::vector<std::size_t> index(width_, 0);
    for (const Row& row : rows) {
        for (const PlacedCell& cell : row) {
            if (!cell.text.empty()) index[cell.column] = 1;
        }
    }
    std::size_t columns = 0;
    for (std::size_t& c : index) columns += std::exchange(c, columns);
    Table table;
    table.columns = columns;
    table.rows.reserve(rows.size());
    for (const Row& row : rows) {
        // A row is as long as its last cell with text (cells are left to right).
        const auto last =
            std::find_if(row.rbegin(), row.rend(), [](const PlacedCell& cell) { return !cell.text.empty(); });
        if (last == row.rend()) continue;
        std::vector<TableCell>& written = table.rows.emplace_back(index[last->column] + 1);
        for (PlacedCell& cell : row) {
            if (!cell.text.empty()) written[index[cell.column]].text = std::move(cell.text);
        }
    }
    return table;
}

Table TableGrid::take() && { return compact(sorted_rows()); }

TableLayout TableGrid::lay_out() && {
    const std::vector<Row> rows = sorted_rows();
    // The written columns, as take keeps them: the first and one past the last.
    std::size_t first = width_, end = 0;
    std::vector<Row> written;  // rows with text
    written.reserve(rows.size());
    for (const Row& row : rows) {
        bool any = false;
        for (const PlacedCell& cell : row) {
            if (cell.text.empty()) continue;
            any = true;
            first = std::min(first, cell.column);
            end = std::max(end, cell.column + 1);
        }
        if (any) written.push_back(row);
    }
    // A full-width row: one cell with text, starting at the first written
    // column and spanning past the last one that starts a cell.
    std::vector<PlacedCell*> lone(written.size(), nullptr);  // that cell
    std::size_t full_width = 0;
    for (std::size_t w = 0; w < written.size(); ++w) {
        PlacedCell* found = nullptr;
        std::size_t count = 0;
        for (PlacedCell& cell : written[w]) {
            if (!cell.text.empty() && count++ == 0) found = &cell;
        }
        // Only a cell whose content was kept can be written as it.
        const bool kept = count == 1 && !found->content.empty();
        if (kept && found->column == first && found->column_end >= end) {
            lone[w] = found;
            ++full_width;
        }
    }
    // Without a row that leaves it, the table is written whole.
    const auto whole = [&] {
        TableLayout layout;
        Table table = compact(rows);
        if (!table.rows.empty()) layout.table = std::move(table);
        return layout;
    };
    if (full_width == 0) return whole();
    // Which of them leave the grid: all of them in a form (at least half of
    // the rows), else those at the start and the end.
    std::vector<bool> leaves(written.size(), false);
    if (2 * full_width >= written.size()) {
        for (std::size_t w = 0; w < written.size(); ++w) leaves[w] = lone[w] != nullptr;
    } else {
        for (std::size_t w = 0; w < written.size() && lone[w] != nullptr; ++w) leaves[w] = true;
        for (std::size_t w = written.size(); w > 0 && lone[w - 1] != nullptr; --w) leaves[w - 1] = true;
    }
    if (std::find(leaves.begin(), leaves.end(), true) == leaves.end()) return whole();
    TableLayout layout;
    // A run of rows is a table of its own; one that needs a single column
    // is its cells' content, as a one-column table is.
    std::vector<Row> run;
    const auto flush_run = [&] {
        if (run.empty()) return;
        const bool all_kept = std::all_of(run.begin(), run.end(), [](const Row& row) {
            return std::all_of(row.begin(), row.end(),
                               [](const PlacedCell& cell) { return cell.text.empty() || !cell.content.empty(); });
        });
        Table table = compact(run);
        if (table.columns > 1 || !all_kept) {
            layout.blocks.emplace_back(std::move(table));
        } else {
            for (const Row& row : run) {
                for (PlacedCell& cell : row) write_content(cell, layout.blocks);
            }
        }
        run.clear();
    };
    for (std::size_t w = 0; w < written.size(); ++w) {
        if (!leaves[w]) {
            run.push_back(written[w]);
            continue;
        }
        flush_run();
        write_content(*lone[w], layout.blocks);
    }
    flush_run();
    return layout;
}

}  // namespace brindle
