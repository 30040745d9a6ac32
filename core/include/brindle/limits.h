// Bounds on what one call may build, so that a tiny crafted file cannot
// make the process allocate without limit. Exceeding one throws
// LimitExceeded, which the module surface raises as MemoryError, like any
// other allocation failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace brindle {

struct LimitExceeded : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Cells one table may declare (the sum of its rows' cell counts). Every
// declared cell is materialised and rendered, so a table record alone
// (65535 rows of 65535 cells) could otherwise ask for billions.
inline constexpr std::uint64_t MAX_TABLE_CELLS = std::uint64_t{1} << 22;

// Table cells one document may materialise over all its tables, nested
// ones included: each table is charged its rows plus its grid. Without it,
// many small table records could each declare millions of empty cells.
inline constexpr std::uint64_t MAX_DOCUMENT_TABLE_CELLS = std::uint64_t{1} << 23;

// What is left of a document's table allowance; shared by every table of
// one conversion.
class TableBudget {
public:
    explicit TableBudget(std::uint64_t cells = MAX_DOCUMENT_TABLE_CELLS) : remaining_(cells) {}

    void charge(std::uint64_t cells) {
        if (cells > remaining_) {
            throw LimitExceeded("the document's tables declare more than " + std::to_string(MAX_DOCUMENT_TABLE_CELLS) +
                                " cells in all");
        }
        remaining_ -= cells;
    }

private:
    std::uint64_t remaining_;
};

// Bytes one body section may inflate to. DEFLATE expands up to ~1000x, so
// without a bound a small file could ask for gigabytes; real sections are a
// few megabytes at most.
inline constexpr std::size_t MAX_SECTION_SIZE = std::size_t{128} << 20;

// A ZIP package (HWPX): the bytes one part may inflate to, as for a
// section; the bytes all the parts read from one package may inflate to;
// the ratio of a part's size to its stored size above which it is taken
// for a bomb (deflate reaches about 1000:1 on long runs; real parts stay
// under 50:1), for parts past PART_RATIO_FLOOR; and the entries a package
// may list (real ones list a dozen or a few hundred).
inline constexpr std::size_t MAX_PART_SIZE = MAX_SECTION_SIZE;
inline constexpr std::uint64_t MAX_PACKAGE_INFLATED = std::uint64_t{512} << 20;
inline constexpr std::uint64_t MAX_COMPRESSION_RATIO = 200;
inline constexpr std::uint64_t PART_RATIO_FLOOR = std::uint64_t{1} << 20;
inline constexpr std::size_t MAX_ZIP_ENTRIES = std::size_t{1} << 16;

// An HWPML document (one XML file): the bytes it may hold, and the same
// bound on its text once its entities are expanded; the entities its
// document type may declare and the bytes of each one's value (old
// versions declare one, "&nbsp;"); the attributes one element may carry
// (real ones carry at most a few dozen). Past the first two, MemoryError;
// past the others, a damaged document.
inline constexpr std::size_t MAX_HWPML_SIZE = std::size_t{256} << 20;
inline constexpr std::size_t MAX_HWPML_ENTITIES = 64;
inline constexpr std::size_t MAX_HWPML_ENTITY_BYTES = 1024;
inline constexpr std::size_t MAX_HWPML_ATTRIBUTES = 1024;

}  // namespace brindle
