// An HWPML file's text as UTF-8, whatever it was saved in: UTF-8 (with or
// without a byte-order mark), UTF-16 (by its mark, or by the '<' of its
// first unit), or the legacy Korean code page its XML declaration names
// (EUC-KR and its superset CP949, decoded with a table of our own, never
// the system's locale).
#pragma once

#include <string>

#include "brindle/bytes.h"
#include "brindle/result.h"

namespace brindle::hwpml {

struct DecodedText {
    ByteBuffer text;      // UTF-8, without a byte-order mark
    std::string warning;  // what was assumed, when the file did not say it rightly; empty otherwise
};

// The text of `file`. An encoding that is named but not read here is a
// damaged document's error. A file that says UTF-8 (or says nothing) but is
// not UTF-8 while it is CP949 through and through is read as CP949, with a
// warning: old writers saved Korean so under a UTF-8 declaration.
// UTF-8 is kept in `file`'s own buffer.
Result<DecodedText> decode_text(ByteBuffer file);

// CP949 bytes as UTF-8; a byte pair that maps to nothing becomes U+FFFD.
// `unmapped` counts those.
std::string cp949_to_utf8(Bytes bytes, std::size_t* unmapped = nullptr);

}  // namespace brindle::hwpml
