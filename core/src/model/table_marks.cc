// The marks of a schedule laid out in a table: which empty cells the
// document shades to carry a meaning (the months a task runs), told apart
// from shading that only dresses a table (a grey header, a shaded corner, a
// form's labels, a column to fill in), and where they are written. Kept
// apart from the layout, which never reads a shade.
#include <algorithm>
#include <limits>
#include <tuple>
#include <utility>
#include <vector>

#include "model/table_layout.h"

namespace brindle {

namespace {

// A schedule's marks are shading: of the cells with text in the body, at
// most one in MARK_TEXT_RATIO of the shade's marks may be shaded alike (a
// bar that holds a word), and in the columns where the marks stand at most
// one cell in MARK_COLUMN_TEXT_RATIO of those with no text may hold text
// (a row of percentages under the months); greyed cells among a column's
// figures hold none.
constexpr std::size_t MARK_TEXT_RATIO = 10;
constexpr std::size_t MARK_COLUMN_TEXT_RATIO = 4;

}  // namespace

void TableGrid::find_marks(std::span<const Row> rows) {
    marks_.clear();
    if (!shaded_blanks_) return;
    // The body starts below the header: the first row with two cells with
    // text (a title above it is no header) and the rows its cells span.
    std::size_t body = row_count_;
    for (const Row& row : rows) {
        std::size_t texts = 0, end = 0;
        for (const PlacedCell& cell : row) {
            if (cell.text.empty()) continue;
            ++texts;
            end = std::max(end, cell.row_end);
        }
        if (texts >= 2) {
            body = end;
            break;
        }
    }
    if (body >= row_count_) return;
    // The row each body row's marks are written in: its own when a cell with
    // text starts in it, else that of the nearest cell with text spanning
    // down into it (a task's label over the rows its bar is drawn in).
    constexpr std::size_t NONE = std::numeric_limits<std::size_t>::max();
    std::vector<std::size_t> owner(row_count_, NONE);
    for (std::size_t r = body; r < row_count_; ++r) {
        for (const PlacedCell& cell : rows[r]) {
            if (!cell.text.empty()) owner[r] = r;
        }
    }
    for (std::size_t r = body; r < row_count_; ++r) {
        for (const PlacedCell& cell : rows[r]) {
            if (cell.text.empty()) continue;
            for (std::size_t below = r + 1; below < cell.row_end; ++below) {
                if (owner[below] != below) owner[below] = r;
            }
        }
    }
    // The shaded empty cells of rows with an owner, by shade, then row and column.
    struct Candidate {
        Shade shade;
        std::size_t row;
        std::size_t column;
        std::size_t column_end;
    };
    std::vector<Candidate> candidates;
    for (std::size_t r = body; r < row_count_; ++r) {
        if (owner[r] == NONE) continue;
        for (const PlacedCell& cell : rows[r]) {
            if (cell.text.empty() && cell.shade != NO_SHADE) {
                candidates.push_back(Candidate{cell.shade, owner[r], cell.column, cell.column_end});
            }
        }
    }
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return std::tie(a.shade, a.row, a.column) < std::tie(b.shade, b.row, b.column);
    });
    // Each shade's verdict: whether its cells vary from row to row (not
    // every row's in the same columns, as in a column shaded to be filled in
    // or subtotal rows shaded alike), and whether text is rare enough among
    // the cells it shades and in the columns where it stands. A table whose
    // shades all stand alike in each row has no marks.
    struct Verdict {
        std::vector<Candidate>::const_iterator begin, end;
        bool varied = false;
        bool rare_text = false;
    };
    std::vector<Verdict> verdicts;
    bool any_varied = false;
    for (auto group = candidates.cbegin(); group != candidates.cend();) {
        Verdict& verdict = verdicts.emplace_back();
        verdict.begin = group;
        verdict.end =
            std::find_if(group, candidates.cend(), [&](const Candidate& c) { return c.shade != group->shade; });
        const auto first_row_end =
            std::find_if(group, verdict.end, [&](const Candidate& c) { return c.row != group->row; });
        for (auto k = first_row_end; k != verdict.end && !verdict.varied;) {
            const auto next = std::find_if(k, verdict.end, [&](const Candidate& c) { return c.row != k->row; });
            verdict.varied = !std::equal(group, first_row_end, k, next, [](const Candidate& a, const Candidate& b) {
                return a.column == b.column && a.column_end == b.column_end;
            });
            k = next;
        }
        any_varied = any_varied || verdict.varied;
        group = verdict.end;
    }
    if (!any_varied) return;
    // The body's cells starting in each declared column (by prefix sums),
    // with text and without, and the shades of those with text, sorted: each
    // shade's count is then found without a pass over the grid.
    std::vector<std::size_t> texts_before(width_ + 1, 0), blanks_before(width_ + 1, 0);
    std::vector<Shade> text_shades;
    for (std::size_t r = body; r < row_count_; ++r) {
        for (const PlacedCell& cell : rows[r]) {
            const bool text = !cell.text.empty();
            ++(text ? texts_before : blanks_before)[cell.column + 1];
            if (text && cell.shade != NO_SHADE) text_shades.push_back(cell.shade);
        }
    }
    for (std::size_t c = 0; c < width_; ++c) {
        texts_before[c + 1] += texts_before[c];
        blanks_before[c + 1] += blanks_before[c];
    }
    std::sort(text_shades.begin(), text_shades.end());
    std::vector<std::pair<std::size_t, std::size_t>> spans;  // a shade's columns
    for (Verdict& verdict : verdicts) {
        // The cells starting in the columns it covers, each column once.
        spans.clear();
        for (auto k = verdict.begin; k != verdict.end; ++k) spans.emplace_back(k->column, k->column_end);
        std::sort(spans.begin(), spans.end());
        std::size_t column_texts = 0, column_blanks = 0, covered = 0;
        for (const auto& [column, column_end] : spans) {
            const std::size_t from = std::max(column, covered);
            if (from >= column_end) continue;
            column_texts += texts_before[column_end] - texts_before[from];
            column_blanks += blanks_before[column_end] - blanks_before[from];
            covered = column_end;
        }
        const auto [first, last] = std::equal_range(text_shades.begin(), text_shades.end(), verdict.begin->shade);
        const auto shaded_texts = static_cast<std::size_t>(last - first);
        const auto marks = static_cast<std::size_t>(verdict.end - verdict.begin);
        verdict.rare_text =
            shaded_texts * MARK_TEXT_RATIO <= marks && column_texts * MARK_COLUMN_TEXT_RATIO <= column_blanks;
    }
    std::vector<std::uint8_t> in_columns(width_);
    // The shades that pass are marks; so is another shade whose cells all
    // stand in their columns (a bar drawn in a second grey), which need not
    // vary.
    for (const Verdict& verdict : verdicts) {
        if (!verdict.varied || !verdict.rare_text) continue;
        for (auto k = verdict.begin; k != verdict.end; ++k) {
            marks_.push_back(Mark{k->row, k->column, k->column_end});
            std::fill(in_columns.begin() + static_cast<std::ptrdiff_t>(k->column),
                      in_columns.begin() + static_cast<std::ptrdiff_t>(k->column_end), 1);
        }
    }
    if (marks_.empty()) return;
    for (const Verdict& verdict : verdicts) {
        if (verdict.varied || !verdict.rare_text) continue;
        const bool inside = std::all_of(verdict.begin, verdict.end, [&](const Candidate& c) {
            return std::all_of(in_columns.begin() + static_cast<std::ptrdiff_t>(c.column),
                               in_columns.begin() + static_cast<std::ptrdiff_t>(c.column_end),
                               [](std::uint8_t in) { return in != 0; });
        });
        if (!inside) continue;
        for (auto k = verdict.begin; k != verdict.end; ++k) marks_.push_back(Mark{k->row, k->column, k->column_end});
    }
    std::sort(marks_.begin(), marks_.end(),
              [](const Mark& a, const Mark& b) { return std::tie(a.row, a.column) < std::tie(b.row, b.column); });
}

void TableGrid::write_marks(std::size_t row, const std::vector<std::size_t>& before,
                            std::vector<TableCell>& written) const {
    auto mark =
        std::lower_bound(marks_.begin(), marks_.end(), row, [](const Mark& m, std::size_t r) { return m.row < r; });
    for (; mark != marks_.end() && mark->row == row; ++mark) {
        // The written columns whose declared columns it covers: a column is
        // written from where a cell with text starts to where the next does.
        for (std::size_t w = std::max<std::size_t>(before[mark->column + 1], 1) - 1; w < before[mark->column_end];
             ++w) {
            if (w >= written.size()) written.resize(w + 1);
            if (written[w].text.empty()) written[w].text = MARK;
        }
    }
}

}  // namespace brindle
