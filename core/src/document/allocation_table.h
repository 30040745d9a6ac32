// An allocation table (the FAT or the mini FAT): for every sector, the
// number of the next sector of its chain. Chains are followed with every
// step checked, so a chain that loops, ends early or leaves the table is an
// error, found in time proportional to the sectors asked for.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "brindle/result.h"

namespace brindle::cfb {

class AllocationTable {
public:
    AllocationTable() = default;
    explicit AllocationTable(std::vector<std::uint32_t> next) : next_(std::move(next)), seen_(next_.size(), 0) {}

    std::size_t size() const { return next_.size(); }

    // The first `count` sectors of the chain from `start`; `what` names the
    // chain's owner in error texts ("'/BodyText/Section0'", "the directory").
    Result<std::vector<std::uint32_t>> chain(std::uint32_t start, std::uint64_t count, std::string_view what);

    // The whole chain from `start` up to its end-of-chain mark.
    Result<std::vector<std::uint32_t>> chain_to_end(std::uint32_t start, std::string_view what);

private:
    // Walks `count` steps (or to the end mark when `to_end`).
    Result<std::vector<std::uint32_t>> walk(std::uint32_t start, std::uint64_t count, bool to_end,
                                            std::string_view what);

    std::vector<std::uint32_t> next_;
    // seen_[s] == generation_ when sector s is already on the chain being
    // walked: one stamp per walk instead of clearing a set each time.
    std::vector<std::uint32_t> seen_;
    std::uint32_t generation_ = 0;
};

}  // namespace brindle::cfb
