// SHA-256 (FIPS 180-4), for the digests the corpus tools print: the same
// digests Python's hashlib gives, so that a build for another system can be
// checked against the tables kept in tests/data without Python there.
#pragma once

#include <string>
#include <string_view>

namespace brindle::tools {

// The digest of `data` in lowercase hexadecimal.
std::string sha256_hex(std::string_view data);

}  // namespace brindle::tools
