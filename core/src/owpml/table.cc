// Tables (hp:tbl): rows (hp:tr) of cells (hp:tc), each cell a paragraph
// list (hp:subList) with its address and spans (hp:cellAddr, hp:cellSpan).
// By the exact rules a row's cells are taken in order and flattened to one
// run of text, nested tables folded in; the full profile places each cell
// at its address in the grid of the declared rows and columns, and the
// shared layout writes the grid as a reader reads it. Cells are read as
// the HWP walk reads them, through the same cell-text writer.
#include <algorithm>
#include <utility>
#include <vector>

#include "brindle/limits.h"
#include "model/cell_text.h"
#include "model/table_layout.h"
#include "owpml/names.h"
#include "owpml/walk.h"

namespace brindle::owpml {
namespace {

// What a cell holds, found in one pass over its children: its paragraph
// list, and its address and spans when it gives them (read only when
// `placed`: the exact rules take cells in order).
struct CellParts {
    Element list;
    std::optional<CellAddress> address;
};

constexpr std::string_view LIST_ONLY[] = {name::SUB_LIST};

CellParts cell_parts(Element cell, bool placed) {
    CellParts parts;
    if (!placed) {
        // The list alone: the cell's other children are passed over unresolved.
        cell.each_child_named(LIST_ONLY, [&](std::size_t, Element child) {
            if (child.ns() == Ns::Paragraph) parts.list = child;
        });
        return parts;
    }
    Element address, span;
    for (Element child : cell.children()) {
        if (child.is(Ns::Paragraph, name::SUB_LIST)) {
            parts.list = child;
        } else if (child.is(Ns::Paragraph, name::CELL_ADDRESS)) {
            address = child;
        } else if (child.is(Ns::Paragraph, name::CELL_SPAN)) {
            span = child;
        }
    }
    // A cell may carry its address and span as attributes of its own, as
    // HWPML's do.
    if (!address && !cell.attribute("colAddr").empty()) address = span = cell;
    if (address) {
        CellAddress& at =
            parts.address.emplace(CellAddress{address.number("rowAddr", 0), address.number("colAddr", 0), 1, 1});
        if (span) {
            at.row_span = span.number("rowSpan", 1);
            at.column_span = span.number("colSpan", 1);
        }
    }
    return parts;
}

// One cell's text (of its paragraph list): its paragraphs in order, each with the click-here fields
// described that the cell's controls describe, the tables nested in it
// folded in, and by the full profile the text of its drawing objects and
// what its notes, links and numbers add. With `content` (full profile), the
// same paragraphs and objects kept for the cell's body form.
std::string parse_cell(Element list, std::int32_t depth, WalkContext& context, CellContent* content = nullptr) {
    const bool full = context.full();
    std::string text;
    if (!list) return text;
    for (Element p : list.children()) {
        if (!p.is(Ns::Paragraph, name::PARAGRAPH)) continue;
        DecodedParagraph decoded = decode_paragraph(p, context.profile, true, &context.definitions);
        std::optional<OpenParagraph> open(
            OpenParagraph{PendingParagraph{std::move(decoded.text), {}}, {}, decoded.look});
        for (const Control& control : decoded.controls) {
            if (control.kind == ControlKind::ClickHere && open && open->text.wants_field()) {
                open->text.fields.push_back(describe_click_here(control.element));
                record_form_field(context, open->text);
                continue;
            }
            if (!full && open) {
                flush_cell_paragraph(open->text, text);
                open.reset();
            }
            std::string& into = open ? open->controls.trailing_text : text;
            // A cell's paragraphs hold no trailing blocks of their own: there
            // they are the objects' blocks for the cell's body form.
            OpenParagraph* paragraph = open ? &*open : nullptr;
            if (control.kind == ControlKind::Table && depth < MAX_TABLE_DEPTH) {
                TableBlocks nested = parse_table(control.element, depth + 1, context, TextContext::Cell);
                if (nested.table) fold_nested_table(*nested.table, into);
                if (nested.table && content != nullptr) {
                    BlockList table;
                    table.emplace_back(std::move(*nested.table));
                    keep_cell_blocks(content, paragraph, std::move(table));
                }
            } else if (control.kind == ControlKind::Table) {
                context.warn_tables_too_deep();
            } else if (full && control.kind == ControlKind::Drawing) {
                BlockList shape = collect_shape(control.element, context, TextContext::Cell);
                append_cell_blocks(into, shape, CELL_LINE_BREAK);
                keep_cell_blocks(content, paragraph, std::move(shape));
            } else if (full && control.kind == ControlKind::Equation) {
                // Inline math in a cell: at its place, or after the text.
                BlockList equation;
                take_equation(control.element, open ? &*open : nullptr, equation, context, TextContext::Cell);
                append_cell_blocks(into, equation, CELL_LINE_BREAK);
                keep_cell_blocks(content, paragraph, std::move(equation));
            } else if (full) {
                BlockList ignored;  // a cell holds text only
                take_paragraph_control(control, open ? &open->controls : nullptr, ignored, context, false);
            }
            // Equations and drawing objects by the exact rules and tables
            // nested too deep contribute nothing to the cell.
        }
        if (full) {
            ParagraphHead head = paragraph_head(decoded.refs, context);
            const std::size_t before = text.size();
            if (open) append_cell_paragraph(text, *open, head);
            // A paragraph that adds nothing to the cell's text and holds no
            // object would write nothing in its body form either: it is not kept.
            const bool blank = text.size() == before && open && open->controls.trailing.empty();
            if (open && content != nullptr && !blank) {
                content->emplace_back(std::in_place_type<CellParagraph>, std::move(*open), std::move(head));
            }
        } else if (open) {
            flush_cell_paragraph(open->text, text);
        }
    }
    return text;
}

}  // namespace

void take_caption(Element caption, Caption& out, WalkContext& context, TextContext place) {
    const std::string_view side = caption.attribute("side");
    out.after = side != "LEFT" && side != "TOP";
    walk_sub_list(caption.child(Ns::Paragraph, name::SUB_LIST), out.blocks, context, place);
}

TableBlocks parse_table(Element tbl, std::int32_t depth, WalkContext& context, TextContext place) {
    const bool full = context.full();
    TableBlocks result;
    if (full) {
        if (const Element caption = tbl.child(Ns::Paragraph, name::CAPTION)) {
            take_caption(caption, result.caption, context, place);
        }
    }
    std::vector<std::vector<Element>> rows;
    std::size_t widest = 0, cell_count = 0;
    for (Element tr : tbl.children()) {
        if (!tr.is(Ns::Paragraph, name::ROW)) continue;
        std::vector<Element>& cells = rows.emplace_back();
        for (Element tc : tr.children()) {
            if (tc.is(Ns::Paragraph, name::CELL)) cells.push_back(tc);
        }
        widest = std::max(widest, cells.size());
        cell_count += cells.size();
    }
    std::uint64_t grid = checked_table_grid(rows.size(), widest);
    // The full profile's grid is as wide as the declared columns (or, when
    // none are declared, the widest row).
    std::size_t width = 0;
    if (full) {
        width = tbl.number("colCnt", 0);
        if (width == 0) width = widest;
        grid = std::max(grid, checked_table_grid(rows.size(), width));
    }
    context.budget.charge(std::uint64_t{rows.size()} + grid);
    if (rows.empty()) return result;

    // A table of one cell in the body is a frame drawn around its content.
    if (full && depth == 0 && place == TextContext::Body && rows.size() == 1 && rows.front().size() == 1) {
        walk_sub_list(cell_parts(rows.front().front(), false).list, result.frame, context, TextContext::Body);
        return result;
    }
    if (full) {
        if (width == 0) return result;
        // In the body a table is laid out to be read: full-width rows leave
        // the grid. Nested in a cell it is folded into the cell's text.
        const bool laid_out = depth == 0 && place == TextContext::Body;
        TableGrid cells(rows.size(), width, cell_count);
        // A cell's shade tells a mark; a document without shading has none.
        const bool shaded = !context.definitions.border_fills.empty();
        for (const auto& row : rows) {
            for (const Element& tc : row) {
                CellParts parts = cell_parts(tc, true);
                CellContent content;
                const bool kept = laid_out && cells.may_stand_alone(parts.address);
                std::string text = parse_cell(parts.list, depth, context, kept ? &content : nullptr);
                const Shade shade = shaded ? context.definitions.shade(tc.number("borderFillIDRef", 0)) : NO_SHADE;
                if (shade != NO_SHADE) {
                    cells.place(parts.address, std::move(text), std::move(content), shade);
                } else {
                    cells.place(parts.address, std::move(text), std::move(content));
                }
            }
        }
        if (laid_out) {
            TableLayout layout = std::move(cells).lay_out();
            result.table = std::move(layout.table);
            result.frame = std::move(layout.blocks);
            return result;
        }
        Table table = std::move(cells).take();
        if (!table.rows.empty()) result.table = std::move(table);
        return result;
    }
    Table table;
    table.rows.reserve(rows.size());
    for (const auto& row : rows) {
        std::vector<TableCell>& cells = table.rows.emplace_back();
        cells.reserve(row.size());
        for (const Element& tc : row)
            cells.push_back(TableCell{parse_cell(cell_parts(tc, false).list, depth, context)});
    }
    result.table = std::move(table);
    return result;
}

}  // namespace brindle::owpml
