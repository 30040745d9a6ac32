#include "os_error.h"

#include <cstring>
#include <string_view>

namespace brindle {
namespace {

// The two strerror_r signatures, told apart by what the call returns.
[[maybe_unused]] const char* message_of(const char* result, const char*) { return result; }
[[maybe_unused]] const char* message_of(int result, const char* buffer) {
    return result == 0 ? buffer : "Unknown error";
}

}  // namespace

std::string os_error_text(int code) {
    char buffer[256] = {};
#if defined(_WIN32)
    const char* message = strerror_s(buffer, sizeof buffer, code) == 0 ? buffer : "Unknown error";
#else
    const char* message = message_of(strerror_r(code, buffer, sizeof buffer), buffer);
#endif
    std::string_view text(message);
    while (!text.empty() && std::strchr("\t\n\f\r ", text.back()) != nullptr) text.remove_suffix(1);
    return std::string(text);
}

}  // namespace brindle
