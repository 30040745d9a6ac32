// A document parsed whole: its Markdown with its pictures linked to files,
// the pictures' bytes and the properties the document keeps about itself.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "brindle/byte_source.h"
#include "brindle/hwpx.h"
#include "brindle/pictures.h"
#include "brindle/profile.h"
#include "brindle/properties.h"
#include "brindle/result.h"
#include "brindle/walk_context.h"

namespace brindle {

struct ParsedDocument {
    // The full profile links each picture the document holds as
    // "![caption](<image_prefix><name>)"; the exact profile's text is the
    // conversion's, and hands no picture out.
    std::string markdown;
    std::vector<PictureFile> images;
    DocumentProperties properties;
    DocumentFormat format = DocumentFormat::Hwp;
    std::vector<std::string> warnings;  // damage read past, as WalkContext::warnings
    std::vector<FormField> fields;      // the click-here fields, in document order
};

// Without an image prefix the pictures stay placeholders, as in the
// conversion, and none is handed out.
using ImagePrefix = std::optional<std::string_view>;

// What a front end's conversion fills in when it runs for a parse.
struct ParseExtras {
    ImagePrefix image_prefix;
    ParsedDocument& parsed;
};

// Where a conversion puts what it gathers beside the Markdown: a parse's
// extras, or for a conversion to Markdown alone its warnings (either may
// be null).
struct ConversionOutputs {
    ParseExtras* extras = nullptr;
    std::vector<std::string>* warnings = nullptr;

    // The warnings and fields the walk gathered.
    void take_from(WalkContext& context) {
        if (extras != nullptr) {
            extras->parsed.warnings = std::move(context.warnings);
            extras->parsed.fields = std::move(context.fields);
        }
        if (warnings != nullptr) *warnings = std::move(context.warnings);
    }
};

// A parse run through a front end's conversion, `convert(ParseExtras&)`
// giving the Markdown.
template <class Convert>
Result<ParsedDocument> parse_through(ImagePrefix image_prefix, DocumentFormat format, Convert&& convert) {
    ParsedDocument parsed;
    ParseExtras extras{image_prefix, parsed};
    Result<std::string> markdown = convert(extras);
    if (!markdown) return std::move(markdown).error();
    parsed.markdown = std::move(markdown).value();
    parsed.format = format;
    return parsed;
}

Result<ParsedDocument> parse_hwp(ByteSource source, Profile profile, ImagePrefix image_prefix);
Result<ParsedDocument> parse_hwpx(ByteSource source, Profile profile, ImagePrefix image_prefix);

// Either format, told apart by the document's first bytes as convert_any does.
Result<ParsedDocument> parse_any(ByteSource source, Profile profile, ImagePrefix image_prefix);
Result<ParsedDocument> parse_any(std::string_view path, Profile profile, ImagePrefix image_prefix);

}  // namespace brindle
