// Parsing a document whole: its Markdown with its pictures linked to files,
// the pictures' bytes and the properties the document keeps about itself.
#pragma once

#include <optional>
#include <string_view>

#include "brindle/byte_source.h"
#include "brindle/parsed_document.h"
#include "brindle/profile.h"
#include "brindle/result.h"

namespace brindle {

// Without an image prefix the pictures stay placeholders, as in the
// conversion, and none is handed out.
using ImagePrefix = std::optional<std::string_view>;

struct ParseOptions {
    ImagePrefix image_prefix;
    // Full profile: "<!-- page N -->" before the first block of each page,
    // where the document stores its layout.
    bool page_markers = false;
};

Result<ParsedDocument> parse_hwp(ByteSource source, Profile profile, const ParseOptions& options);
Result<ParsedDocument> parse_hwpx(ByteSource source, Profile profile, const ParseOptions& options);
Result<ParsedDocument> parse_hwpml(ByteSource source, Profile profile, const ParseOptions& options);

// Either format, told apart by the document's first bytes as convert_any does.
Result<ParsedDocument> parse_any(ByteSource source, Profile profile, const ParseOptions& options);
Result<ParsedDocument> parse_any(std::string_view path, Profile profile, const ParseOptions& options);

}  // namespace brindle
