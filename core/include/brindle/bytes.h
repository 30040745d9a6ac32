// Little-endian fixed-width reads from a byte span. Every parser decodes
// integers through these; callers check the bounds before reading.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace brindle {

using Bytes = std::span<const std::uint8_t>;
using ByteBuffer = std::vector<std::uint8_t>;

inline std::uint16_t read_u16(Bytes bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline std::uint32_t read_u32(Bytes bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset]) |
           (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

}  // namespace brindle
