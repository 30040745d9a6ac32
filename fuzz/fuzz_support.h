// Checks shared by the fuzz targets.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "brindle/parsed_document.h"
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

// Traps unless the pages recorded in marked Markdown go up one by one in
// number and in offset, each at its "<!-- page N -->" marker.
inline void require_marked_pages(std::string_view text, const std::vector<PageStart>& pages) {
    for (std::size_t k = 0; k < pages.size(); ++k) {
        if (k > 0 && (pages[k].page <= pages[k - 1].page || pages[k].offset <= pages[k - 1].offset)) __builtin_trap();
        const std::string marker = "<!-- page " + std::to_string(pages[k].page) + " -->\n\n";
        if (text.substr(pages[k].offset, marker.size()) != marker) __builtin_trap();
    }
}

}  // namespace brindle::fuzz
