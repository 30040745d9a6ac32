// Runs of ordinary characters in paragraph text, copied to UTF-8 in bulk.
#pragma once

#include <cstddef>
#include <string>

#include "brindle/bytes.h"

namespace brindle {

// Append the UTF-8 of the UTF-16LE units from the start of `units` up to
// the first that is no character by itself (a code below 32 or a
// surrogate); returns how many units were taken. A final odd byte is
// ignored.
std::size_t append_plain_run(std::string& out, Bytes units);

// Bytes past the text that writing a run may take for a while: room made
// for a text should include them, or the last run regrows it.
inline constexpr std::size_t PLAIN_RUN_SLACK = 4;

}  // namespace brindle
