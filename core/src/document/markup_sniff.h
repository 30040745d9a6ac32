// What a file of markup is, told from its first bytes: a file that is
// neither a compound file nor a ZIP archive but XML or HTML is told by its
// root element: an HWPML document is read as one, and anything else (a web
// page saved under an .hwp name) named for what it is rather than reported
// as a damaged compound file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "brindle/bytes.h"

namespace brindle {

// How much of a file the sniffing reads: enough for a byte-order mark, an
// XML declaration, a style sheet line, comments and a short document type.
inline constexpr std::size_t MARKUP_SNIFF_BYTES = 4096;

// The name of the root element of `head` (the file's first bytes) in
// UTF-8 or UTF-16 with or without a byte-order mark, or of an HTML
// document type; nothing for a file that does not open as markup.
std::optional<std::string> markup_root(Bytes head);

// What a file of markup with this root element (or HTML document type) is:
// "an HTML page", "an XML document whose root element is <x>".
std::string describe_markup_root(std::string_view root);

}  // namespace brindle
