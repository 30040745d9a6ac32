// The header part's fonts and character properties, read from its text
// with a tag scan before it is parsed: they are half of a header's bytes,
// and a few attributes of each are all that is read.
#pragma once

#include <string_view>
#include <vector>

#include "model/definitions.h"

namespace brindle::hwpx {

// Read from a header part's text (UTF-8) its hh:charProperties into
// `shapes` and its hh:fontfaces into `fonts`, each when not null; the scan
// ends once those asked for are read. Never fails: what cannot be read
// keeps its place with default contents.
void scan_fonts_and_character_shapes(std::string_view header, std::vector<CharacterShape>* shapes,
                                     FontTable::Names* fonts);

}  // namespace brindle::hwpx
