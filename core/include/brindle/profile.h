// The conversion's rules. "Exact" writes what the compatibility module has
// always written; "full" also keeps what a reader of the document sees and
// the exact rules drop: notes, headers and footers, paragraph numbers and
// bullets, outline headings, links, table captions, merged cells, tabs and
// line breaks, with the Markdown escaped so that it renders as the
// document reads.
#pragma once

#include <cstdint>

namespace brindle {

enum class Profile : std::uint8_t { Exact, Full };

}  // namespace brindle
