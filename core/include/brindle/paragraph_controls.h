// The full profile's paragraphs: what the controls anchored in a paragraph
// add to it (a link's target, a note's label, an automatic number, the
// blocks of its tables and objects), and the paragraph's Markdown.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "brindle/click_here.h"
#include "brindle/content_block.h"
#include "brindle/markdown_escape.h"
#include "brindle/numbering.h"
#include "brindle/record.h"
#include "brindle/walk_context.h"

namespace brindle {

// What a paragraph's controls contribute, each list in record order; the
// k-th anchor of a kind in the text takes the k-th entry of that kind.
struct ParagraphControls {
    ParagraphHead head;                 // its number or bullet
    std::vector<std::string> links;     // '%hlk' targets ("" when unreadable)
    std::vector<std::string> notes;     // footnote and endnote labels
    std::vector<std::string> numbers;   // automatic numbers as shown ("" for none)
    BlockList trailing;                 // blocks of the objects anchored in it
    std::string trailing_text;          // in a cell: the text of nested tables
};

// A paragraph being walked: its text and fields, and what its controls add.
struct OpenParagraph {
    PendingParagraph text;
    ParagraphControls controls;
};

// The number or bullet of the paragraph whose header is `header` (none
// for null), advancing its numbering's counters.
ParagraphHead read_paragraph_head(const HwpRecord* header, WalkContext& context);

// Append the Markdown of a paragraph's text in `context`: the document's
// characters escaped, the link brackets, note references and automatic
// numbers put at their anchors, the click-here fields rendered, trimmed,
// and its line starts made safe (its line breaks "<br>" in a cell). Nothing
// is appended for a blank paragraph. The head is not written here.
void append_full_paragraph(std::string& out, const OpenParagraph& paragraph, TextContext context);

// A control that adds to its paragraph instead of yielding a block of its
// own: a footnote or endnote (its content becomes a note definition), a
// hyperlink, an automatic number, a section definition (its outline
// numbering), and with `margins` a header or footer (its blocks go to
// `out`, after a HeaderFooter block). Returns the index after the control's
// records, or nothing for any other control. `controls` may be null (no
// paragraph is open); the control is then read but adds to nothing.
std::optional<std::size_t> take_paragraph_control(Records records, std::size_t header, ParagraphControls* controls,
                                                  BlockList& out, WalkContext& context, bool margins);

// The target of a hyperlink field from its control header: the command up
// to its first unescaped ";", with the backslash escapes removed.
std::string read_link_target(Bytes header_payload);

// A link destination for "[text](destination)": bare when it can be,
// in angle brackets when it holds spaces, with the syntax escaped.
void append_link_destination(std::string& out, std::string_view target);

}  // namespace brindle
