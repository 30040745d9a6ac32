// The OWPML front end: section parts walked into the document model's
// blocks and notes, by the same rules as the HWP walk. A paragraph (hp:p)
// is its runs' text with its controls in the order they stand, which is
// the order an HWP file keeps their control headers in; what the HWP walk
// does at a control header, this walk does at the control's element.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "brindle/profile.h"
#include "model/content_block.h"
#include "model/paragraph.h"
#include "model/table.h"
#include "model/walk_context.h"
#include "owpml/xml.h"

namespace brindle::owpml {

// What a control in a paragraph is, as far as the walk tells them apart.
enum class ControlKind : std::uint8_t {
    ClickHere,  // a click-here field's start
    Hyperlink,  // a hyperlink field's start
    Table,
    Drawing,  // pictures, shapes, groups, OLE objects
    Equation,
    Footnote,
    Endnote,
    Header,
    Footer,
    AutoNumber,
    Section,  // the section definition (its outline numbering)
    Columns,  // full profile: a column definition
    Other,    // any other control: passed over, but it ends an exact paragraph
};

struct Control {
    Element element;
    ControlKind kind;
};

// A paragraph's references to its paragraph shape and style as its number
// reads them: 0 when absent or not a number.
struct ParagraphRefs {
    std::uint32_t shape = 0;
    std::uint32_t style = 0;
};

struct DecodedParagraph {
    ParagraphText text;
    std::vector<Control> controls;  // in the order they stand
    ParagraphLook look;             // full profile
    ParagraphRefs refs;             // full profile
};

// A paragraph's text and controls. With `lift`, click-here field contents
// are lifted out behind marks; the full profile also turns tabs and the
// special spaces into spaces and line breaks into line feeds, records the
// anchors of links, field ends, notes and numbers, and reads the
// paragraph's look, and with `definitions` writes the codes of symbol fonts
// as the characters they stand for. Text inside a change-tracking deletion
// is left out.
DecodedParagraph decode_paragraph(Element p, Profile profile, bool lift = true,
                                  const Definitions* definitions = nullptr);

// A paragraph list: the hp:p children of `list` (a section, or a subList).
struct ListWalk {
    bool bounded;       // a list inside a control, not the body
    bool headings;      // outline paragraphs become headings (the body only)
    TextContext place;  // paragraphs written for the body or for a table cell
    BlockList& blocks;
    WalkContext& context;
};
void walk_list(Element list, const ListWalk& walk);

// Full profile: a list inside a control (a note, header, caption, text box),
// passed over when lists already nest MAX_LIST_DEPTH deep.
void walk_sub_list(Element sub_list, BlockList& blocks, WalkContext& context, TextContext place);

// A click-here field's description from its hp:fieldBegin.
ClickHereField describe_click_here(Element field_begin);

// Full profile: a control that adds to its paragraph (a note, hyperlink,
// automatic number, section definition, and with `margins` a page header
// or footer, whose blocks go to `out`). `controls` may be null.
void take_paragraph_control(const Control& control, ParagraphControls* controls, BlockList& out, WalkContext& context,
                            bool margins);

// The number or bullet of paragraph `p`, advancing its numbering.
ParagraphHead paragraph_head(ParagraphRefs refs, WalkContext& context);

// Tables (hp:tbl): cells in order or, by the full profile, in the grid of
// their addresses; the caption and, for a table of one cell in the body,
// its content as blocks in place of the table.
struct TableBlocks {
    std::optional<Table> table;
    Caption caption;
    BlockList frame;
};
TableBlocks parse_table(Element tbl, std::int32_t depth, WalkContext& context, TextContext place);

// Drawing objects: by the exact rules an Image or one Paragraph of their
// text; by the full profile every picture and paragraph list, the caption
// on its side.
BlockList collect_shape(Element object, WalkContext& context, TextContext place);

// Equations: the script as a block, and by the full profile the caption.
BlockList collect_equation(Element equation, WalkContext& context, TextContext place);

// Full profile: the same as LaTeX, inline in `paragraph` when it stands in
// its line of text, else a display block in `out`.
void take_equation(Element equation, OpenParagraph* paragraph, BlockList& out, WalkContext& context, TextContext place);

// Full profile: a caption element (hp:caption): its side and paragraphs.
void take_caption(Element caption, Caption& out, WalkContext& context, TextContext place);

}  // namespace brindle::owpml
