// Constants of the Compound File Binary (MS-CFB) format, named once: the
// header's fields, the special sector numbers and the directory entry.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace brindle::cfb {

inline constexpr std::array<std::uint8_t, 8> SIGNATURE = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
inline constexpr std::size_t HEADER_SIZE = 512;            // the header's fields; v4 pads it to a 4096-byte sector
inline constexpr std::uint16_t BYTE_ORDER_MARK = 0xFFFE;   // little-endian
inline constexpr unsigned V3_SECTOR_SHIFT = 9;             // 512-byte sectors
inline constexpr unsigned V4_SECTOR_SHIFT = 12;            // 4096-byte sectors
inline constexpr unsigned MINI_SECTOR_SHIFT = 6;           // 64-byte mini sectors
inline constexpr std::uint32_t MINI_STREAM_CUTOFF = 4096;  // smaller streams live in the mini stream
inline constexpr std::size_t HEADER_DIFAT_SLOTS = 109;     // FAT sector numbers held in the header

// Header field offsets.
inline constexpr std::size_t MAJOR_VERSION_OFFSET = 26;
inline constexpr std::size_t BYTE_ORDER_OFFSET = 28;
inline constexpr std::size_t SECTOR_SHIFT_OFFSET = 30;
inline constexpr std::size_t MINI_SECTOR_SHIFT_OFFSET = 32;
inline constexpr std::size_t FAT_SECTORS_OFFSET = 44;
inline constexpr std::size_t FIRST_DIRECTORY_SECTOR_OFFSET = 48;
inline constexpr std::size_t MINI_STREAM_CUTOFF_OFFSET = 56;
inline constexpr std::size_t FIRST_MINI_FAT_SECTOR_OFFSET = 60;
inline constexpr std::size_t FIRST_DIFAT_SECTOR_OFFSET = 68;
inline constexpr std::size_t HEADER_DIFAT_OFFSET = 76;

// Sector numbers above MAX_REGULAR_SECTOR are marks, not places.
inline constexpr std::uint32_t MAX_REGULAR_SECTOR = 0xFFFFFFFA;
inline constexpr std::uint32_t DIFAT_SECTOR = 0xFFFFFFFC;  // the sector holds part of the DIFAT
inline constexpr std::uint32_t FAT_SECTOR = 0xFFFFFFFD;    // the sector holds part of the FAT
inline constexpr std::uint32_t END_OF_CHAIN = 0xFFFFFFFE;  // last sector of a chain
inline constexpr std::uint32_t FREE_SECTOR = 0xFFFFFFFF;   // unallocated

// Directory entries: 128 bytes each.
inline constexpr std::size_t ENTRY_SIZE = 128;
inline constexpr std::size_t ENTRY_NAME_BYTES = 64;          // UTF-16LE, NUL-terminated
inline constexpr std::size_t ENTRY_NAME_LENGTH_OFFSET = 64;  // u16, in bytes, with the NUL
inline constexpr std::size_t ENTRY_TYPE_OFFSET = 66;
inline constexpr std::size_t ENTRY_LEFT_OFFSET = 68;
inline constexpr std::size_t ENTRY_RIGHT_OFFSET = 72;
inline constexpr std::size_t ENTRY_CHILD_OFFSET = 76;
inline constexpr std::size_t ENTRY_START_OFFSET = 116;
inline constexpr std::size_t ENTRY_SIZE_OFFSET = 120;  // u64; version 3 uses only the low half
inline constexpr std::uint8_t TYPE_STORAGE = 1;
inline constexpr std::uint8_t TYPE_STREAM = 2;
inline constexpr std::uint8_t TYPE_ROOT = 5;
inline constexpr std::uint32_t NO_ENTRY = 0xFFFFFFFF;  // no sibling or child

}  // namespace brindle::cfb
