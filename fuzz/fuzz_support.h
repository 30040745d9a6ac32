// Checks shared by the fuzz targets.
#pragma once

#include <cstddef>
#include <string_view>

namespace brindle::fuzz {

// Traps unless `text` is well-formed UTF-8 (no surrogates, no overlongs).
inline void require_utf8(std::string_view text) {
    std::size_t i = 0;
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    while (i < text.size()) {
        const unsigned char b = byte(i);
        std::size_t extra = 0;
        char32_t c = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1, c = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2, c = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3, c = b & 0x07;
        } else {
            __builtin_trap();
        }
        if (extra >= text.size() - i) __builtin_trap();  // sequence cut off by the end
        for (std::size_t k = 1; k <= extra; ++k) {
            if ((byte(i + k) & 0xC0) != 0x80) __builtin_trap();
            c = (c << 6) | (byte(i + k) & 0x3F);
        }
        static constexpr char32_t min_for_length[] = {0, 0x80, 0x800, 0x10000};
        if (c < min_for_length[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) __builtin_trap();
        i += extra + 1;
    }
}

}  // namespace brindle::fuzz
