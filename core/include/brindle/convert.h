// Conversion of a document to Markdown: the section walk, the control
// handlers it calls, assembly, and the two whole-document entry points.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "brindle/byte_source.h"
#include "brindle/click_here.h"
#include "brindle/content_block.h"
#include "brindle/limits.h"
#include "brindle/profile.h"
#include "brindle/record.h"
#include "brindle/result.h"
#include "brindle/walk_context.h"

namespace brindle {

// Walk one section's records, appending its blocks to `blocks`, under the
// profile, tables' allowance and (full profile) numbering of `context`.
void walk_section(Records records, BlockList& blocks, WalkContext& context);

// The same for a section walked on its own, by the exact rules.
inline void walk_section(Records records, BlockList& blocks) {
    WalkContext context;
    walk_section(records, blocks, context);
}

// Full profile: walk the paragraph list whose paragraph headers stand at
// `base`, from `start` (the record after its list header) to the first
// record that is neither deeper nor another paragraph header at `base`;
// returns that record's index. Lists nested deeper than MAX_LIST_DEPTH are
// passed over.
std::size_t walk_paragraph_list(Records records, std::size_t start, std::uint16_t base, BlockList& blocks,
                                WalkContext& context);

// Render a body paragraph by the exact rules into a Paragraph block, unless
// it is blank.
void flush_paragraph(const PendingParagraph& paragraph, BlockList& blocks);

struct EquationParse {
    std::optional<std::string> script;
    std::size_t consumed = 0;
};
EquationParse parse_equation(Records records, std::size_t start, std::uint16_t level);

struct ShapeParse {
    BlockList blocks;  // an Image or the object's text (one Paragraph by the exact rules)
    std::size_t consumed = 0;
};
ShapeParse collect_shape(Records records, std::size_t start, std::uint16_t level, WalkContext& context);
inline ShapeParse collect_shape(Records records, std::size_t start, std::uint16_t level) {
    WalkContext context;
    return collect_shape(records, start, level, context);
}

struct TableParse {
    std::optional<Table> table;
    std::size_t consumed = 0;  // records taken, counted from the start index
    BlockList caption;         // full profile: the caption's paragraphs
    bool caption_after = false;  // the caption stands below or right of the table
};

// Parse the table control whose header (at `level`) precedes `start`,
// charging what it materialises to the context's allowance (LimitExceeded
// when spent).
TableParse parse_table(Records records, std::size_t start, std::uint16_t level, std::int32_t depth,
                       WalkContext& context);

// The same by the exact rules with an allowance of its own, for a table
// parsed on its own.
inline TableParse parse_table(Records records, std::size_t start, std::uint16_t level, std::int32_t depth) {
    WalkContext context;
    return parse_table(records, start, level, depth, context);
}

// The Markdown text of a document's blocks (consumed), followed by the
// definitions of its notes (footnotes, then endnotes), trimmed at the end.
std::string assemble_markdown(BlockList blocks, std::span<const NoteDefinition> notes = {});

// The whole document at `path` (or in `source`) as Markdown.
Result<std::string> convert_document(std::string_view path, Profile profile = Profile::Exact);
Result<std::string> convert_document(ByteSource source, Profile profile = Profile::Exact);

struct RecordInfo {
    std::uint16_t tag_id;
    std::uint16_t level;
    std::uint64_t size;
};

// The (tag_id, level, size) of each record of "/BodyText/Section0".
Result<std::vector<RecordInfo>> list_section_records(std::string_view path);
Result<std::vector<RecordInfo>> list_section_records(ByteSource source);

}  // namespace brindle
