// Controls that add to their paragraph in the full profile. Each reads its
// control header (the id, then the control's own fields) and, for notes
// and page headers and footers, walks the paragraph list beneath it.
#include <algorithm>

#include "hwp/format.h"
#include "hwp/paragraph_controls.h"
#include "hwp/walk.h"
#include "text.h"

namespace brindle {
namespace {

// 'fn  ' / 'en  ': the id, then the number the document shows (u32).
constexpr std::size_t NOTE_NUMBER_OFFSET = 4;

// 'head' / 'foot': the id, then attributes whose bits 0-1 say on which
// pages it stands (both, even, odd).
constexpr std::size_t MARGIN_ATTRIBUTES_OFFSET = 4;

// 'atno': the id, attributes (bits 0-3 what is numbered, 4-11 the number
// shape), the number (u16), a user character, a prefix and a suffix.
constexpr std::size_t AUTO_NUMBER_ATTRIBUTES_OFFSET = 4;
constexpr std::size_t AUTO_NUMBER_VALUE_OFFSET = 8;
constexpr std::size_t AUTO_NUMBER_PREFIX_OFFSET = 12;
constexpr std::size_t AUTO_NUMBER_SUFFIX_OFFSET = 14;
// What an automatic number counts; captions number pictures, tables and
// equations. Page and note numbers depend on the layout or repeat a note's
// label, so they are not written.
constexpr std::uint32_t AUTO_NUMBER_PICTURE = 3;
constexpr std::uint32_t AUTO_NUMBER_EQUATION = 5;

// 'secd': the id, attributes, column gap, grids, default tab stop, then the
// outline numbering's id (u16).
constexpr std::size_t SECTION_OUTLINE_NUMBERING_OFFSET = 18;

// '%hlk' and other fields: the id, attributes (u32), one more byte, the
// command's length in UTF-16 units (u16) and the command.
constexpr std::size_t FIELD_COMMAND_LENGTH_OFFSET = 9;
constexpr std::size_t FIELD_COMMAND_OFFSET = 11;

// A character of the file, if it is one (not 0, not a surrogate).
void append_char(std::string& out, std::uint16_t unit) {
    if (unit != 0 && !is_high_surrogate(unit) && !is_low_surrogate(unit)) append_utf8(out, unit);
}

std::string read_auto_number(Bytes payload) {
    if (payload.size() < AUTO_NUMBER_SUFFIX_OFFSET + 2) return {};
    const std::uint32_t attributes = read_u32(payload, AUTO_NUMBER_ATTRIBUTES_OFFSET);
    const std::uint32_t kind = attributes & 0xF;
    if (kind < AUTO_NUMBER_PICTURE || kind > AUTO_NUMBER_EQUATION) return {};
    std::string out;
    append_char(out, read_u16(payload, AUTO_NUMBER_PREFIX_OFFSET));
    append_number(out, read_u16(payload, AUTO_NUMBER_VALUE_OFFSET), static_cast<std::uint8_t>(attributes >> 4));
    append_char(out, read_u16(payload, AUTO_NUMBER_SUFFIX_OFFSET));
    return out;
}

// The paragraph list of a note, header or footer: a list header right
// after the control header, one level down, and its paragraphs.
std::size_t walk_owned_list(Records records, std::size_t header, BlockList& blocks, WalkContext& context) {
    const std::uint16_t level = records[header].level;
    std::size_t i = header + 1;
    if (i < records.size() && records[i].tag_id == HWPTAG_LIST_HEADER && records[i].level == level + 1) {
        i = walk_paragraph_list(records, i + 1, static_cast<std::uint16_t>(level + 1), blocks, context);
    }
    return skip_subtree(records, i, level);  // anything else of the control is passed over
}

std::string margin_label(std::uint32_t id, Bytes payload) {
    std::string label = id == CTRL_HEADER ? "머리말" : "꼬리말";
    const std::uint32_t pages = read_u32_or(payload, MARGIN_ATTRIBUTES_OFFSET, 0) & 0x3;
    if (pages == 1) label += " (짝수 쪽)";
    if (pages == 2) label += " (홀수 쪽)";
    return label;
}

}  // namespace

std::string read_link_target(Bytes payload) {
    if (payload.size() < FIELD_COMMAND_OFFSET) return {};
    const std::size_t units = read_u16(payload, FIELD_COMMAND_LENGTH_OFFSET);
    const std::size_t bytes = std::min(2 * units, (payload.size() - FIELD_COMMAND_OFFSET) & ~std::size_t{1});
    const std::optional<std::string> command = decode_utf16_strict(payload.subspan(FIELD_COMMAND_OFFSET, bytes));
    return command ? link_target_from_command(*command) : std::string();
}

std::optional<std::size_t> take_paragraph_control(Records records, std::size_t header, ParagraphControls* controls,
                                                  BlockList& out, WalkContext& context, bool margins) {
    const HwpRecord& r = records[header];
    const Bytes payload = r.bytes();
    const std::uint32_t id = control_id(r);
    // The index after the control's records, for the controls that read only
    // their header; notes and margins find it by walking their list, and a
    // control not taken here is skipped by the caller.
    const auto after = [&] { return skip_subtree(records, header + 1, r.level); };
    switch (id) {
        case CTRL_FOOTNOTE:
        case CTRL_ENDNOTE: {
            const bool endnote = id == CTRL_ENDNOTE;
            std::vector<NoteDefinition>& notes = endnote ? context.endnotes : context.footnotes;
            const std::uint16_t start =
                endnote ? context.definitions.endnote_start : context.definitions.footnote_start;
            // The number the document stores; counted on from the start
            // number where it stores none.
            const std::size_t index = notes.size();  // the notes of this kind before it
            std::uint32_t number = read_u32_or(payload, NOTE_NUMBER_OFFSET, 0);
            if (number == 0) number = start + static_cast<std::uint32_t>(index);
            // The definition takes its place before its content is walked, so
            // that notes inside it are defined after it.
            notes.push_back({context.note_label(endnote, number), {}});
            if (controls != nullptr) controls->notes.push_back(notes[index].label);
            BlockList blocks;
            const std::size_t next = walk_owned_list(records, header, blocks, context);
            notes[index].blocks = std::move(blocks);
            return next;
        }
        case CTRL_HEADER:
        case CTRL_FOOTER: {
            BlockList blocks;
            const std::size_t next = walk_owned_list(records, header, blocks, context);
            append_margin(margins ? out : context.hoisted_margins, margin_label(id, payload), std::move(blocks));
            return next;
        }
        case CTRL_HYPERLINK:
            if (controls != nullptr) controls->links.push_back(read_link_target(payload));
            return after();
        case CTRL_AUTO_NUMBER:
            if (controls != nullptr) controls->numbers.push_back(read_auto_number(payload));
            return after();
        case CTRL_SECTION:
            context.outline_numbering =
                read_u16_or(payload, SECTION_OUTLINE_NUMBERING_OFFSET, context.outline_numbering);
            return after();
        default: return std::nullopt;
    }
}

}  // namespace brindle
