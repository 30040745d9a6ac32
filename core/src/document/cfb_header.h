// The compound-file header: the fields the reader needs, validated.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "brindle/bytes.h"
#include "brindle/result.h"
#include "document/cfb_format.h"

namespace brindle::cfb {

struct Header {
    std::uint16_t major_version = 3;
    unsigned sector_shift = V3_SECTOR_SHIFT;
    std::uint32_t fat_sectors = 0;
    std::uint32_t first_directory_sector = END_OF_CHAIN;
    std::uint32_t first_mini_fat_sector = END_OF_CHAIN;
    std::uint32_t first_difat_sector = END_OF_CHAIN;
    std::array<std::uint32_t, HEADER_DIFAT_SLOTS> difat{};

    std::size_t sector_size() const { return std::size_t{1} << sector_shift; }
};

// Validate the first HEADER_SIZE bytes of a file of `file_size` bytes
// (`bytes` holds fewer when the file is shorter).
Result<Header> parse_header(Bytes bytes, std::uint64_t file_size);

}  // namespace brindle::cfb
