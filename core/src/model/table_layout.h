// A table's layout by the full profile: each cell at its own address in the
// grid of the table's declared rows and columns, then the grid reduced to
// what a reader can read. Front ends place cells; nothing here knows where
// an address came from.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "model/content_block.h"
#include "model/definitions.h"
#include "model/paragraph.h"
#include "model/table.h"

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

// A body table cell's content for lay_out: its paragraphs as read, each
// rendered as a body block only if its row leaves the grid (the objects
// in it are its trailing blocks), and blocks that stand in no paragraph.
struct CellParagraph {
    // Built in place from its parts (clang 14 cannot emplace an aggregate).
    CellParagraph(OpenParagraph&& paragraph, ParagraphHead&& head)
        : paragraph(std::move(paragraph)), head(std::move(head)) {}
    OpenParagraph paragraph;
    ParagraphHead head;
};
using CellContent = std::vector<std::variant<CellParagraph, ContentBlock>>;

// Keep an object's blocks for a cell's content (when it is gathered): after
// the paragraph it stands in, or on their own.
void keep_cell_blocks(CellContent* content, OpenParagraph* paragraph, BlockList blocks);

// A table laid out for the body: one pipe table, or (a form, or a table
// with a title or a note) its full-width rows as their content and the
// other rows between them as pipe tables of their own, in order.
struct TableLayout {
    std::optional<Table> table;
    BlockList blocks;  // in place of `table` when it is split
};

class TableGrid {
public:
    // A grid of `rows` x `columns` positions; the caller has bounded the
    // product. Room is made at once for `expected_cells` cells (at most one
    // per position), when the caller knows how many to expect.
    TableGrid(std::size_t rows, std::size_t columns, std::size_t expected_cells = 0);

    // Put a cell at `address` when that lies in the grid and is free; its span
    // covers the positions right and below, which stay empty. A cell without
    // a usable address takes the first free position, as cells in reading
    // order would; with no position left it is dropped, and an empty cell
    // without a usable address is dropped at once. `content` is the cell's
    // content for lay_out; take ignores it.
    // (Taken by reference: a cell dropped is not moved at all, one placed is
    // moved once.)
    void place(std::optional<CellAddress> address, std::string&& text, CellContent&& content = {});
    // The same for a cell filled with `shade`, which tells an empty cell
    // that is a mark (see find_marks). Front ends call the other for a cell
    // without shading.
    void place(std::optional<CellAddress> address, std::string&& text, CellContent&& content, Shade shade);

    // Whether lay_out may need the content of a cell at `address`: in a
    // narrow grid not when a cell with text already stands in its row, which
    // then is no full-width row; in a grid wide enough to be a page's layout
    // not when three do (no line of such a layout holds more). A cell whose
    // content is not kept never leaves the grid.
    // (Inline: it is asked for every cell of the body's tables.)
    bool may_stand_alone(const std::optional<CellAddress>& address) const {
        // The row the cell will take: its own, or that of the first free
        // position, as place finds it.
        if (usable(address)) return row_text_cells_[address->row] < kept_text_cells_;
        const std::size_t free = first_free();
        return free < taken_.size() && row_text_cells_[free / width_] < kept_text_cells_;  // else it will be dropped
    }

    // The table as written: a grid column in which no cell with text starts,
    // and a row without text, are left out, so a cell spanning several
    // declared columns takes one column and every cell keeps its row and its
    // order among the others. No rows when no cell holds text. An empty cell
    // that is a mark (a schedule's month shaded) is written MARK in each
    // written column it falls in, in its row or, in a row without text,
    // that of the cell with text spanning down into it.
    Table take() &&;

    // The table as take writes it, unless it has full-width rows (a row
    // whose only cell with text spans every written column) that are at
    // least half of its rows, or that stand at its start or end: then each
    // such row is its cell's blocks and each run of rows between them a
    // table written as take writes it (or its cells' blocks, when it needs
    // one column). A run (or the whole table) whose grid is mostly the
    // padding of cells spanning several columns is no table of data: when
    // nearly all of it is padding and its rows hold a line each, it is the
    // page's layout and each row is its cells' blocks, one paragraph where
    // they are pieces of one line; else it is a form, whose rows are written
    // without that padding, each cell next to the one before it, in tables
    // of rows of like length (see write_form). Every cell keeps its place in
    // the reading order. Marks are written as take writes them, in the
    // tables written by columns (not in a form's rows or a layout's lines).
    TableLayout lay_out() &&;

    // What an empty cell that is a mark is written as.
    static constexpr std::string_view MARK = "■";

private:
    struct PlacedCell {
        PlacedCell(std::size_t row, std::size_t row_end, std::size_t column, std::size_t column_end, std::string&& text,
                   CellContent&& content)
            : row(row),
              row_end(row_end),
              column(column),
              column_end(column_end),
              text(std::move(text)),
              content(std::move(content)) {}
        std::size_t row = 0;
        std::size_t row_end = 0;  // one past the last row it spans
        std::size_t column = 0;
        std::size_t column_end = 0;  // one past the last column it spans
        std::string text;
        CellContent content;
        Shade shade = NO_SHADE;
    };
    // An empty cell that is a mark: the row it is written in and the
    // declared columns it covers.
    struct Mark {
        std::size_t row;
        std::size_t column;
        std::size_t column_end;
    };
    using Row = std::span<PlacedCell>;
    // Whether a cell may stand at `address`: inside the grid, at a free position.
    bool usable(const std::optional<CellAddress>& address) const {
        return address && address->row < row_count_ && address->column < width_ &&
               taken_[address->row * width_ + address->column] == 0;
    }
    // The first free position in reading order (taken_.size() when none is).
    std::size_t first_free() const {
        const auto free = std::find(taken_.begin() + static_cast<std::ptrdiff_t>(next_free_), taken_.end(), 0);
        return static_cast<std::size_t>(free - taken_.begin());
    }
    // The placed cells of each row, left to right: row r is rows[r].
    std::vector<Row> sorted_rows();
    // The marks of the grid whose rows are `rows` (as sorted_rows gives
    // them) into marks_, by row: in the body (below the header, the rows of
    // the first row with two cells with text), a shade is a mark's when it
    // fills empty cells of at least two rows that hold text (or that a cell
    // with text spans down into), not all in the same columns, and hardly
    // ever a cell with text there or in the columns the marks stand in:
    // then each empty cell of that shade is a mark, and so is each of
    // another shade that stands only in their columns (a bar in a second
    // grey). A header shaded grey, a shaded corner, the shaded labels of a
    // form, a column shaded to be filled in and greyed figures have none.
    void find_marks(std::span<const Row> rows);
    // The marks of grid row `row` written into `written` (the row as
    // compact writes it, `before` its written columns), where it is empty.
    void write_marks(std::size_t row, const std::vector<std::size_t>& before, std::vector<TableCell>& written) const;
    // A cell's content as body blocks, appended to `out`.
    static void write_content(PlacedCell& cell, BlockList& out);
    // For each grid column c, how many columns left of it are written (a cell
    // with text of `rows` starts there); width_ + 1 entries, the last the
    // number of written columns.
    std::vector<std::size_t> written_before(std::span<const Row> rows) const;
    // The rows `rows` written as take writes a table, `before` being
    // written_before(rows).
    Table compact(std::span<const Row> rows, const std::vector<std::size_t>& before);
    // How many of the positions of `run` (its rows by the written columns of
    // `before`) hold a cell: one starting there, or one spanning down from a
    // row above. A cell covering no written column holds none.
    static std::size_t occupied(std::span<const Row> run, const std::vector<std::size_t>& before);
    // A run of rows with text, written to `out`: as a table, a form, the
    // page's layout, or (when it needs one column) its cells' blocks. A
    // table that is several stacked in one grid (see stacked_cuts) is
    // written as each of them, when `stacked` lets it.
    void write_run(std::span<const Row> run, BlockList& out, bool stacked = true);
    // Where a run written in the columns of `before` is really tables
    // stacked in one grid, each dividing the width its own way (a team's
    // staff above, its partners below): the rows that start a new one. A
    // row starts one when no cell above spans into it, it is a header
    // (three or more cells, each with text, none spanning down but the
    // first) with rows under it that hold text only in its columns, the
    // tables above it and below it each hold at least two rows, and each
    // leaves out some written column the other needs, so that written as
    // one they pad each other's rows.
    std::vector<std::size_t> stacked_cuts(std::span<const Row> run, const std::vector<std::size_t>& before) const;
    // Each row as its cells' blocks; a paragraph that follows another of its
    // row without a number of its own continues it, after a space.
    static void write_lines(std::span<const Row> run, BlockList& out);
    // A form: its rows in tables of rows of like length, each as a table
    // of its own columns, or when that is still mostly padding each row as
    // its cells one after the other; a row of one cell is its content.
    void write_form(std::span<const Row> run, const std::vector<std::size_t>& before, BlockList& out);

    // A cell spanning down into a row of a form: its column and the row of
    // the form it starts in.
    struct Cover {
        std::size_t column;
        std::size_t origin;
    };
    // For each row of `run`, the cells spanning down into it that cover a
    // written column, left to right.
    static std::vector<std::vector<Cover>> covers_of(std::span<const Row> run, const std::vector<std::size_t>& before);
    // A form's row `row` as written from the form's row `start` on, into
    // `entries`: its cells with text in order, an empty cell (nullptr) where
    // a cell of a row from `start` on spans down into it, so that the rows
    // under a label spanning them keep their places, and an empty cell for a
    // blank after a cell with text, which is its value (unless it covers no
    // written column: then it is a spacer).
    static void read_form_row(const Row& row, std::span<const Cover> down, std::size_t start,
                              const std::vector<std::size_t>& before, std::vector<PlacedCell*>& entries);

    std::size_t row_count_;
    std::size_t width_;
    // The cells with text a row may hold and a cell's content still be
    // needed (see may_stand_alone).
    std::uint8_t kept_text_cells_;
    // Every placed cell in one list (no two start at one position), in the
    // order placed; sorted_rows puts them in reading order.
    std::vector<PlacedCell> cells_;
    std::vector<std::uint8_t> row_text_cells_;  // cells with text per row, counted to 3; read for every cell
    std::vector<std::uint8_t> taken_;           // rows x width: started or covered
    std::size_t next_free_ = 0;                 // no free position before it
    bool shaded_blanks_ = false;                // an empty cell with a shade was placed
    std::vector<Mark> marks_;                   // by row, then column
};

}  // namespace brindle
