// What a front end's conversion gathers beside the Markdown, and where it
// goes: a parse's pictures, properties, warnings and fields, or for a
// conversion to Markdown alone its warnings.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "brindle/parse.h"
#include "brindle/parsed_document.h"
#include "brindle/result.h"
#include "model/walk_context.h"

namespace brindle {

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

}  // namespace brindle
