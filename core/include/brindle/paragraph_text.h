// Decoding of HWPTAG_PARA_TEXT payloads (UTF-16LE with embedded control
// codes) into UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "brindle/bytes.h"

namespace brindle {

// U+E000 (private use) brackets the index of a lifted click-here field:
// FIELD_MARK "0" FIELD_MARK stands where the first field's content was.
inline constexpr std::string_view FIELD_MARK = "\xEE\x80\x80";

struct ParagraphText {
    std::string text;                      // characters outside fields, with marks
    std::vector<std::string> field_texts;  // entry k: content of the field marked k
};

// The mark of field k: FIELD_MARK, k in decimal, FIELD_MARK.
std::string field_mark(std::size_t k);

// Body and cell paragraphs: click-here field contents are lifted out.
ParagraphText decode_para_text(Bytes payload);

// Drawing-object paragraphs: characters only.
std::string decode_plain_para_text(Bytes payload);

}  // namespace brindle
