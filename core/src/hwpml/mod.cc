// Whole-document conversion of an HWPML file: its text decoded to UTF-8,
// its document type's entities expanded, the XML parsed, the body put in
// OWPML's vocabulary, and then the same walk, headings and Markdown as an
// HWPX document's. HWPML keeps no layout, so a document has no pages.
#include <optional>
#include <utility>

#include "brindle/convert.h"
#include "brindle/limits.h"
#include "brindle/parse.h"
#include "hwpml/bin_data.h"
#include "hwpml/encoding.h"
#include "hwpml/entities.h"
#include "hwpml/head.h"
#include "hwpml/translate.h"
#include "model/conversion_outputs.h"
#include "owpml/names.h"
#include "owpml/walk.h"

namespace brindle {

namespace {

using owpml::Element;
using owpml::Ns;

// The bound on a document, as read and as decoded (UTF-16 and CP949 grow
// by half in UTF-8).
void check_size(std::uint64_t size) {
    if (size > MAX_HWPML_SIZE) {
        throw LimitExceeded("an HWPML document is larger than " + std::to_string(MAX_HWPML_SIZE >> 20) + " MiB");
    }
}

Result<ByteBuffer> read_whole(const ByteSource& source) {
    check_size(source.size());
    ByteBuffer bytes(static_cast<std::size_t>(source.size()));
    if (std::optional<HwpError> error = source.read(0, bytes, "the document")) return std::move(*error);
    return bytes;
}

// Whether the XML broke off with no tag after the break: a file cut short,
// whose text before the break is kept, rather than one malformed within.
bool cut_short(Bytes text, std::size_t offset) {
    for (std::size_t i = offset; i < text.size(); ++i) {
        if (text[i] == '>') return false;
    }
    return true;
}

// The file's text as the parser is given it: decoded, its entities expanded;
// and what was assumed of its encoding.
struct SourceText {
    hwpml::ExpandedText text;
    std::string warning;
};

Result<SourceText> read_text(const ByteSource& source) {
    Result<ByteBuffer> file = read_whole(source);
    if (!file) return std::move(file).error();
    Result<hwpml::DecodedText> decoded = hwpml::decode_text(std::move(file).value());
    if (!decoded) return std::move(decoded).error();
    Result<hwpml::ExpandedText> expanded = hwpml::expand_entities(std::move(decoded.value().text));
    if (!expanded) return std::move(expanded).error();
    return SourceText{std::move(expanded).value(), std::move(decoded.value().warning)};
}

// "line L, column C" of an offset in the parsed text. The parser changes
// its text in place, so the text is read again: it is wanted only for a
// document that is cut short or malformed.
std::string position_in(const ByteSource& source, std::size_t offset) {
    Result<SourceText> again = read_text(source);
    return again ? again.value().text.position(offset) : "byte " + std::to_string(offset);
}

Result<std::string> convert(ByteSource source, Profile profile, ConversionOutputs outputs) {
    ParseExtras* extras = outputs.extras;
    Result<SourceText> read = read_text(source);
    if (!read) return std::move(read).error();
    std::vector<std::string> warnings;
    if (!read.value().warning.empty()) warnings.push_back(std::move(read.value().warning));
    hwpml::ExpandedText& text = read.value().text;
    check_size(text.text.size());
    Result<std::unique_ptr<owpml::XmlPart>> parsed =
        owpml::XmlPart::parse(std::move(text.text), "the document", true, owpml::XmlPart::Input::Utf8);
    text = hwpml::ExpandedText();
    if (!parsed) return HwpError::markup(parsed.error().message());
    owpml::XmlPart& part = *parsed.value();
    if (const auto& broken = part.broken()) {
        const std::string where = position_in(source, broken->offset);
        if (!cut_short(part.text(), broken->offset)) {
            return HwpError::markup("not well-formed XML (" + broken->what + " at " + where + ")");
        }
        warnings.push_back("the document is cut short at " + where + " (" + broken->what +
                           "); the text before it is kept");
    }
    if (const Element top = part.root(); !top.is(Ns::Other, "HWPML")) {
        return HwpError::other_format("an XML document whose root element is <" +
                                      std::string(top.local().substr(0, 64)) + ">");
    }
    if (std::optional<HwpError> refused = hwpml::translate_body(part)) return std::move(*refused);
    // Taken after the translation, which declared the prefixes on it.
    const Element root = part.root();

    const Element head = root.child(hwpml::TRANSLATED, "HEAD");
    WalkContext context(profile, profile == Profile::Full && head ? hwpml::read_definitions(head) : Definitions());
    context.pages.skip();  // HWPML keeps no layout to count pages by
    std::optional<hwpml::HwpmlPictureStore> pictures;
    if (extras != nullptr) {
        if (head) extras->parsed.properties = hwpml::read_summary(head);
        if (context.full() && extras->options.image_prefix) {
            pictures.emplace(std::string(*extras->options.image_prefix), context.definitions,
                             root.child(hwpml::TRANSLATED, "TAIL"));
            context.pictures = &*pictures;
        }
    }
    context.warnings = std::move(warnings);
    BlockList blocks;
    if (const Element body = root.child(hwpml::TRANSLATED, "BODY")) {
        for (const Element section : body.children()) {
            if (!section.is(hwpml::TRANSLATED, owpml::name::SECTION)) continue;
            owpml::walk_list(section, owpml::ListWalk{false, true, TextContext::Body, blocks, context});
        }
    }
    outputs.take_from(context, pictures ? &*pictures : nullptr);
    return write_document(std::move(blocks), context, extras);
}

}  // namespace

Result<std::string> convert_hwpml(ByteSource source, Profile profile, std::vector<std::string>* warnings) {
    return convert(std::move(source), profile, ConversionOutputs{nullptr, warnings});
}

Result<ParsedDocument> parse_hwpml(ByteSource source, Profile profile, const ParseOptions& options) {
    return parse_through(options, DocumentFormat::Hwpml, [&](ParseExtras& extras) {
        return convert(std::move(source), profile, ConversionOutputs{&extras, nullptr});
    });
}

}  // namespace brindle
