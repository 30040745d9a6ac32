// The header part: the document's definitions the full profile reads.
#pragma once

#include <cstdint>
#include <string_view>

#include "hwp/doc_info.h"
#include "hwpx/xml.h"

namespace brindle::hwpx {

// Take out of a header part's bytes the definitions the walk never reads
// (fonts, border fills, character shapes, tab stops, and the paragraph
// properties' margins and spacing: nine tenths of the part), so that parsing
// it costs what the numbering tables need. Each is a whole element, so a
// well-formed part stays well-formed; a part in UTF-16, or an element not
// plainly delimited, is left as it is.
void skip_unread_definitions(ByteBuffer& header);

// The tables of a header part's root (hh:head). Never fails: what cannot be
// read keeps its place with default contents.
DocInfo read_header(Element head);

// A number shape by its OWPML name ("DIGIT", "HANGUL_SYLLABLE", ...);
// digits for a name not known.
std::uint8_t number_shape_of(std::string_view name);

}  // namespace brindle::hwpx
