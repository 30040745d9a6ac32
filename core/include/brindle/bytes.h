// Little-endian fixed-width reads from a byte span. Every parser decodes
// integers through these; callers check the bounds before reading.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

namespace brindle {

// An allocator whose value-less construction leaves bytes uninitialised: a
// buffer sized for a stream or an inflated section is written over whole
// before it is read, and zeroing it first cost more than a tenth of a
// conversion's instructions.
template <class T>
struct DefaultInitAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = DefaultInitAllocator<U>;
    };
    DefaultInitAllocator() = default;
    template <class U>
    DefaultInitAllocator(const DefaultInitAllocator<U>&) noexcept {}

    // Only construction without a value is changed; copies and fills go
    // through std::construct_at as with std::allocator.
    template <class U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
};

using Bytes = std::span<const std::uint8_t>;
using ByteBuffer = std::vector<std::uint8_t, DefaultInitAllocator<std::uint8_t>>;

inline std::uint16_t read_u16(Bytes bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline std::uint32_t read_u32(Bytes bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset]) | (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

// The u32 at `p`, little-endian, in one load on a little-endian machine,
// where the byte-wise read_u32 is not always merged into one: for loops
// that read every record's header or every line of a paragraph.
inline std::uint32_t load_u32(const std::uint8_t* p) {
    if constexpr (std::endian::native == std::endian::little) {
        std::uint32_t value;
        std::memcpy(&value, p, sizeof value);
        return value;
    } else {
        return read_u32(Bytes(p, 4), 0);
    }
}

inline std::uint64_t read_u64(Bytes bytes, std::size_t offset) {
    return static_cast<std::uint64_t>(read_u32(bytes, offset)) |
           (static_cast<std::uint64_t>(read_u32(bytes, offset + 4)) << 32);
}

// The same for an optional field: `fallback` when the bytes end before it.
inline std::uint16_t read_u16_or(Bytes bytes, std::size_t offset, std::uint16_t fallback) {
    return offset < bytes.size() && bytes.size() - offset >= 2 ? read_u16(bytes, offset) : fallback;
}

inline std::uint32_t read_u32_or(Bytes bytes, std::size_t offset, std::uint32_t fallback) {
    return offset < bytes.size() && bytes.size() - offset >= 4 ? read_u32(bytes, offset) : fallback;
}

}  // namespace brindle
