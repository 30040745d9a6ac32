// Chains through an allocation table.
#include "document/allocation_table.h"

#include <algorithm>
#include <string>

#include "document/cfb_format.h"

namespace brindle::cfb {
namespace {

HwpError chain_error(std::string_view what, std::string_view problem) {
    std::string text = "sector chain of ";
    text.append(what).append(" ").append(problem);
    return HwpError::compound_file(std::move(text));
}

}  // namespace

Result<std::vector<std::uint32_t>> AllocationTable::chain(std::uint32_t start, std::uint64_t count,
                                                          std::string_view what) {
    return walk(start, count, false, what);
}

Result<std::vector<std::uint32_t>> AllocationTable::chain_to_end(std::uint32_t start, std::string_view what) {
    return walk(start, next_.size(), true, what);
}

Result<std::vector<std::uint32_t>> AllocationTable::walk(std::uint32_t start, std::uint64_t count, bool to_end,
                                                         std::string_view what) {
    // A chain visits each sector at most once, so it cannot be longer than
    // the table.
    if (count > next_.size()) {
        return chain_error(what, "needs " + std::to_string(count) + " sectors, more than the allocation table's " +
                                     std::to_string(next_.size()));
    }
    if (++generation_ == 0) {  // wrapped: old stamps could match again
        std::fill(seen_.begin(), seen_.end(), 0);
        generation_ = 1;
    }
    std::vector<std::uint32_t> sectors;
    sectors.reserve(to_end ? 0 : static_cast<std::size_t>(count));
    std::uint32_t sector = start;
    while (to_end || sectors.size() < count) {
        if (sector == END_OF_CHAIN) {
            if (to_end) break;
            return chain_error(what, "ends after " + std::to_string(sectors.size()) + " of its " +
                                         std::to_string(count) + " sectors");
        }
        if (sector >= next_.size()) {
            return chain_error(what,
                               "holds sector number " + std::to_string(sector) + ", outside the allocation table");
        }
        if (seen_[sector] == generation_) return chain_error(what, "loops");
        seen_[sector] = generation_;
        sectors.push_back(sector);
        sector = next_[sector];
    }
    return sectors;
}

}  // namespace brindle::cfb
