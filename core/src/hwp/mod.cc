// Whole-document conversion: open, validate, read and walk each section in
// turn, then assemble the Markdown.
#include <utility>

#include "brindle/convert.h"
#include "brindle/document.h"

namespace brindle {

Result<std::string> convert_document(std::string_view path) {
    Result<ByteSource> source = ByteSource::open_file(path);
    if (!source) return std::move(source).error();
    return convert_document(std::move(source).value());
}

Result<std::string> convert_document(ByteSource source) {
    BlockList blocks;
    TableBudget table_budget;  // one allowance for all the document's tables
    {
        Result<OpenDocument> document = open_document(std::move(source));
        if (!document) return std::move(document).error();
        auto& [file, compressed] = document.value();

        // Sections are numbered from 0 without gaps; the first that cannot
        // be read, for whatever reason, ends the document.
        for (std::int32_t n = 0;; ++n) {
            Result<ByteBuffer> bytes = read_section_stream(file, section_stream_path(n), compressed);
            if (!bytes) break;
            // The records view the section's bytes, which they now own; both
            // go when this iteration ends.
            const RecordList records = parse_records(std::move(bytes).value());
            BlockList section_blocks;
            walk_section(records, section_blocks, table_budget);
            blocks.insert(blocks.end(), std::make_move_iterator(section_blocks.begin()),
                          std::make_move_iterator(section_blocks.end()));
            if (n == INT32_MAX) break;
        }
    }  // the container (and the file) is released before assembly
    return assemble_markdown(std::move(blocks));
}

}  // namespace brindle
