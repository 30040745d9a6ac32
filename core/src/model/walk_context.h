// What one conversion carries from record to record: its profile, the
// table allowance every table is charged to, and for the full profile the
// document's definitions, the numbering counters, the section's outline
// numbering and the notes gathered for the end of the document.
#pragma once

#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "brindle/limits.h"
#include "brindle/parsed_document.h"
#include "brindle/profile.h"
#include "model/content_block.h"
#include "model/definitions.h"
#include "model/markdown_escape.h"
#include "model/numbering.h"
#include "model/pages.h"
#include "model/paragraph.h"
#include "model/pictures.h"

namespace brindle {

// A footnote or endnote: the label of its reference and its content.
struct NoteDefinition {
    std::string label;
    BlockList blocks;
};

// Paragraph lists nested in one another (a note in a text box in a
// header...) beyond this depth are passed over unread.
inline constexpr std::uint32_t MAX_LIST_DEPTH = 8;

// Tables nested deeper than this inside a cell are skipped.
inline constexpr std::int32_t MAX_TABLE_DEPTH = 3;

class WalkContext {
public:
    explicit WalkContext(Profile profile = Profile::Exact, Definitions definitions = {})
        : profile(profile), definitions(std::move(definitions)), numbering(this->definitions) {}
    // The numbering refers to the tables held here.
    WalkContext(const WalkContext&) = delete;
    WalkContext& operator=(const WalkContext&) = delete;

    bool full() const { return profile == Profile::Full; }

    // A label for the next note that no earlier note has: the number the
    // document gives it ("e" before an endnote's), with "-2", "-3" after a
    // number that comes again (numbering that restarts by section).
    std::string note_label(bool endnote, std::uint32_t number);

    // Add a warning unless the same one is there already: a bound met many
    // times is said once.
    void warn_once(std::string message);
    // The walk's nesting bounds, met: said once each, in the same words for
    // both formats.
    void warn_lists_too_deep();
    void warn_tables_too_deep();

    // The notes gathered, moved out in the order their definitions are
    // written: footnotes, then endnotes.
    std::vector<NoteDefinition> take_notes() {
        std::vector<NoteDefinition> notes = std::move(footnotes);
        std::move(endnotes.begin(), endnotes.end(), std::back_inserter(notes));
        footnotes.clear();
        endnotes.clear();
        return notes;
    }

    const Profile profile;
    TableBudget budget;  // one allowance for all the document's tables
    // Damage passed over and read past: short messages naming the part or
    // stream, the byte offset where it can tell, and what went wrong.
    std::vector<std::string> warnings;
    // The click-here fields met, in document order, in both profiles.
    std::vector<FormField> fields;

    // Full profile only.
    const Definitions definitions;
    ParagraphNumbering numbering;
    std::uint16_t outline_numbering = 0;  // the current section's, 1-based
    std::uint32_t list_depth = 0;         // paragraph lists open around the walk
    std::vector<NoteDefinition> footnotes;
    std::vector<NoteDefinition> endnotes;
    // Page headers and footers defined inside a cell, text box or note:
    // written into the body after the body paragraph they stand in, since
    // they belong to the page, not to the object.
    BlockList hoisted_margins;
    // Where a parsed document's pictures come from; none for a conversion
    // to Markdown alone, whose pictures stay placeholders.
    PictureStore* pictures = nullptr;
    // The text buffer of the paragraph last written, for the next one's
    // text: most paragraphs are then decoded without an allocation.
    std::string spare_text;
    // Where the body's pages begin, from the layout the document stores.
    PageMarker pages;

private:
    std::unordered_map<std::string, std::uint32_t> labels_used_;
};

// The image block of the picture the document keys `key`, linked to its
// file when the conversion hands pictures out; a linked path is escaped for
// `place`.
Image picture_block(WalkContext& context, std::string_view key, TextContext place);

// Record the field `paragraph` was last given the description of.
void record_form_field(WalkContext& context, const PendingParagraph& paragraph);

// The paragraph being read in a walk. Its constructor is its own so that
// making one only constructs its members: made as an OpenParagraph it would
// be value-initialised, all its 256 bytes zeroed first, which took a third
// of the time spent reading a table cell.
struct ParagraphSlot : OpenParagraph {
    ParagraphSlot() {}
};

// End the paragraph being read, keeping its text's buffer for the next.
inline void close_paragraph(std::optional<ParagraphSlot>& open, WalkContext& context) {
    if (open) context.spare_text = std::move(open->text.para.text);
    open.reset();
}

// Move the hoisted margins to the end of the body's `blocks`.
inline void take_hoisted_margins(WalkContext& context, BlockList& blocks) {
    if (context.hoisted_margins.empty()) return;
    std::move(context.hoisted_margins.begin(), context.hoisted_margins.end(), std::back_inserter(blocks));
    context.hoisted_margins.clear();
};

}  // namespace brindle
