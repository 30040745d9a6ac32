// Full profile: a paragraph's text with the codes of symbol fonts (U+F020
// to U+F0FF set in Symbol, the Wingdings or Webdings) replaced by the
// characters they stand for, by the character shapes of the text's runs.
#pragma once

#include <optional>

#include "brindle/bytes.h"
#include "hwp/record.h"
#include "model/definitions.h"
#include "model/paragraph.h"
#include "model/walk_context.h"

namespace brindle {

// The payload of the HWPTAG_PARA_TEXT record `records[i]` with its symbol
// codes replaced, by the runs of the paragraph's HWPTAG_PARA_CHAR_SHAPE
// (looked for among the records after it only when the text holds a
// symbol code); nothing when it holds none to replace, as nearly every
// paragraph does.
std::optional<ByteBuffer> replace_symbol_codes(Records records, std::size_t i, const Definitions& definitions);

// The text record `records[i]` decoded into a paragraph's text by the
// context's profile, the full profile's with its symbol codes replaced.
ParagraphText decode_text_record(Records records, std::size_t i, WalkContext& context);

}  // namespace brindle
