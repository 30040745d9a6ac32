// Whole-package conversion: open the package, read the header's tables for
// the full profile, walk each section part in reading order, then assemble
// the Markdown with the model shared with HWP 5.0 documents.
#include <optional>
#include <utility>

#include "brindle/convert.h"
#include "brindle/parse.h"
#include "hwpx/bin_data.h"
#include "hwpx/header.h"
#include "hwpx/package.h"
#include "model/conversion_outputs.h"
#include "owpml/names.h"
#include "owpml/walk.h"

namespace brindle {

namespace {

// Whether `root` holds paragraphs as a section does: one of its children is
// an <hp:p>.
bool holds_paragraphs(owpml::Element root) {
    for (const owpml::Element child : root.children()) {
        if (child.is(owpml::Ns::Paragraph, owpml::name::PARAGRAPH)) return true;
    }
    return false;
}

Result<std::string> convert(ByteSource source, Profile profile, ConversionOutputs outputs) {
    ParseExtras* extras = outputs.extras;
    Result<hwpx::Package> opened = hwpx::open_package(std::move(source), extras != nullptr);
    if (!opened) return std::move(opened).error();
    hwpx::Package& package = opened.value();

    // A header that cannot be read leaves the document without numbers or
    // bullets, as an HWP document's unreadable "/DocInfo" does.
    Definitions definitions;
    if (profile == Profile::Full && !package.header.empty()) {
        if (const ZipArchive::Entry* entry = package.zip.find(package.header)) {
            if (Result<ByteBuffer> bytes = package.zip.read(*entry)) {
                definitions = hwpx::read_header(std::move(bytes).value(), package.header);
            }
        }
    }
    WalkContext context(profile, std::move(definitions));
    if (extras == nullptr) context.pages.skip();
    std::optional<hwpx::HwpxPictureStore> pictures;
    if (extras != nullptr) {
        extras->parsed.properties = std::move(package.properties);
        if (context.full() && extras->options.image_prefix) {
            pictures.emplace(std::string(*extras->options.image_prefix), package);
            context.pictures = &*pictures;
        }
    }
    context.warnings = std::move(package.warnings);
    BlockList blocks;
    // Every section in reading order. A section that cannot be read is a
    // damaged document; one cut short gives the text before the break.
    for (const hwpx::SectionPart& section : package.sections) {
        Result<std::unique_ptr<owpml::XmlPart>> part = hwpx::read_part(package, section.part, true);
        if (!part) {
            if (section.named) return std::move(part).error();
            context.warnings.push_back(section.part + ": passed over: " + part.error().message());
            context.pages.lose_layout();  // it may have been a section, whose pages are not counted
            continue;
        }
        const owpml::Element root = part.value()->root();
        // A spine item that is no section (a bibliography, say) is passed
        // over; one the package calls a section, with a warning. Writers
        // other than the word processor put a section's paragraphs under a
        // root of their own (<hml:sec> of the document namespace, <root>):
        // paragraphs are what a section holds, whatever holds them.
        if (!root.is(owpml::Ns::Section, owpml::name::SECTION) && !holds_paragraphs(root)) {
            if (section.named) {
                context.warnings.push_back(section.part + ": passed over: its root element <" +
                                           std::string(root.local()) + "> is no section of a namespace read here");
                context.pages.lose_layout();
            }
            continue;
        }
        if (const auto& broken = part.value()->broken()) {
            context.warnings.push_back(section.part + ": cut short at byte " + std::to_string(broken->offset) + " (" +
                                       broken->what + "); the text before it is kept");
            context.pages.lose_layout();  // the pages after it cannot be counted
        }
        BlockList section_blocks;
        owpml::walk_list(root, owpml::ListWalk{false, true, TextContext::Body, section_blocks, context});
        blocks.insert(blocks.end(), std::make_move_iterator(section_blocks.begin()),
                      std::make_move_iterator(section_blocks.end()));
    }
    outputs.take_from(context, pictures ? &*pictures : nullptr);
    return write_document(std::move(blocks), context, extras);
}

}  // namespace

Result<std::string> convert_hwpx(ByteSource source, Profile profile, std::vector<std::string>* warnings) {
    return convert(std::move(source), profile, ConversionOutputs{nullptr, warnings});
}

Result<ParsedDocument> parse_hwpx(ByteSource source, Profile profile, const ParseOptions& options) {
    return parse_through(options, DocumentFormat::Hwpx, [&](ParseExtras& extras) {
        return convert(std::move(source), profile, ConversionOutputs{&extras, nullptr});
    });
}

}  // namespace brindle
