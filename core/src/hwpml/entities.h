// A document type in an HWPML file. Old versions open with
// <!DOCTYPE HWPML [ <!ENTITY nbsp "&#160;"> ]> and use &nbsp; in their
// text. Simple internal entities like that one are expanded here, before
// the parser sees the text, and the declaration is blanked; anything else
// a document type can hold (an external subset or entity, a parameter
// entity, element or attribute declarations, an entity that refers to
// another) is refused: nothing is fetched, and no expansion grows beyond
// its bound.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "brindle/bytes.h"
#include "brindle/result.h"

namespace brindle::hwpml {

struct ExpandedText {
    ByteBuffer text;
    // Without expansions, empty; with, the text before them (for positions
    // in messages) and, in order, each expansion's end in `text` with how
    // far the text after it has moved.
    ByteBuffer original;
    std::vector<std::pair<std::size_t, std::ptrdiff_t>> moves;

    // "line L, column C" of an offset in `text`, counted in the text as the
    // file holds it.
    std::string position(std::size_t offset) const;
};

// `text` (UTF-8) with its document type's entities expanded.
Result<ExpandedText> expand_entities(ByteBuffer text);

}  // namespace brindle::hwpml
