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

// The HWPTAG_PARA_TEXT payload `text` with its symbol codes replaced, by the
// runs of `char_shapes` (the paragraph's HWPTAG_PARA_CHAR_SHAPE; null: none);
// nothing when it holds none to replace, as nearly every paragraph does.
std::optional<ByteBuffer> replace_symbol_codes(Bytes text, const HwpRecord* char_shapes, const Definitions& definitions);

// The text record `records[i]` decoded into a paragraph's text by the
// context's profile, the full profile's with its symbol codes replaced.
ParagraphText decode_text_record(Records records, std::size_t i, WalkContext& context);

// The paragraph's HWPTAG_PARA_CHAR_SHAPE among the records that follow its
// text record `records[i]`, at the text's level; null when there is none.
const HwpRecord* following_char_shapes(Records records, std::size_t i);

}  // namespace brindle
