// The header part's prefilter, run on its bytes before they are parsed.
#pragma once

#include <string_view>
#include <vector>

#include "brindle/bytes.h"

namespace brindle::hwpx {

// What the prefilter takes out of a part: whole elements, apart, and among
// them the lists of fonts, character properties and border fills, which
// are read from the text before they go (empty when not found).
struct HeaderCuts {
    std::vector<std::string_view> spans;
    std::string_view fonts;
    std::string_view character_shapes;
    std::string_view border_fills;
};

// The definitions never read from the part's tree (below); none for a part
// in UTF-16 or with an element not plainly delimited.
HeaderCuts find_unread_definitions(std::string_view header);

// Take `cuts` (found in `header`'s text, and then emptied) out of `header`,
// which is written over itself in one pass.
void take_out(ByteBuffer& header, HeaderCuts& cuts);

// The two steps in one: take out of a header part's bytes the definitions
// never read from its tree (fonts, character shapes and border fills, which
// are read from its text; tab stops; and the paragraph properties'
// margins and spacing: nine tenths of the part), so that parsing it costs
// what the tree's definitions need. Each is a whole element, so a
// well-formed part stays well-formed; a part in UTF-16, or an element not
// plainly delimited, is left as it is.
void skip_unread_definitions(ByteBuffer& header);

}  // namespace brindle::hwpx
