// The operating system's text for an error code, whichever C library
// gives it: GNU's strerror_r returns the text, the XSI one (macOS, musl)
// fills the buffer and returns 0, Windows has strerror_s.
#pragma once

#include <string>

namespace brindle {

// The text of `code` (an errno value), without trailing white space.
std::string os_error_text(int code);

}  // namespace brindle
