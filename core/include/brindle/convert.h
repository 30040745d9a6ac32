// Conversion of a document to Markdown: the section walk, the control
// handlers it calls, assembly, and the two whole-document entry points.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "brindle/byte_source.h"
#include "brindle/click_here.h"
#include "brindle/content_block.h"
#include "brindle/limits.h"
#include "brindle/record.h"
#include "brindle/result.h"

namespace brindle {

// Walk one section's records, appending its blocks to `blocks`; tables are
// charged to the document's `budget`.
void walk_section(Records records, BlockList& blocks, TableBudget& budget);

// The same for a section walked on its own.
inline void walk_section(Records records, BlockList& blocks) {
    TableBudget budget;
    walk_section(records, blocks, budget);
}

// Render the pending body paragraph (if any) into a Paragraph block unless
// it is blank; the pending paragraph becomes none.
void flush_paragraph(std::optional<PendingParagraph>& pending, BlockList& blocks);

struct EquationParse {
    std::optional<std::string> script;
    std::size_t consumed = 0;
};
EquationParse parse_equation(Records records, std::size_t start, std::uint16_t level);

struct ShapeParse {
    std::optional<ContentBlock> block;  // an Image or a Paragraph
    std::size_t consumed = 0;
};
ShapeParse collect_shape(Records records, std::size_t start, std::uint16_t level);

// The Markdown text of a document's blocks (consumed), trimmed at the end.
std::string assemble_markdown(BlockList blocks);

// The whole document at `path` (or in `source`) as Markdown.
Result<std::string> convert_document(std::string_view path);
Result<std::string> convert_document(ByteSource source);

struct RecordInfo {
    std::uint16_t tag_id;
    std::uint16_t level;
    std::uint64_t size;
};

// The (tag_id, level, size) of each record of "/BodyText/Section0".
Result<std::vector<RecordInfo>> list_section_records(std::string_view path);
Result<std::vector<RecordInfo>> list_section_records(ByteSource source);

}  // namespace brindle
