// A paragraph as the front ends build it and the Markdown writer reads it:
// its text with the click-here fields lifted out behind marks, the places of
// the controls anchored in it, the fields' descriptions, and what its
// controls add (a link's target, a note's label, an automatic number, the
// blocks of its objects). Both front ends fill these; nothing here knows
// the formats they were read from.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/content_block.h"
#include "model/markdown_escape.h"
#include "model/numbering.h"

namespace brindle {

// U+E000 (private use) brackets the index of a lifted click-here field:
// FIELD_MARK "0" FIELD_MARK stands where the first field's content was.
inline constexpr std::string_view FIELD_MARK = "\xEE\x80\x80";

// The mark of field k: FIELD_MARK, k in decimal, FIELD_MARK.
std::string field_mark(std::size_t k);
void append_field_mark(std::string& out, std::size_t k);

// What stood at a place in the text, for the full profile: the start of a
// hyperlink, the end of a field, a note's reference, an automatic number;
// Other for any other control (an object, a field of another kind, ...),
// whose place only counts in the order of the controls.
enum class AnchorKind : std::uint8_t { Other, LinkStart, FieldEnd, Note, AutoNumber, Equation };

struct ControlAnchor {
    std::uint32_t offset;  // byte offset in `text`
    AnchorKind kind;
};

struct ParagraphText {
    std::string text;                      // characters outside fields, with marks
    std::vector<std::string> field_texts;  // entry k: content of the field marked k
    std::vector<ControlAnchor> anchors;    // full profile only, in text order
};

struct ClickHereField {
    std::string name;       // may be empty
    std::string direction;  // the guide text; may be empty
    bool modified = false;  // the user has changed the content
};

// A decoded paragraph waiting for the descriptions of its fields.
// Invariant: fields.size() <= para.field_texts.size().
struct PendingParagraph {
    ParagraphText para;
    std::vector<ClickHereField> fields;

    bool wants_field() const { return fields.size() < para.field_texts.size(); }
};

// The paragraph's final text by the exact rules: each field mark replaced by
// the field's "{{name: direction --> content}}" rendering (or its bare
// content when the field has no description).
std::string render_paragraph(std::string_view text, std::span<const std::string> field_texts,
                             std::span<const ClickHereField> fields);

inline std::string render_paragraph(const PendingParagraph& pending) {
    return render_paragraph(pending.para.text, pending.para.field_texts, pending.fields);
}

// The guide text of a click-here field's command (UTF-16LE, as the field
// stores it: "Clickhere:set:..:Direction:wstring:<length>:<text> ..."),
// empty when the setting is missing or malformed.
std::string read_click_here_direction(std::span<const std::uint8_t> command_utf16le);

// The target of a hyperlink field's command ("http\://example.com;1;0;0;"):
// up to its first unescaped ";", with the backslash escapes removed.
std::string link_target_from_command(std::string_view command);

// What a paragraph's controls contribute, each list in the order of their
// anchors; the k-th anchor of a kind in the text takes the k-th entry.
struct ParagraphControls {
    std::vector<std::string> links;      // hyperlink targets ("" when unreadable)
    std::vector<std::string> notes;      // footnote and endnote labels
    std::vector<std::string> numbers;    // automatic numbers as shown ("" for none)
    std::vector<std::string> equations;  // inline equations' LaTeX ("" for one written as a block)
    BlockList trailing;                  // blocks of the objects anchored in it
    std::string trailing_text;           // in a cell: the text of nested tables and objects
};

// A paragraph being read: its text and fields, what its controls add, and
// (full profile) how it looks.
struct OpenParagraph {
    PendingParagraph text;
    ParagraphControls controls;
    ParagraphLook look;
};

// Append the Markdown of a paragraph's text in `context`: the document's
// characters escaped, the link brackets, note references and automatic
// numbers put at their anchors, the click-here fields rendered, trimmed,
// and its line starts made safe (its line breaks "<br>" in a cell). Nothing
// is appended for a blank paragraph. The head is not written here.
void append_full_paragraph(std::string& out, const OpenParagraph& paragraph, TextContext context);

// A link destination for "[text](destination)": bare when it can be,
// in angle brackets when it holds spaces, with the syntax escaped.
void append_link_destination(std::string& out, std::string_view target);

// --- a finished paragraph in the block list ---------------------------------

// The exact rules: the paragraph rendered into a Paragraph block, unless it
// is blank.
void flush_paragraph(const PendingParagraph& paragraph, BlockList& blocks);

// The full profile: the paragraph's block (with `head` and its look) unless
// its text is blank, then the blocks of its objects. Outside the body
// (`headings` false) an outline paragraph keeps its number but is no
// heading; in a table cell (`place`) its text is written for a cell.
void emit_paragraph(OpenParagraph& paragraph, ParagraphHead&& head, bool headings, TextContext place,
                    BlockList& blocks);

// Full profile: the paragraphs of `blocks` that stand nowhere in particular
// given `origin` (a table's content, once it is known to stand in the body).
void mark_origin(BlockList& blocks, Origin origin);

// Full profile: a page header or footer, its blocks after a HeaderFooter
// block that labels them; nothing when it holds no blocks.
void append_margin(BlockList& out, std::string label, BlockList blocks);

// The caption of a table, equation or drawing object, and the side of the
// object it stands on.
struct Caption {
    BlockList blocks;
    bool after = true;  // below or right of the object
};

// Append an object's blocks to `out` with its caption before or after them.
void append_captioned(BlockList& out, Caption caption, BlockList object);

// The same for a drawing object: a picture alone shows its caption in its
// placeholder, on one line, instead.
void append_object(BlockList& out, Caption caption, BlockList object);

// Full profile: the equation of `script` in the paragraph being read
// (none when the equation stands in no paragraph's text). One that stands
// in a line of text (`in_line`: treated as a character, in a paragraph
// with text of its own) is written as inline math at its place; any other
// as a display block after the paragraph, in `out`, with its caption.
void append_equation(OpenParagraph* paragraph, BlockList& out, std::string_view script, bool in_line, Caption caption);

}  // namespace brindle
