// Whole-document conversion: open, validate, read and walk each section in
// turn, then assemble the Markdown.
#include <optional>
#include <utility>

#include "brindle/convert.h"
#include "brindle/parse.h"
#include "hwp/bin_data.h"
#include "hwp/doc_info.h"
#include "hwp/file_header.h"
#include "hwp/format.h"
#include "hwp/record.h"
#include "hwp/section_stream.h"
#include "hwp/summary_information.h"
#include "hwp/walk.h"
#include "model/conversion_outputs.h"

namespace brindle {
namespace {

// The full profile's definitions. A document whose "/DocInfo" cannot be
// read converts all the same, without numbers or bullets.
Definitions read_definitions(CompoundFile& file, bool compressed, FastInflater& inflater) {
    Result<ByteBuffer> bytes = read_section_stream(file, "/DocInfo", compressed, inflater);
    return bytes ? parse_doc_info(std::move(bytes).value()) : Definitions{};
}

// The properties, read with the compound-file reader; a document without
// the stream, or with one that cannot be read, has none.
DocumentProperties read_properties(CompoundFile& file) {
    Result<ByteBuffer> bytes = file.read_stream(SUMMARY_INFORMATION_PATH);
    return bytes ? parse_summary_information(bytes.value()) : DocumentProperties{};
}

Result<std::string> convert(ByteSource source, Profile profile, ConversionOutputs outputs) {
    ParseExtras* extras = outputs.extras;
    BlockList blocks;
    std::optional<WalkContext> context;  // one table allowance, numbering and notes for the document
    FastInflater inflater;               // the full profile's, for all the document's streams
    {
        Result<OpenDocument> document = open_document(std::move(source));
        if (!document) return std::move(document).error();
        auto& [file, compressed, distribution] = document.value();
        // A document saved for distribution holds its text encrypted; its
        // sections hold a notice instead. The exact rules convert the notice;
        // the full profile says what the document is rather than pass the
        // notice off as its content.
        if (profile == Profile::Full && distribution && file.has_stream(DISTRIBUTION_BODY_PATH)) {
            return HwpError::distribution_protected();
        }
        if (profile == Profile::Full) {
            context.emplace(profile, read_definitions(file, compressed, inflater));
        } else {
            context.emplace(profile);
        }
        if (extras == nullptr) context->pages.skip();
        std::optional<HwpPictureStore> pictures;
        if (extras != nullptr) {
            extras->parsed.properties = read_properties(file);
            if (context->full() && extras->options.image_prefix) {
                pictures.emplace(std::string(*extras->options.image_prefix), file, compressed,
                                 context->definitions.binary_items);
                context->pictures = &*pictures;
            }
        }

        // Sections are numbered from 0 without gaps; the first that cannot
        // be read, for whatever reason, ends the document (a warning says so
        // when the stream is there).
        for (std::int32_t n = 0;; ++n) {
            const std::string path = section_stream_path(n);
            Result<ByteBuffer> bytes = context->full() ? read_section_stream(file, path, compressed, inflater)
                                                       : read_section_stream(file, path, compressed);
            if (!bytes) {
                if (file.has_stream(path)) {
                    context->warnings.push_back(path + ": " + bytes.error().message() +
                                                "; the document ends before it");
                }
                break;
            }
            // The records view the section's bytes, which they now own; both
            // go when this iteration ends.
            const RecordList records = parse_records(std::move(bytes).value());
            if (records.parsed_size() < records.section_size()) {
                context->warnings.push_back(
                    path + ": a record cut short at byte " + std::to_string(records.parsed_size()) + " of " +
                    std::to_string(records.section_size()) + "; the records from there on are passed over");
            }
            BlockList section_blocks;
            walk_section(records, section_blocks, *context);
            // The pages after a section cut short cannot be counted.
            if (records.parsed_size() < records.section_size()) context->pages.lose_layout();
            blocks.insert(blocks.end(), std::make_move_iterator(section_blocks.begin()),
                          std::make_move_iterator(section_blocks.end()));
            if (n == INT32_MAX) break;
        }
        outputs.take_from(*context, pictures ? &*pictures : nullptr);
    }  // the container (and the file) is released before assembly
    return write_document(std::move(blocks), *context, extras);
}

}  // namespace

Result<std::string> convert_document(std::string_view path, Profile profile) {
    Result<ByteSource> source = ByteSource::open_file(path);
    if (!source) return std::move(source).error();
    return convert_document(std::move(source).value(), profile);
}

Result<std::string> convert_document(ByteSource source, Profile profile, std::vector<std::string>* warnings) {
    return convert(std::move(source), profile, ConversionOutputs{nullptr, warnings});
}

Result<ParsedDocument> parse_hwp(ByteSource source, Profile profile, const ParseOptions& options) {
    return parse_through(options, DocumentFormat::Hwp, [&](ParseExtras& extras) {
        return convert(std::move(source), profile, ConversionOutputs{&extras, nullptr});
    });
}

}  // namespace brindle
