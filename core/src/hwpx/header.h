// The header part: the document's definitions the full profile reads.
#pragma once

#include <cstdint>
#include <string_view>

#include "brindle/doc_info.h"
#include "xml.h"

namespace brindle::hwpx {

// The tables of a header part's root (hh:head). Never fails: what cannot be
// read keeps its place with default contents.
DocInfo read_header(Element head);

// A number shape by its OWPML name ("DIGIT", "HANGUL_SYLLABLE", ...);
// digits for a name not known.
std::uint8_t number_shape_of(std::string_view name);

}  // namespace brindle::hwpx
