// Decoding of HWPTAG_PARA_TEXT payloads (UTF-16LE with embedded control
// codes) into UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "brindle/bytes.h"
#include "brindle/profile.h"

namespace brindle {

// U+E000 (private use) brackets the index of a lifted click-here field:
// FIELD_MARK "0" FIELD_MARK stands where the first field's content was.
inline constexpr std::string_view FIELD_MARK = "\xEE\x80\x80";

// Where an extended control (an object, a note, a field start, ...) or a
// field end stood in the text: the full profile puts link brackets, note
// references and numbers there. Its control header is the next one of the
// same id in the paragraph's records.
struct ControlAnchor {
    std::uint32_t offset;  // byte offset in `text`
    std::uint16_t code;    // the control code (1-23)
    std::uint32_t id;      // the control id in the control's data
};

struct ParagraphText {
    std::string text;                      // characters outside fields, with marks
    std::vector<std::string> field_texts;  // entry k: content of the field marked k
    std::vector<ControlAnchor> anchors;    // full profile only, in text order
};

// The mark of field k: FIELD_MARK, k in decimal, FIELD_MARK.
std::string field_mark(std::size_t k);

// Body and cell paragraphs: click-here field contents are lifted out. The
// full profile also turns tabs and the special spaces into spaces and line
// breaks into line feeds, and records the controls' anchors.
ParagraphText decode_para_text(Bytes payload, Profile profile = Profile::Exact);

// Drawing-object paragraphs: characters only.
std::string decode_plain_para_text(Bytes payload);

}  // namespace brindle
