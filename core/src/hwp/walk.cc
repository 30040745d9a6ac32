// The section walk: one forward pass over a section's records that turns
// body paragraphs and the table, equation and drawing-object controls into
// content blocks, and passes over every other control unread.
//
// Body paragraph text is at level 1. A paragraph stays pending while the
// click-here field headers that follow it are matched to its fields; any
// other control header ends it, so a paragraph's text always precedes the
// blocks of the controls anchored in it.
//
// The full profile walks every paragraph list this way (the body, notes,
// headers and footers, text boxes, captions), with a paragraph header as
// the paragraph's start: the header names its number or bullet, and the
// paragraph stays open through all its controls, whose blocks follow it
// and whose notes, links and numbers go into its text.
#include <optional>
#include <string>
#include <utility>

#include "hwp/caption.h"
#include "hwp/click_here.h"
#include "hwp/equation.h"
#include "hwp/format.h"
#include "hwp/page_layout.h"
#include "hwp/paragraph_controls.h"
#include "hwp/paragraph_look.h"
#include "hwp/paragraph_text.h"
#include "hwp/shape.h"
#include "hwp/symbol_codes.h"
#include "hwp/table.h"
#include "hwp/walk.h"
#include "model/table.h"
#include "text.h"

namespace brindle {
namespace {

// One paragraph list and where its paragraphs stand: paragraph headers at
// `base`, their text and controls one level down.
struct ListWalk {
    Records records;
    std::uint16_t base;
    bool bounded;       // a list inside a control, which ends with the list
    bool headings;      // outline paragraphs become headings (the body only)
    TextContext place;  // paragraphs written for the body or for a table cell
    BlockList& blocks;
    WalkContext& context;
};

// Full profile: the paragraph's blocks. Its number is taken now, when the
// paragraph's controls have been read: the section definition in a
// section's first paragraph sets the outline numbering that paragraph is
// numbered by. A paragraph without text still counts in its numbering.
void flush_open(std::optional<ParagraphSlot>& open, const HwpRecord*& header, const HwpRecord*& char_shapes,
                const ListWalk& walk) {
    ParagraphHead head = read_paragraph_head(header, walk.context);
    // A body paragraph's page is known now, before its blocks are written.
    if (!walk.bounded) walk.context.pages.place_paragraph(walk.blocks);
    if (open) {
        open->look = read_paragraph_look(header, char_shapes);
        emit_paragraph(*open, std::move(head), walk.headings, walk.place, walk.blocks);
    }
    header = nullptr;
    char_shapes = nullptr;
    close_paragraph(open, walk.context);
    if (!walk.bounded) {
        take_hoisted_margins(walk.context, walk.blocks);
        walk.context.pages.end_paragraph(walk.blocks);
    }
}

void flush(std::optional<ParagraphSlot>& open, const HwpRecord*& header, const HwpRecord*& char_shapes,
           const ListWalk& walk) {
    if (walk.context.full()) return flush_open(open, header, char_shapes, walk);
    if (!open) return;
    flush_paragraph(open->text, walk.blocks);
    close_paragraph(open, walk.context);
}

// A list inside a control ends at the first record above its paragraphs,
// or beside them but not another paragraph header.
bool ends_list(const HwpRecord& r, const ListWalk& walk) {
    return walk.bounded && (r.level < walk.base || (r.level == walk.base && r.tag_id != HWPTAG_PARA_HEADER));
}

std::size_t walk_list(std::size_t i, const ListWalk& walk) {
    const Records records = walk.records;
    WalkContext& context = walk.context;
    const bool full = context.full();
    // Full profile: the body's paragraphs tell the pages where they begin.
    const bool layout = full && !walk.bounded && context.pages.counting();
    const std::size_t n = records.size();
    const std::uint32_t text_level = std::uint32_t{walk.base} + 1;
    std::optional<ParagraphSlot> open;
    // Full profile: the header and character shapes of the paragraph being read.
    const HwpRecord* header = nullptr;
    const HwpRecord* char_shapes = nullptr;
    while (i < n) {
        const HwpRecord& r = records[i];
        if (ends_list(r, walk)) break;
        if (full && r.tag_id == HWPTAG_PARA_HEADER && r.level == walk.base) {
            flush(open, header, char_shapes, walk);
            header = &r;
            if (layout) read_paragraph_breaks(r, context.pages.begin_paragraph(walk.blocks.size()));
            ++i;
            continue;
        }
        if (layout && r.tag_id == HWPTAG_PARA_LINE_SEG && r.level == text_level) {
            if (context.pages.in_paragraph()) read_line_segments(r, context.pages.paragraph());
            ++i;
            continue;
        }
        if (full && r.tag_id == HWPTAG_PARA_CHAR_SHAPE && r.level == text_level) {
            char_shapes = &r;
            ++i;
            continue;
        }
        if (r.tag_id == HWPTAG_PARA_TEXT && r.level == text_level) {
            // A second text record would be a paragraph of its own, without a header.
            if (open) flush(open, header, char_shapes, walk);
            open.emplace();  // built in place: a paragraph with its controls is large to move
            open->text.para = decode_text_record(records, i, context);
            ++i;
            continue;
        }
        // Paragraph headers, shapes, line segments and text below level 1
        // are not ours to read (nor, by the exact rules, line segments at all).
        if (r.tag_id != HWPTAG_CTRL_HEADER) {
            ++i;
            continue;
        }

        const std::uint32_t id = control_id(r);
        if (layout && r.level == text_level && context.pages.in_paragraph()) {
            read_layout_control(records, i, id, context.pages.paragraph(), context.pages);
        }
        if (r.level == text_level && id == CTRL_CLICK_HERE && open && open->text.wants_field()) {
            i = take_click_here_field(records, i, text_level + 1, open->text);
            record_form_field(context, open->text);
            continue;
        }

        // The exact rules end the paragraph here; the full profile keeps it
        // open and puts the control's blocks after it.
        if (!full) flush(open, header, char_shapes, walk);
        BlockList& out = full && open ? open->controls.trailing : walk.blocks;
        const std::size_t j = i + 1;
        switch (id) {
            case CTRL_EQUATION: {
                if (full) {
                    i = take_equation(records, i, open ? &*open : nullptr, out, context, walk.place);
                    break;
                }
                EquationParse eq = parse_equation(records, j, r.level, context, walk.place);
                BlockList equation;
                if (eq.script) equation.emplace_back(Equation{std::move(*eq.script)});
                append_captioned(out, std::move(eq.caption), std::move(equation));
                i = j + eq.consumed;
                break;
            }
            case CTRL_TABLE: {
                TableParse table = parse_table(records, j, r.level, 0, context, walk.place);
                if (walk.headings) mark_origin(table.frame, Origin::Frame);
                if (table.table) table.frame.emplace_back(std::move(*table.table));
                append_captioned(out, std::move(table.caption), std::move(table.frame));
                i = j + table.consumed;
                break;
            }
            case CTRL_DRAWING: {
                ShapeParse shape = collect_shape(records, j, r.level, context, walk.place);
                std::move(shape.blocks.begin(), shape.blocks.end(), std::back_inserter(out));
                i = j + shape.consumed;
                break;
            }
            default: {
                // Notes, links, numbers and headers add to the paragraph in
                // the full profile; every other control is passed over.
                std::optional<std::size_t> next;
                if (full) {
                    next = take_paragraph_control(records, i, open ? &open->controls : nullptr, out, context,
                                                  !walk.bounded);
                }
                i = next ? *next : skip_subtree(records, j, r.level);
                break;
            }
        }
    }
    flush(open, header, char_shapes, walk);
    return i;
}

}  // namespace

void walk_section(Records records, BlockList& blocks, WalkContext& context) {
    if (context.full()) context.pages.begin_section();
    walk_list(0, ListWalk{records, 0, false, true, TextContext::Body, blocks, context});
}

std::size_t walk_paragraph_list(Records records, std::size_t start, std::uint16_t base, BlockList& blocks,
                                WalkContext& context, TextContext place) {
    const ListWalk walk{records, base, true, false, place, blocks, context};
    if (context.list_depth >= MAX_LIST_DEPTH) {
        // Too deep to walk: the list is passed over whole.
        context.warn_lists_too_deep();
        std::size_t i = start;
        while (i < records.size() && !ends_list(records[i], walk)) ++i;
        return i;
    }
    ++context.list_depth;
    const std::size_t end = walk_list(start, walk);
    --context.list_depth;
    return end;
}

}  // namespace brindle
