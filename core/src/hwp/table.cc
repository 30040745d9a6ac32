// Table controls: the records after a 'tbl ' control header become rows of
// cells, each cell flattened to one run of text with nested tables folded in.
//
// The table's own records sit one level below the header (level D): first
// the HWPTAG_TABLE record (rows and cells per row), then one
// HWPTAG_LIST_HEADER per cell, each followed by the cell's paragraphs and
// controls at level D and deeper. Cells are placed in record order; the
// cell addresses and spans in the list headers are not read.
#include <algorithm>
#include <string>
#include <utility>

#include "brindle/format.h"
#include "brindle/limits.h"
#include "brindle/paragraph_text.h"
#include "brindle/table.h"
#include "brindle/text.h"

namespace brindle {
namespace {

// HWPTAG_TABLE payload: attributes (4), row count (2), column count (2),
// spacing and margins (10), then one u16 cell count per row.
constexpr std::size_t TABLE_ROW_COUNT_OFFSET = 4;
constexpr std::size_t TABLE_CELL_COUNTS_OFFSET = 18;

// Declared cells of row k, or 0 when the payload is too short to hold it.
std::uint16_t declared_cells(Bytes payload, std::size_t k) {
    const std::size_t offset = TABLE_CELL_COUNTS_OFFSET + 2 * k;
    return offset + 2 <= payload.size() ? read_u16(payload, offset) : 0;
}

// Refuse a table whose grid would let a few bytes of input allocate
// gigabytes. The grid is every row padded to the widest one, as the pipe
// table renders it; it is never smaller than the sum of the declared cells,
// so it bounds the cells materialised here as well as the rendered text
// (65535 rows under one row of 65535 cells would otherwise render as 4 * 10^9
// bytes from a sum of only 65535 cells). Only counts present in the payload
// can be non-zero, so the loop is bounded by the payload, not the row count.
std::uint64_t check_table_size(Bytes payload, std::uint16_t rows) {
    const std::size_t present = (payload.size() - TABLE_CELL_COUNTS_OFFSET) / 2;
    const std::size_t counted = std::min<std::size_t>(rows, present);
    std::uint64_t widest = 0;
    for (std::size_t k = 0; k < counted; ++k) {
        widest = std::max<std::uint64_t>(widest, read_u16(payload, TABLE_CELL_COUNTS_OFFSET + 2 * k));
    }
    const std::uint64_t grid = widest * rows;
    if (grid > MAX_TABLE_CELLS) {
        throw LimitExceeded("table declares " + std::to_string(rows) + " rows of up to " +
                            std::to_string(widest) + " cells (" + std::to_string(grid) +
                            " grid cells); at most " + std::to_string(MAX_TABLE_CELLS) +
                            " are supported");
    }
    return grid;
}

// Append a nested table's non-empty cell texts, row by row, to a cell text.
void fold_nested_table(const Table& nested, std::string& cell_text) {
    for (const auto& row : nested.rows) {
        for (const TableCell& cell : row) {
            if (cell.text.empty()) continue;
            if (!cell_text.empty()) cell_text.push_back(' ');
            cell_text.append(cell.text);
        }
    }
}

// Parse the cell whose HWPTAG_LIST_HEADER is at `f`; on return `f` is the
// first record after the cell. A cell ends at a record above the table's
// level or at the next cell header.
std::string parse_cell(Records records, std::size_t& f, std::uint32_t table_level, std::int32_t depth,
                       TableBudget& budget) {
    const std::size_t n = records.size();
    std::string text;
    std::optional<PendingParagraph> pending;
    ++f;  // the list header itself carries nothing we read
    while (f < n) {
        const HwpRecord& r = records[f];
        if (r.level < table_level || (r.tag_id == HWPTAG_LIST_HEADER && r.level == table_level)) break;
        if (r.tag_id == HWPTAG_PARA_TEXT) {
            flush_cell_paragraph(pending, text);
            pending.emplace(PendingParagraph{decode_para_text(r.bytes()), {}});
            ++f;
            continue;
        }
        if (r.tag_id != HWPTAG_CTRL_HEADER) {
            ++f;
            continue;
        }
        const std::uint32_t id = control_id(r);
        const std::uint16_t control_level = r.level;
        // A click-here header describes the next undescribed field of the
        // pending paragraph; its name record, if any, is one level deeper.
        if (id == CTRL_CLICK_HERE && pending && pending->wants_field()) {
            f = take_click_here_field(records, f, std::uint32_t{control_level} + 1, *pending);
            continue;
        }
        flush_cell_paragraph(pending, text);
        ++f;
        if (id == CTRL_TABLE && depth < MAX_TABLE_DEPTH) {
            const TableParse nested = parse_table(records, f, control_level, depth + 1, budget);
            if (nested.table) fold_nested_table(*nested.table, text);
            f += nested.consumed;
        } else {
            // Equations, drawing objects, fields without a paragraph and
            // tables nested too deep contribute nothing to the cell.
            f = skip_subtree(records, f, control_level);
        }
    }
    flush_cell_paragraph(pending, text);
    return text;
}

}  // namespace

void flush_cell_paragraph(std::optional<PendingParagraph>& pending, std::string& cell_text) {
    if (!pending) return;
    const std::string rendered = render_paragraph(*pending);
    pending.reset();
    const std::string_view kept = trim(rendered);
    if (kept.empty()) return;
    if (!cell_text.empty()) cell_text.push_back(' ');
    cell_text.append(kept);
}

TableParse parse_table(Records records, std::size_t start, std::uint16_t level, std::int32_t depth,
                       TableBudget& budget) {
    const std::size_t n = records.size();
    start = std::min(start, n);
    // Callers start at depth 0; a negative depth would only lift the bound
    // on recursion.
    depth = std::max(depth, std::int32_t{0});
    const std::uint32_t table_level = std::uint32_t{level} + 1;

    // The table record comes after any caption, which is passed over.
    std::size_t i = start;
    while (i < n) {
        const HwpRecord& r = records[i];
        if (r.level < table_level) return {std::nullopt, i - start};
        if (r.tag_id == HWPTAG_TABLE && r.level == table_level) break;
        ++i;
    }
    if (i == n) return {std::nullopt, n - start};

    // Too short for the row count: only the table record is taken, and the
    // caller reads the cells' records itself.
    const Bytes payload = records[i].bytes();
    if (payload.size() < TABLE_CELL_COUNTS_OFFSET) return {std::nullopt, i - start + 1};
    const std::uint16_t row_count = read_u16(payload, TABLE_ROW_COUNT_OFFSET);
    budget.charge(std::uint64_t{row_count} + check_table_size(payload, row_count));

    Table table;
    table.rows.reserve(row_count);
    std::size_t f = i + 1;
    for (std::size_t k = 0; k < row_count; ++k) {
        const std::uint16_t cells = declared_cells(payload, k);
        std::vector<TableCell> row;
        row.reserve(cells);
        for (std::uint16_t c = 0; c < cells; ++c) {
            // Once a cell header is missing, every later cell stays empty.
            if (f < n && records[f].tag_id == HWPTAG_LIST_HEADER && records[f].level == table_level) {
                row.push_back(TableCell{parse_cell(records, f, table_level, depth, budget)});
            } else {
                row.emplace_back();
            }
        }
        table.rows.push_back(std::move(row));
    }

    // Surplus cells beyond the declared counts are dropped with their content.
    while (f < n && records[f].level >= table_level) ++f;
    if (row_count == 0) return {std::nullopt, f - start};
    return {std::move(table), f - start};
}

}  // namespace brindle
