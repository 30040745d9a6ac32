// The walk over a body section's records: paragraphs, and the controls
// anchored in them handed to their readers; and the walk over a paragraph
// list nested in a control (a cell, a note, a header, a caption).
#pragma once

#include <cstddef>
#include <cstdint>

#include "hwp/record.h"
#include "model/content_block.h"
#include "model/markdown_escape.h"
#include "model/walk_context.h"

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

}  // namespace brindle
