// Table controls ('tbl '): HWPTAG_TABLE's rows and cell counts, then one
// paragraph list per cell, placed in the table's grid.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "hwp/record.h"
#include "model/content_block.h"
#include "model/markdown_escape.h"
#include "model/paragraph.h"
#include "model/table.h"
#include "model/walk_context.h"

namespace brindle {

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

}  // namespace brindle
