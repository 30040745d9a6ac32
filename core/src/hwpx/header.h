// The header part: the document's definitions the full profile reads.
#pragma once

#include <cstdint>
#include <string_view>

#include "brindle/bytes.h"
#include "model/definitions.h"

namespace brindle::hwpx {

// The definitions of a header part (Contents/header.xml, named `name`).
// Never fails: a part that cannot be parsed defines nothing, and what
// cannot be read keeps its place with default contents.
Definitions read_header(ByteBuffer part, std::string_view name);

}  // namespace brindle::hwpx
