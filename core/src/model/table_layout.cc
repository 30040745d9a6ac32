// The full profile's table layout: cells placed by address, then the empty
// rows and the columns that hold no cell's start left out. Declared grids of
// forms are fine-grained (dozens of narrow columns that cells span in
// different combinations per row); written as declared, nearly every cell of
// the pipe table would be empty. Where even the columns left are mostly the
// padding of cells spanning several of them, the grid is a form's or the
// page's, not a table's, and is written as such.
#include "model/table_layout.h"

#include <algorithm>
#include <limits>
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

// A run of rows is a form when fewer than this share of its positions (rows
// by written columns) hold a cell: one starting there, with text or blank,
// or one spanning down from a row above. The rest is padding, and in a pipe
// table it would stand between each label and its value. A data table holds
// a cell nearly everywhere, even where it is blank or spanned from above.
constexpr std::size_t FORM_OCCUPIED_PERCENT = 70;
// A run is the page's layout (a notice set in a grid, one line of text, or a
// mark, a label and its value, per row) when it is written at least
// LAYOUT_MIN_COLUMNS wide, fewer than LAYOUT_OCCUPIED_PERCENT of its
// positions hold a cell, no row holds more than LAYOUT_MAX_TEXT_CELLS cells
// with text and three rows in four hold at most two.
constexpr std::size_t LAYOUT_OCCUPIED_PERCENT = 25;
constexpr std::size_t LAYOUT_MIN_COLUMNS = 6;
constexpr std::uint8_t LAYOUT_MAX_TEXT_CELLS = 3;

}  // namespace

TableGrid::TableGrid(std::size_t rows, std::size_t columns, std::size_t expected_cells)
    : row_count_(rows),
      width_(columns),
      // A grid narrower than a layout can leave the grid only by full-width
      // rows, which hold one cell with text.
      kept_text_cells_(columns >= LAYOUT_MIN_COLUMNS ? LAYOUT_MAX_TEXT_CELLS : 1),
      row_text_cells_(rows, 0),
      taken_(rows * columns, 0) {
    cells_.reserve(std::min({expected_cells, taken_.size(), MAX_CELLS_RESERVED}));
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
    std::uint8_t& text_cells = row_text_cells_[at.row];
    if (!text.empty() && text_cells < LAYOUT_MAX_TEXT_CELLS) ++text_cells;
    cells_.emplace_back(at.row, last_row, at.column, last_column, std::move(text), std::move(content));
}

void TableGrid::place(std::optional<CellAddress> address, std::string&& text, CellContent&& content, Shade shade) {
    const bool blank = text.empty();
    const std::size_t placed = cells_.size();
    place(address, std::move(text), std::move(content));
    if (cells_.size() == placed || shade == NO_SHADE) return;
    cells_.back().shade = shade;
    shaded_blanks_ = shaded_blanks_ || blank;
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

std::vector<std::size_t> TableGrid::written_before(std::span<const Row> rows) const {
    std::vector<std::size_t> before(width_ + 1, 0);
    for (const Row& row : rows) {
        for (const PlacedCell& cell : row) {
            if (!cell.text.empty()) before[cell.column + 1] = 1;
        }
    }
    for (std::size_t c = 0; c < width_; ++c) before[c + 1] += before[c];
    return before;
}

Table TableGrid::compact(std::span<const Row> rows, const std::vector<std::size_t>& before) {
    // A column is kept when some cell with text starts in it; its new index
    // is the number of kept columns before it.
    Table table;
    table.columns = before[width_];
    table.rows.reserve(rows.size());
    for (const Row& row : rows) {
        // A row is as long as its last cell with text (cells are left to right).
        const auto last =
            std::find_if(row.rbegin(), row.rend(), [](const PlacedCell& cell) { return !cell.text.empty(); });
        if (last == row.rend()) continue;
        std::vector<TableCell>& written = table.rows.emplace_back(before[last->column] + 1);
        for (PlacedCell& cell : row) {
            if (!cell.text.empty()) written[before[cell.column]].text = std::move(cell.text);
        }
        if (!marks_.empty()) write_marks(row.front().row, before, written);
    }
    return table;
}

Table TableGrid::take() && {
    const std::vector<Row> rows = sorted_rows();
    find_marks(rows);
    return compact(rows, written_before(rows));
}

std::size_t TableGrid::occupied(std::span<const Row> run, const std::vector<std::size_t>& before) {
    std::size_t held = 0;
    for (std::size_t k = 0; k < run.size(); ++k) {
        for (const PlacedCell& cell : run[k]) {
            const std::size_t covered = before[cell.column_end] - before[cell.column];
            if (covered == 0) continue;
            ++held;
            for (std::size_t j = k + 1; j < run.size() && run[j].front().row < cell.row_end; ++j) held += covered;
        }
    }
    return held;
}

namespace {

// Whether `held` of `rows` by `columns` positions are fewer than `percent` of them.
bool fewer_than(std::size_t held, std::size_t rows, std::size_t columns, std::size_t percent) {
    return held * 100 < rows * columns * percent;
}

}  // namespace

std::vector<std::size_t> TableGrid::stacked_cuts(std::span<const Row> run,
                                                 const std::vector<std::size_t>& before) const {
    constexpr std::size_t MIN_ROWS = 2;
    std::vector<std::size_t> cuts;
    const std::size_t columns = before[width_];
    if (run.size() < 2 * MIN_ROWS) return cuts;
    // Rows that may head a table of their own: no cell above spans into
    // them, each of their cells (but spacers) holds text, three or more,
    // and none spans down but the first (the label of the rows it heads).
    std::vector<bool> heads(run.size(), false);
    // The written columns a set of rows needs: those where a cell with
    // text of theirs starts, counted as rows are added.
    std::vector<std::uint8_t> seen(width_, 0);
    std::size_t needed = 0;
    const auto need = [&](const Row& row) {
        for (const PlacedCell& cell : row) {
            if (!cell.text.empty() && seen[cell.column] == 0) {
                seen[cell.column] = 1;
                ++needed;
            }
        }
    };
    const auto need_none = [&] {
        std::fill(seen.begin(), seen.end(), 0);
        needed = 0;
    };
    std::size_t reach = 0;  // one past the last grid row a cell above spans
    bool candidate = false;
    for (std::size_t k = 0; k < run.size(); ++k) {
        const Row& row = run[k];
        std::size_t texts = 0;
        bool labels = reach <= row.front().row;
        for (const PlacedCell& cell : row) {
            reach = std::max(reach, cell.row_end);
            if (before[cell.column_end] == before[cell.column]) continue;
            labels = labels && !cell.text.empty() && (texts == 0 || cell.row_end == cell.row + 1);
            ++texts;
        }
        heads[k] = labels && texts >= 3;
        candidate = candidate || (heads[k] && k >= MIN_ROWS && run.size() - k >= MIN_ROWS);
        // Until the first cut, the rows above a candidate must leave out a
        // column: once they need every one, no row starts a table (a data
        // table, nearly always, after its header and first row).
        if (!candidate) {
            need(row);
            if (needed == columns) return cuts;
        }
    }
    if (!candidate) return cuts;
    // The written columns the rows from k on need: suffix[k].
    need_none();
    std::vector<std::size_t> suffix(run.size() + 1, 0);
    for (std::size_t k = run.size(); k-- > 0;) {
        need(run[k]);
        suffix[k] = needed;
    }
    // Whether header k heads rows: those under it hold text only in the
    // columns it names, one row at least, up to the end or to a row that
    // names others and may head a table itself. A row of a form or a group
    // of a data table's rows has rows under it that leave its columns.
    // The rows read are bounded, a few times the run's cells in all, so
    // that a hostile table of many rows cannot make it quadratic.
    std::size_t budget = 0;
    for (const Row& row : run) budget += 4 * row.size();
    std::vector<std::uint8_t> named(width_, 0);
    const auto heads_rows = [&](std::size_t k) {
        for (const PlacedCell& cell : run[k]) named[cell.column] = 1;
        std::size_t under = 0;
        bool ends = true;
        for (std::size_t j = k + 1; j < run.size(); ++j) {
            if (budget < run[j].size()) {
                ends = false;
                break;
            }
            budget -= run[j].size();
            const bool fits = std::all_of(run[j].begin(), run[j].end(), [&](const PlacedCell& cell) {
                return cell.text.empty() || named[cell.column] != 0;
            });
            if (!fits) {
                ends = heads[j];
                break;
            }
            ++under;
        }
        for (const PlacedCell& cell : run[k]) named[cell.column] = 0;
        return ends && under > 0;
    };
    // The rows since the last cut (or the run's start) need `needed`.
    need_none();
    std::size_t start = 0;
    for (std::size_t k = 0; k < run.size(); ++k) {
        if (heads[k] && k - start >= MIN_ROWS && run.size() - k >= MIN_ROWS && needed < columns &&
            suffix[k] < columns && heads_rows(k)) {
            cuts.push_back(k);
            start = k;
            need_none();
        }
        need(run[k]);
    }
    return cuts;
}

void TableGrid::write_run(std::span<const Row> run, BlockList& out, bool stacked) {
    const std::vector<std::size_t> before = written_before(run);
    const std::size_t columns = before[width_];
    if (columns > 1) {
        const std::size_t held = occupied(run, before);
        if (columns >= LAYOUT_MIN_COLUMNS && fewer_than(held, run.size(), columns, LAYOUT_OCCUPIED_PERCENT)) {
            // A line of the layout holds a few cells with text; every one must
            // have its content kept to be written as blocks.
            std::size_t short_rows = 0;
            bool lines = true;
            for (const Row& row : run) {
                std::size_t texts = 0;
                for (const PlacedCell& cell : row) {
                    if (cell.text.empty()) continue;
                    ++texts;
                    lines = lines && !cell.content.empty();
                }
                lines = lines && texts <= LAYOUT_MAX_TEXT_CELLS;
                short_rows += texts <= 2 ? 1 : 0;
            }
            if (lines && 4 * short_rows >= 3 * run.size()) {
                write_lines(run, out);
                return;
            }
        }
        if (fewer_than(held, run.size(), columns, FORM_OCCUPIED_PERCENT)) {
            write_form(run, before, out);
            return;
        }
    }
    if (stacked && columns > 1) {
        const std::vector<std::size_t> cuts = stacked_cuts(run, before);
        if (!cuts.empty()) {
            std::size_t from = 0;
            for (const std::size_t cut : cuts) {
                write_run(run.subspan(from, cut - from), out, false);
                from = cut;
            }
            write_run(run.subspan(from), out, false);
            return;
        }
    }
    // A run that needs one column is its cells' content, as a one-column
    // table is.
    const bool all_kept = std::all_of(run.begin(), run.end(), [](const Row& row) {
        return std::all_of(row.begin(), row.end(),
                           [](const PlacedCell& cell) { return cell.text.empty() || !cell.content.empty(); });
    });
    Table table = compact(run, before);
    if (table.columns > 1 || !all_kept) {
        out.emplace_back(std::move(table));
        return;
    }
    for (const Row& row : run) {
        for (PlacedCell& cell : row) write_content(cell, out);
    }
}

void TableGrid::write_lines(std::span<const Row> run, BlockList& out) {
    for (const Row& row : run) {
        const std::size_t line = out.size();
        for (PlacedCell& cell : row) {
            if (cell.text.empty()) continue;
            const std::size_t start = out.size();
            write_content(cell, out);
            // The cells of a line are its pieces: a mark, a label, a value.
            if (start == line || start == out.size()) continue;
            auto* previous = std::get_if<Paragraph>(&out[start - 1]);
            const auto* next = std::get_if<Paragraph>(&out[start]);
            if (previous == nullptr || next == nullptr || next->head.kind != HeadKind::None) continue;
            previous->text.push_back(' ');
            previous->text.append(next->text);
            out.erase(out.begin() + static_cast<std::ptrdiff_t>(start));
        }
    }
}

std::vector<std::vector<TableGrid::Cover>> TableGrid::covers_of(std::span<const Row> run,
                                                                const std::vector<std::size_t>& before) {
    std::vector<std::vector<Cover>> covers(run.size());
    for (std::size_t k = 0; k < run.size(); ++k) {
        for (const PlacedCell& cell : run[k]) {
            if (before[cell.column_end] == before[cell.column]) continue;
            for (std::size_t j = k + 1; j < run.size() && run[j].front().row < cell.row_end; ++j) {
                covers[j].push_back(Cover{cell.column, k});
            }
        }
    }
    // Each row's come by the row they start in, then left to right.
    const auto left_first = [](const Cover& a, const Cover& b) { return a.column < b.column; };
    for (std::vector<Cover>& down : covers) {
        if (!std::is_sorted(down.begin(), down.end(), left_first)) std::sort(down.begin(), down.end(), left_first);
    }
    return covers;
}

void TableGrid::read_form_row(const Row& row, std::span<const Cover> down, std::size_t start,
                              const std::vector<std::size_t>& before, std::vector<PlacedCell*>& entries) {
    entries.clear();
    auto cover = down.begin();
    bool after_text = false;
    const auto covers_left_of = [&](std::size_t column) {
        for (; cover != down.end() && cover->column < column; ++cover) {
            if (cover->origin < start) continue;
            entries.push_back(nullptr);
            after_text = false;
        }
    };
    for (PlacedCell& cell : row) {
        covers_left_of(cell.column);
        if (!cell.text.empty()) {
            entries.push_back(&cell);
            after_text = true;
        } else if (std::exchange(after_text, false) && before[cell.column_end] > before[cell.column]) {
            entries.push_back(nullptr);
        }
    }
    covers_left_of(std::numeric_limits<std::size_t>::max());
}

void TableGrid::write_form(std::span<const Row> run, const std::vector<std::size_t>& before, BlockList& out) {
    const std::vector<std::vector<Cover>> covers = covers_of(run, before);
    std::vector<PlacedCell*> entries;
    const auto lone = [&] {
        return entries.size() == 1 && entries.front() != nullptr && !entries.front()->content.empty();
    };
    // A group of rows from `start` (empty when start == k) whose written
    // rows are `shortest` to `longest` entries long. No row of a table is
    // mostly padding: none is less than half as long as another.
    std::size_t start = 0, shortest = 0, longest = 0;
    std::vector<std::vector<PlacedCell*>> rows;  // the group's rows as written
    const auto flush = [&](std::size_t end) {
        if (start == end) return;
        const std::span<const Row> group = run.subspan(start, end - start);
        // Its own columns (where its cells with text start, and the blanks
        // that are values) may leave it a table whose columns line up, as
        // those of a header over the columns of the rows below it do;
        // unless they are still mostly padding.
        std::vector<std::size_t> own(width_ + 1, 0);
        for (const Row& row : group) {
            bool after_text = false;
            for (const PlacedCell& cell : row) {
                const bool value = !cell.text.empty() || (after_text && before[cell.column_end] > before[cell.column]);
                if (value) own[cell.column + 1] = 1;
                after_text = !cell.text.empty();
            }
        }
        for (std::size_t c = 0; c < width_; ++c) own[c + 1] += own[c];
        if (!fewer_than(occupied(group, own), group.size(), own[width_], FORM_OCCUPIED_PERCENT)) {
            out.emplace_back(compact(group, own));
        } else {
            Table table;
            table.columns = longest;
            table.rows.reserve(rows.size());
            for (const std::vector<PlacedCell*>& row : rows) {
                std::vector<TableCell>& written = table.rows.emplace_back(row.size());
                for (std::size_t e = 0; e < row.size(); ++e) {
                    if (row[e] != nullptr) written[e].text = std::move(row[e]->text);
                }
            }
            out.emplace_back(std::move(table));
        }
        rows.clear();
        start = end;
    };
    for (std::size_t k = 0; k < run.size(); ++k) {
        read_form_row(run[k], covers[k], start, before, entries);
        if (start < k && (lone() || std::max(longest, entries.size()) > 2 * std::min(shortest, entries.size()))) {
            flush(k);
            read_form_row(run[k], covers[k], start, before, entries);
        }
        if (lone()) {
            write_content(*entries.front(), out);
            start = k + 1;
            continue;
        }
        if (start == k) shortest = longest = entries.size();
        shortest = std::min(shortest, entries.size());
        longest = std::max(longest, entries.size());
        rows.push_back(entries);
    }
    flush(run.size());
}

TableLayout TableGrid::lay_out() && {
    const std::vector<Row> rows = sorted_rows();
    find_marks(rows);
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
    // Which of them leave the grid: all of them in a form (at least half of
    // the rows), else those at the start and the end.
    std::vector<bool> leaves(written.size(), false);
    if (full_width > 0 && 2 * full_width >= written.size()) {
        for (std::size_t w = 0; w < written.size(); ++w) leaves[w] = lone[w] != nullptr;
    } else if (full_width > 0) {
        for (std::size_t w = 0; w < written.size() && lone[w] != nullptr; ++w) leaves[w] = true;
        for (std::size_t w = written.size(); w > 0 && lone[w - 1] != nullptr; --w) leaves[w - 1] = true;
    }
    // Each run of rows between those that leave is written on its own.
    BlockList blocks;
    std::size_t run = 0;
    for (std::size_t w = 0; w <= written.size(); ++w) {
        if (w < written.size() && !leaves[w]) continue;
        if (w > run) write_run(std::span<const Row>(written).subspan(run, w - run), blocks);
        if (w < written.size()) write_content(*lone[w], blocks);
        run = w + 1;
    }
    TableLayout layout;
    // A table written whole stays the table.
    if (blocks.size() == 1 && std::holds_alternative<Table>(blocks.front())) {
        layout.table = std::move(std::get<Table>(blocks.front()));
    } else {
        layout.blocks = std::move(blocks);
    }
    return layout;
}

}  // namespace brindle
