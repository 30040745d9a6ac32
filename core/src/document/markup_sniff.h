// What a file of markup is, told from its first bytes: a file that is
// neither a compound file nor a ZIP archive but XML or HTML (an HWPML
// document, a web page saved under an .hwp name) is named for what it is
// rather than reported as a damaged compound file.
#pragma once

#include <optional>
#include <string>

#include "brindle/bytes.h"

namespace brindle {

// How much of a file the sniffing reads: enough for a byte-order mark, an
// XML declaration, a style sheet line, comments and a short document type.
inline constexpr std::size_t MARKUP_SNIFF_BYTES = 4096;

// The name of the root element of `head` (the file's first bytes) in
// UTF-8 or UTF-16 with or without a byte-order mark, or of an HTML
// document type; nothing for a file that does not open as markup.
std::optional<std::string> markup_root(Bytes head);

// "an HTML page", "an XML document whose root element is <x>", or HWPML's
// description, for `head` (the file's first bytes) in UTF-8 or UTF-16 with
// or without a byte-order mark; nothing for a file that does not open as
// markup.
std::optional<std::string> describe_markup(Bytes head);

}  // namespace brindle
