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
#include "brindle/markdown.h"
#include "brindle/markdown_escape.h"
#include "brindle/paragraph.h"
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
// returns that record's index. Its paragraphs are written for `place`: the
// body (and notes, headers, captions) or a table cell, where the blocks
// become one cell's text. Lists nested deeper than MAX_LIST_DEPTH are
// passed over.
std::size_t walk_paragraph_list(Records records, std::size_t start, std::uint16_t base, BlockList& blocks,
                                WalkContext& context, TextContext place = TextContext::Body);

// Read the caption whose HWPTAG_LIST_HEADER is at `header` (its side, then
// its paragraphs); returns the index after them.
std::size_t take_caption(Records records, std::size_t header, Caption& caption, WalkContext& context,
                         TextContext place);


struct EquationParse {
    std::optional<std::string> script;
    std::size_t consumed = 0;
    Caption caption;  // full profile
};
EquationParse parse_equation(Records records, std::size_t start, std::uint16_t level);
EquationParse parse_equation(Records records, std::size_t start, std::uint16_t level, WalkContext& context,
                             TextContext place);

// Full profile: the equation control whose header is records[header],
// written as LaTeX for `paragraph` (inline at its place when it is placed
// as a character, else a display block in `out`); returns the index after
// its records.
std::size_t take_equation(Records records, std::size_t header, OpenParagraph* paragraph, BlockList& out,
                          WalkContext& context, TextContext place);

struct ShapeParse {
    // By the exact rules an Image or the object's text as one Paragraph; by
    // the full profile every picture and paragraph list of the object and
    // its members, in their order, with the caption on its side.
    BlockList blocks;
    std::size_t consumed = 0;
};
ShapeParse collect_shape(Records records, std::size_t start, std::uint16_t level, WalkContext& context,
                         TextContext place = TextContext::Body);
inline ShapeParse collect_shape(Records records, std::size_t start, std::uint16_t level) {
    WalkContext context;
    return collect_shape(records, start, level, context);
}

struct TableParse {
    std::optional<Table> table;
    std::size_t consumed = 0;  // records taken, counted from the start index
    Caption caption;           // full profile
    // Full profile: a table of one cell (a frame around text) is its
    // content, walked as blocks, in place of `table`.
    BlockList frame;
};

// Parse the table control whose header (at `level`) precedes `start`,
// charging what it materialises to the context's allowance (LimitExceeded
// when spent). `place` is where the table stands: in the body a table of
// one cell becomes its content; in a cell it is folded all the same.
TableParse parse_table(Records records, std::size_t start, std::uint16_t level, std::int32_t depth,
                       WalkContext& context, TextContext place = TextContext::Body);

// The same by the exact rules with an allowance of its own, for a table
// parsed on its own.
inline TableParse parse_table(Records records, std::size_t start, std::uint16_t level, std::int32_t depth) {
    WalkContext context;
    return parse_table(records, start, level, depth, context);
}

// The whole document at `path` (or in `source`) as Markdown; damage read
// past goes to `warnings` when given.
Result<std::string> convert_document(std::string_view path, Profile profile = Profile::Exact);
Result<std::string> convert_document(ByteSource source, Profile profile = Profile::Exact,
                                     std::vector<std::string>* warnings = nullptr);

struct RecordInfo {
    std::uint16_t tag_id;
    std::uint16_t level;
    std::uint64_t size;
};

// The (tag_id, level, size) of each record of "/BodyText/Section0".
Result<std::vector<RecordInfo>> list_section_records(std::string_view path);
Result<std::vector<RecordInfo>> list_section_records(ByteSource source);

}  // namespace brindle
