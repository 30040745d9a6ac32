// Constants of the ZIP format (PKWARE's APPNOTE), named once: the records'
// signatures, sizes and field offsets, and the ZIP64 extension.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brindle::zip {

// End of central directory record: signature, disk numbers, entry counts,
// the central directory's size and offset, then a comment of up to 64 KiB.
inline constexpr std::uint32_t EOCD_SIGNATURE = 0x06054b50;
inline constexpr std::size_t EOCD_SIZE = 22;
inline constexpr std::size_t EOCD_MAX_COMMENT = 0xFFFF;
inline constexpr std::size_t EOCD_DISK_OFFSET = 4;             // u16: this disk's number
inline constexpr std::size_t EOCD_CD_DISK_OFFSET = 6;          // u16: the disk the directory starts on
inline constexpr std::size_t EOCD_DISK_ENTRIES_OFFSET = 8;     // u16
inline constexpr std::size_t EOCD_ENTRIES_OFFSET = 10;         // u16
inline constexpr std::size_t EOCD_CD_SIZE_OFFSET = 12;         // u32
inline constexpr std::size_t EOCD_CD_OFFSET_OFFSET = 16;       // u32
inline constexpr std::size_t EOCD_COMMENT_LENGTH_OFFSET = 20;  // u16

// ZIP64: a locator just before the end record points at a ZIP64 end record
// whose counts, size and offset are 64-bit.
inline constexpr std::uint32_t ZIP64_LOCATOR_SIGNATURE = 0x07064b50;
inline constexpr std::size_t ZIP64_LOCATOR_SIZE = 20;
inline constexpr std::size_t ZIP64_LOCATOR_EOCD_OFFSET = 8;  // u64
inline constexpr std::uint32_t ZIP64_EOCD_SIGNATURE = 0x06064b50;
inline constexpr std::size_t ZIP64_EOCD_SIZE = 56;
inline constexpr std::size_t ZIP64_EOCD_DISK_OFFSET = 16;       // u32
inline constexpr std::size_t ZIP64_EOCD_CD_DISK_OFFSET = 20;    // u32
inline constexpr std::size_t ZIP64_EOCD_ENTRIES_OFFSET = 32;    // u64
inline constexpr std::size_t ZIP64_EOCD_CD_SIZE_OFFSET = 40;    // u64
inline constexpr std::size_t ZIP64_EOCD_CD_OFFSET_OFFSET = 48;  // u64
// A 16- or 32-bit field holding its largest value defers to the ZIP64 one.
inline constexpr std::uint16_t ZIP64_U16 = 0xFFFF;
inline constexpr std::uint32_t ZIP64_U32 = 0xFFFFFFFF;
inline constexpr std::uint16_t ZIP64_EXTRA_ID = 0x0001;  // extra field: usize, csize, offset, disk

// Central directory file header.
inline constexpr std::uint32_t CENTRAL_SIGNATURE = 0x02014b50;
inline constexpr std::size_t CENTRAL_SIZE = 46;
inline constexpr std::size_t CENTRAL_FLAGS_OFFSET = 8;            // u16
inline constexpr std::size_t CENTRAL_METHOD_OFFSET = 10;          // u16
inline constexpr std::size_t CENTRAL_CRC_OFFSET = 16;             // u32
inline constexpr std::size_t CENTRAL_COMPRESSED_OFFSET = 20;      // u32
inline constexpr std::size_t CENTRAL_SIZE_OFFSET = 24;            // u32
inline constexpr std::size_t CENTRAL_NAME_LENGTH_OFFSET = 28;     // u16
inline constexpr std::size_t CENTRAL_EXTRA_LENGTH_OFFSET = 30;    // u16
inline constexpr std::size_t CENTRAL_COMMENT_LENGTH_OFFSET = 32;  // u16
inline constexpr std::size_t CENTRAL_DISK_OFFSET = 34;            // u16
inline constexpr std::size_t CENTRAL_LOCAL_OFFSET = 42;           // u32

// Local file header, before each entry's data.
inline constexpr std::uint32_t LOCAL_SIGNATURE = 0x04034b50;
inline constexpr std::size_t LOCAL_SIZE = 30;
inline constexpr std::size_t LOCAL_FLAGS_OFFSET = 6;          // u16
inline constexpr std::size_t LOCAL_METHOD_OFFSET = 8;         // u16
inline constexpr std::size_t LOCAL_CRC_OFFSET = 14;           // u32
inline constexpr std::size_t LOCAL_COMPRESSED_OFFSET = 18;    // u32
inline constexpr std::size_t LOCAL_SIZE_OFFSET = 22;          // u32
inline constexpr std::size_t LOCAL_NAME_LENGTH_OFFSET = 26;   // u16
inline constexpr std::size_t LOCAL_EXTRA_LENGTH_OFFSET = 28;  // u16

// General-purpose flags.
inline constexpr std::uint16_t FLAG_ENCRYPTED = 0x0001;
inline constexpr std::uint16_t FLAG_DATA_DESCRIPTOR = 0x0008;  // CRC and sizes follow the data

// Compression methods.
inline constexpr std::uint16_t METHOD_STORED = 0;
inline constexpr std::uint16_t METHOD_DEFLATED = 8;

}  // namespace brindle::zip
