// Equation controls ('eqed'): the script of HWPTAG_EQEDIT, and for the full
// profile its caption and its LaTeX in the paragraph or after it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "hwp/record.h"
#include "model/content_block.h"
#include "model/markdown_escape.h"
#include "model/paragraph.h"
#include "model/walk_context.h"

namespace brindle {

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

}  // namespace brindle
