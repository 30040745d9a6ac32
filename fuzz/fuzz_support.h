// Checks shared by the fuzz targets.
#pragma once

#include <string_view>

#include "text.h"

namespace brindle::fuzz {

// Traps unless `text` is well-formed UTF-8 (no surrogates, no overlongs).
inline void require_utf8(std::string_view text) {
    while (!text.empty()) {
        const Utf8Char c = decode_utf8_char(text);
        if (c.length == 0) __builtin_trap();
        text.remove_prefix(c.length);
    }
}

}  // namespace brindle::fuzz
