// What a front end's conversion gathers beside the Markdown, and where it
// goes: a parse's pictures, properties, warnings and fields, or for a
// conversion to Markdown alone its warnings.
#pragma once

#include <span>
#include <string>
#include <utility>
#include <vector>

#include "brindle/parse.h"
#include "brindle/parsed_document.h"
#include "brindle/result.h"
#include "model/headings.h"
#include "model/markdown.h"
#include "model/pictures.h"
#include "model/walk_context.h"

namespace brindle {

// What a front end's conversion fills in when it runs for a parse.
struct ParseExtras {
    const ParseOptions& options;
    ParsedDocument& parsed;
};

// Where a conversion puts what it gathers beside the Markdown: a parse's
// extras, or for a conversion to Markdown alone its warnings (either may
// be null).
struct ConversionOutputs {
    ParseExtras* extras = nullptr;
    std::vector<std::string>* warnings = nullptr;

    // The warnings and fields the walk gathered, and the files of the
    // pictures it showed from `pictures` (when a parse asked for them).
    void take_from(WalkContext& context, PictureStore* pictures = nullptr) {
        if (pictures != nullptr && extras != nullptr) extras->parsed.images = pictures->take_files();
        context.pictures = nullptr;
        if (extras != nullptr) {
            extras->parsed.warnings = std::move(context.warnings);
            extras->parsed.fields = std::move(context.fields);
        }
        if (warnings != nullptr) *warnings = std::move(context.warnings);
    }
};

// The Markdown of a conversion's blocks and notes, with the outline and the
// pages recorded for a parse.
inline std::string write_markdown(BlockList blocks, std::span<const NoteDefinition> notes, ParseExtras* extras) {
    if (extras == nullptr) return assemble_markdown(std::move(blocks), notes);
    MarkdownMap map{&extras->parsed.outline, &extras->parsed.pages, extras->options.page_markers};
    return assemble_markdown(std::move(blocks), notes, &map);
}

// A conversion's blocks, once every section is walked, as Markdown: by the
// full profile with its pages, headings and notes.
inline std::string write_document(BlockList blocks, WalkContext& context, ParseExtras* extras) {
    if (!context.full()) return write_markdown(std::move(blocks), {}, extras);
    context.pages.finish(blocks);
    detect_headings(blocks, context.definitions);
    return write_markdown(std::move(blocks), context.take_notes(), extras);
}

// A parse run through a front end's conversion, `convert(ParseExtras&)`
// giving the Markdown.
template <class Convert>
Result<ParsedDocument> parse_through(const ParseOptions& options, DocumentFormat format, Convert&& convert) {
    ParsedDocument parsed;
    ParseExtras extras{options, parsed};
    Result<std::string> markdown = convert(extras);
    if (!markdown) return std::move(markdown).error();
    parsed.markdown = std::move(markdown).value();
    parsed.format = format;
    return parsed;
}

}  // namespace brindle
