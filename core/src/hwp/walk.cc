// The section walk: one forward pass over a section's records that turns
// body paragraphs and the table, equation and drawing-object controls into
// content blocks, and passes over every other control unread.
//
// Body paragraph text is at level 1. A paragraph stays pending while the
// click-here field headers that follow it are matched to its fields; any
// other control header ends it, so a paragraph's text always precedes the
// blocks of the controls anchored in it.
#include <optional>
#include <string>
#include <utility>

#include "brindle/convert.h"
#include "brindle/format.h"
#include "brindle/paragraph_text.h"
#include "brindle/table.h"
#include "brindle/text.h"

namespace brindle {
namespace {

// Levels of a body paragraph's text and controls, and of a field's name
// record beneath its header.
constexpr std::uint16_t BODY_LEVEL = 1;
constexpr std::uint16_t FIELD_NAME_LEVEL = 2;

}  // namespace

void flush_paragraph(std::optional<PendingParagraph>& pending, BlockList& blocks) {
    if (!pending) return;
    std::string rendered = render_paragraph(*pending);
    pending.reset();
    // Stored untrimmed; assembly trims.
    if (!trim(rendered).empty()) blocks.emplace_back(Paragraph{std::move(rendered)});
}

void walk_section(Records records, BlockList& blocks, TableBudget& budget) {
    const std::size_t n = records.size();
    std::optional<PendingParagraph> pending;
    std::size_t i = 0;
    while (i < n) {
        const HwpRecord& r = records[i];
        if (r.tag_id == HWPTAG_PARA_TEXT && r.level == BODY_LEVEL) {
            flush_paragraph(pending, blocks);
            pending.emplace(PendingParagraph{decode_para_text(r.bytes()), {}});
            ++i;
            continue;
        }
        // Paragraph headers, shapes, line segments and text below level 1
        // are not ours to read.
        if (r.tag_id != HWPTAG_CTRL_HEADER) {
            ++i;
            continue;
        }

        const std::uint32_t id = control_id(r);
        if (r.level == BODY_LEVEL && id == CTRL_CLICK_HERE && pending && pending->wants_field()) {
            i = take_click_here_field(records, i, FIELD_NAME_LEVEL, *pending);
            continue;
        }

        flush_paragraph(pending, blocks);
        const std::size_t j = i + 1;
        switch (id) {
            case CTRL_EQUATION: {
                EquationParse eq = parse_equation(records, j, r.level);
                if (eq.script) blocks.emplace_back(Equation{std::move(*eq.script)});
                i = j + eq.consumed;
                break;
            }
            case CTRL_TABLE: {
                TableParse table = parse_table(records, j, r.level, 0, budget);
                if (table.table) blocks.emplace_back(std::move(*table.table));
                i = j + table.consumed;
                break;
            }
            case CTRL_DRAWING: {
                ShapeParse shape = collect_shape(records, j, r.level);
                if (shape.block) blocks.push_back(std::move(*shape.block));
                i = j + shape.consumed;
                break;
            }
            default:
                // Headers, footers, notes, other fields and unknown controls.
                i = skip_subtree(records, j, r.level);
                break;
        }
    }
    flush_paragraph(pending, blocks);
}

}  // namespace brindle
