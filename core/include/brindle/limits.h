// Bounds on what one call may build, so that a tiny crafted file cannot
// make the process allocate without limit. Exceeding one throws
// LimitExceeded, which the module surface raises as MemoryError, like any
// other allocation failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace brindle {

struct LimitExceeded : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Cells one table may declare (the sum of its rows' cell counts). Every
// declared cell is materialised and rendered, so a table record alone
// (65535 rows of 65535 cells) could otherwise ask for billions.
inline constexpr std::uint64_t MAX_TABLE_CELLS = std::uint64_t{1} << 22;

// Bytes one body section may inflate to. DEFLATE expands up to ~1000x, so
// without a bound a small file could ask for gigabytes; real sections are a
// few megabytes at most.
inline constexpr std::size_t MAX_SECTION_SIZE = std::size_t{256} << 20;

}  // namespace brindle
