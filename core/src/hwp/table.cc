// Table controls: the records after a 'tbl ' control header become rows of
// cells, each cell flattened to one run of text with nested tables folded in.
//
// The table's own records sit one level below the header (level D): first
// any caption (a HWPTAG_LIST_HEADER with its paragraphs), then the
// HWPTAG_TABLE record (rows, columns and cells per row), then one
// HWPTAG_LIST_HEADER per cell, each followed by the cell's paragraphs and
// controls at level D and deeper. By the exact rules cells are placed in
// record order and the caption, the cell addresses and the spans are not
// read; the full profile places each cell at its own address in a grid as
// wide as the declared columns, with its shade (in a document with
// shading), leaves the positions a span covers empty, and keeps the
// caption.
#include <algorithm>
#include <string>
#include <utility>

#include "brindle/limits.h"
#include "hwp/caption.h"
#include "hwp/click_here.h"
#include "hwp/equation.h"
#include "hwp/format.h"
#include "hwp/paragraph_controls.h"
#include "hwp/paragraph_look.h"
#include "hwp/paragraph_text.h"
#include "hwp/shape.h"
#include "hwp/symbol_codes.h"
#include "hwp/table.h"
#include "hwp/walk.h"
#include "model/cell_text.h"
#include "model/table.h"
#include "model/table_layout.h"
#include "text.h"

namespace brindle {
namespace {

// HWPTAG_TABLE payload: attributes (4), row count (2), column count (2),
// spacing and margins (10), then one u16 cell count per row.
constexpr std::size_t TABLE_ROW_COUNT_OFFSET = 4;
constexpr std::size_t TABLE_COLUMN_COUNT_OFFSET = 6;
constexpr std::size_t TABLE_CELL_COUNTS_OFFSET = 18;

// Declared cells of row k, or 0 when the payload is too short to hold it.
std::uint16_t declared_cells(Bytes payload, std::size_t k) {
    return read_u16_or(payload, TABLE_CELL_COUNTS_OFFSET + 2 * k, 0);
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
    return checked_table_grid(rows, widest);
}

// The cells a table's rows declare, but no more than `records` (each cell
// starts with a record of its own): what its grid makes room for.
std::size_t expected_cells(Bytes payload, std::uint16_t rows, std::size_t records) {
    std::size_t declared = 0;
    for (std::size_t k = 0; k < rows && declared < records; ++k) declared += declared_cells(payload, k);
    return std::min(declared, records);
}

// End a cell's paragraph: by the full profile with the number or bullet its
// header names (which counts even when the paragraph has no text), and with
// `content` also kept for the cell's body form.
void flush_cell(std::optional<ParagraphSlot>& open, const HwpRecord*& header, const HwpRecord*& char_shapes,
                std::string& cell_text, WalkContext& context, CellContent* content) {
    if (context.full()) {
        ParagraphHead head = read_paragraph_head(header, context);
        const std::size_t before = cell_text.size();
        if (open) append_cell_paragraph(cell_text, *open, head);
        // A paragraph that adds nothing to the cell's text and holds no
        // object would write nothing in its body form either: it is not kept.
        const bool blank = cell_text.size() == before && open && open->controls.trailing.empty();
        if (open && content != nullptr && !blank) {
            open->look = read_paragraph_look(header, char_shapes);
            auto& kept = std::get<CellParagraph>(
                content->emplace_back(std::in_place_type<CellParagraph>, std::move(*open), std::move(head)));
            // The text's buffer, made for the longest encoding, stays for
            // the next paragraph: the kept one takes a copy, most often
            // short enough to need no buffer at all.
            std::string& text = kept.paragraph.text.para.text;
            open->text.para.text = std::move(text);
            text = open->text.para.text;
        }
        header = nullptr;
        char_shapes = nullptr;
    } else if (open) {
        flush_cell_paragraph(open->text, cell_text);
    }
    close_paragraph(open, context);
}

// Parse the cell whose HWPTAG_LIST_HEADER is at `f`; on return `f` is the
// first record after the cell. A cell ends at a record above the table's
// level or at the next cell header. With `content` (full profile), its
// paragraphs and objects also kept for the cell's body form. `open` holds
// the paragraph being read, empty before and after: one for all a table's
// cells, since making one costs more than most cells' text (it is zeroed
// whole, all the lists of its controls).
std::string parse_cell(Records records, std::size_t& f, std::uint32_t table_level, std::int32_t depth,
                       WalkContext& context, std::optional<ParagraphSlot>& open, CellContent* content = nullptr) {
    const std::size_t n = records.size();
    const bool full = context.full();
    std::string text;
    // Full profile: the header and character shapes of the paragraph being read.
    const HwpRecord* header = nullptr;
    const HwpRecord* char_shapes = nullptr;
    ++f;  // the list header itself carries nothing the cell's text needs
    while (f < n) {
        const HwpRecord& r = records[f];
        if (r.level < table_level || (r.tag_id == HWPTAG_LIST_HEADER && r.level == table_level)) break;
        if (full && r.tag_id == HWPTAG_PARA_HEADER && r.level == table_level) {
            // A cell's first header ends no paragraph: the call is spared.
            if (open || header != nullptr) {
                flush_cell(open, header, char_shapes, text, context, content);
            } else {
                char_shapes = nullptr;
            }
            header = &r;
            ++f;
            continue;
        }
        if (full && r.tag_id == HWPTAG_PARA_CHAR_SHAPE && r.level == table_level + 1) {
            char_shapes = &r;
            ++f;
            continue;
        }
        if (r.tag_id == HWPTAG_PARA_TEXT) {
            if (open) flush_cell(open, header, char_shapes, text, context, content);
            open.emplace();  // built in place: a paragraph with its controls is large to move
            open->text.para = decode_text_record(records, f, context);
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
        if (id == CTRL_CLICK_HERE && open && open->text.wants_field()) {
            f = take_click_here_field(records, f, std::uint32_t{control_level} + 1, open->text);
            record_form_field(context, open->text);
            continue;
        }
        // The full profile keeps the paragraph open: a nested table's text
        // follows it, and notes, links and numbers go into it.
        if (!full) flush_cell(open, header, char_shapes, text, context, content);
        // A cell's paragraphs hold no trailing blocks of their own: there
        // they are the objects' blocks for the cell's body form.
        OpenParagraph* paragraph = open ? &*open : nullptr;
        if (id == CTRL_TABLE && depth < MAX_TABLE_DEPTH) {
            TableParse nested = parse_table(records, f + 1, control_level, depth + 1, context);
            if (nested.table) fold_nested_table(*nested.table, open ? open->controls.trailing_text : text);
            if (nested.table && content != nullptr) {
                BlockList table;
                table.emplace_back(std::move(*nested.table));
                keep_cell_blocks(content, paragraph, std::move(table));
            }
            f += 1 + nested.consumed;
            continue;
        }
        if (id == CTRL_TABLE) context.warn_tables_too_deep();
        // The full profile writes a drawing object's pictures and text into
        // the cell, after the text of the paragraph it stands in.
        if (full && id == CTRL_DRAWING) {
            ShapeParse shape = collect_shape(records, f + 1, control_level, context, TextContext::Cell);
            append_cell_blocks(open ? open->controls.trailing_text : text, shape.blocks, CELL_LINE_BREAK);
            keep_cell_blocks(content, paragraph, std::move(shape.blocks));
            f += 1 + shape.consumed;
            continue;
        }
        // Equations are inline math in a cell: at their place, or after the
        // paragraph's text.
        if (full && id == CTRL_EQUATION) {
            BlockList equation;
            f = take_equation(records, f, open ? &*open : nullptr, equation, context, TextContext::Cell);
            append_cell_blocks(open ? open->controls.trailing_text : text, equation, CELL_LINE_BREAK);
            keep_cell_blocks(content, paragraph, std::move(equation));
            continue;
        }
        if (full) {
            BlockList ignored;  // a cell holds text only
            if (const auto next =
                    take_paragraph_control(records, f, open ? &open->controls : nullptr, ignored, context, false)) {
                f = *next;
                continue;
            }
        }
        // Equations and drawing objects by the exact rules, fields without a
        // paragraph and tables nested too deep contribute nothing to the cell.
        f = skip_subtree(records, f + 1, control_level);
    }
    flush_cell(open, header, char_shapes, text, context, content);
    return text;
}

// A cell's address and spans from its list header, when it holds them.
std::optional<CellAddress> cell_address(Bytes list_header) {
    if (list_header.size() < LIST_OWNER_OFFSET + 8) return std::nullopt;
    return CellAddress{read_u16(list_header, LIST_OWNER_OFFSET + 2), read_u16(list_header, LIST_OWNER_OFFSET),
                       read_u16(list_header, LIST_OWNER_OFFSET + 6), read_u16(list_header, LIST_OWNER_OFFSET + 4)};
}

}  // namespace

TableParse parse_table(Records records, std::size_t start, std::uint16_t level, std::int32_t depth,
                       WalkContext& context, TextContext place) {
    const std::size_t n = records.size();
    const bool full = context.full();
    start = std::min(start, n);
    // Callers start at depth 0; a negative depth would only lift the bound
    // on recursion.
    depth = std::max(depth, std::int32_t{0});
    const std::uint32_t table_level = std::uint32_t{level} + 1;
    TableParse result;

    // The table record comes after any caption, which the exact rules pass
    // over and the full profile walks.
    std::size_t i = start;
    bool captioned = false;
    while (i < n) {
        const HwpRecord& r = records[i];
        if (r.level < table_level) {
            result.consumed = i - start;
            return result;
        }
        if (r.tag_id == HWPTAG_TABLE && r.level == table_level) break;
        if (full && r.tag_id == HWPTAG_LIST_HEADER && r.level == table_level && !captioned) {
            captioned = true;
            i = take_caption(records, i, result.caption, context, place);
            continue;
        }
        ++i;
    }
    if (i == n) {
        result.consumed = n - start;
        return result;
    }

    // Too short for the row count: only the table record is taken, and the
    // caller reads the cells' records itself.
    const Bytes payload = records[i].bytes();
    if (payload.size() < TABLE_CELL_COUNTS_OFFSET) {
        result.consumed = i - start + 1;
        return result;
    }
    const std::uint16_t row_count = read_u16(payload, TABLE_ROW_COUNT_OFFSET);
    std::uint64_t grid = check_table_size(payload, row_count);
    // The full profile's grid is as wide as the declared columns (or, when
    // none are declared, the widest row).
    std::size_t width = 0;
    if (full) {
        width = read_u16(payload, TABLE_COLUMN_COUNT_OFFSET);
        if (width == 0) width = static_cast<std::size_t>(row_count == 0 ? 0 : grid / row_count);
        grid = std::max(grid, checked_table_grid(row_count, width));
    }
    context.budget.charge(std::uint64_t{row_count} + grid);
    std::size_t f = i + 1;
    std::optional<ParagraphSlot> open;  // the paragraph of a cell being read
    const auto is_cell = [&](std::size_t k) {
        return k < n && records[k].tag_id == HWPTAG_LIST_HEADER && records[k].level == table_level;
    };

    // A table of one cell in the body is a frame drawn around its content:
    // the cell's paragraphs are walked as the body's are.
    const bool frame = full && depth == 0 && place == TextContext::Body && row_count == 1 &&
                       declared_cells(payload, 0) == 1 && is_cell(f);
    if (frame) {
        f = walk_paragraph_list(records, f + 1, static_cast<std::uint16_t>(table_level), result.frame, context);
    } else if (full) {
        if (width > 0) {
            // In the body a table is laid out to be read: full-width rows
            // leave the grid. Nested in a cell it is folded into its text.
            const bool laid_out = depth == 0 && place == TextContext::Body;
            TableGrid cells(row_count, width, expected_cells(payload, row_count, n - f));
            // A cell's shade tells a mark; a document without shading has none.
            const bool shaded = !context.definitions.border_fills.empty();
            for (std::size_t k = 0; k < row_count; ++k) {
                const std::uint16_t declared = declared_cells(payload, k);
                for (std::uint16_t c = 0; c < declared && is_cell(f); ++c) {
                    const Bytes list_header = records[f].bytes();
                    const std::optional<CellAddress> address = cell_address(list_header);
                    CellContent content;
                    const bool kept = laid_out && cells.may_stand_alone(address);
                    std::string text =
                        parse_cell(records, f, table_level, depth, context, open, kept ? &content : nullptr);
                    const Shade shade =
                        shaded ? context.definitions.shade(read_u16_or(list_header, CELL_BORDER_FILL_OFFSET, 0))
                               : NO_SHADE;
                    if (shade != NO_SHADE) {
                        cells.place(address, std::move(text), std::move(content), shade);
                    } else {
                        cells.place(address, std::move(text), std::move(content));
                    }
                }
            }
            if (laid_out) {
                TableLayout layout = std::move(cells).lay_out();
                result.table = std::move(layout.table);
                result.frame = std::move(layout.blocks);
            } else {
                Table table = std::move(cells).take();
                if (!table.rows.empty()) result.table = std::move(table);
            }
        }
    } else {
        Table table;
        table.rows.reserve(row_count);
        for (std::size_t k = 0; k < row_count; ++k) {
            const std::uint16_t declared = declared_cells(payload, k);
            std::vector<TableCell>& row = table.rows.emplace_back();
            row.reserve(declared);
            for (std::uint16_t c = 0; c < declared; ++c) {
                // Once a cell header is missing, every later cell stays empty.
                if (is_cell(f)) {
                    row.push_back(TableCell{parse_cell(records, f, table_level, depth, context, open)});
                } else {
                    row.emplace_back();
                }
            }
        }
        if (row_count != 0) result.table = std::move(table);
    }

    // Surplus cells beyond the declared counts are dropped with their content.
    while (f < n && records[f].level >= table_level) ++f;
    result.consumed = f - start;
    return result;
}

}  // namespace brindle
