// The 512-byte compound-file header. Version 3 has 512-byte sectors and
// version 4 4096-byte ones; everything else the reader relies on (byte
// order, 64-byte mini sectors, the 4096-byte mini-stream cutoff) is fixed by
// the format, so a header that says otherwise is not one we can read.
#include "document/cfb_header.h"

#include <algorithm>
#include <string>

namespace brindle::cfb {

Result<Header> parse_header(Bytes bytes, std::uint64_t file_size) {
    if (file_size == 0)
        return HwpError::compound_file("not a compound file: the file is empty", HwpError::Cause::NotACompoundFile);
    if (bytes.size() < SIGNATURE.size() || !std::equal(SIGNATURE.begin(), SIGNATURE.end(), bytes.begin())) {
        return HwpError::compound_file("not a compound file: bad signature", HwpError::Cause::NotACompoundFile);
    }
    if (bytes.size() < HEADER_SIZE) {
        return HwpError::compound_file("truncated compound file: " + std::to_string(file_size) +
                                       " bytes, less than its header");
    }
    Header header;
    header.major_version = read_u16(bytes, MAJOR_VERSION_OFFSET);
    if (header.major_version != 3 && header.major_version != 4) {
        return HwpError::compound_file("unsupported compound-file version " + std::to_string(header.major_version));
    }
    if (const std::uint16_t order = read_u16(bytes, BYTE_ORDER_OFFSET); order != BYTE_ORDER_MARK) {
        return HwpError::compound_file("bad byte-order mark " + std::to_string(order) + " in the header");
    }
    header.sector_shift = read_u16(bytes, SECTOR_SHIFT_OFFSET);
    const unsigned expected_shift = header.major_version == 3 ? V3_SECTOR_SHIFT : V4_SECTOR_SHIFT;
    if (header.sector_shift != expected_shift) {
        return HwpError::compound_file("sector shift " + std::to_string(header.sector_shift) +
                                       " does not match version " + std::to_string(header.major_version));
    }
    if (const unsigned mini_shift = read_u16(bytes, MINI_SECTOR_SHIFT_OFFSET); mini_shift != MINI_SECTOR_SHIFT) {
        return HwpError::compound_file("bad mini sector shift " + std::to_string(mini_shift));
    }
    if (const std::uint32_t cutoff = read_u32(bytes, MINI_STREAM_CUTOFF_OFFSET); cutoff != MINI_STREAM_CUTOFF) {
        return HwpError::compound_file("bad mini stream cutoff " + std::to_string(cutoff));
    }
    header.fat_sectors = read_u32(bytes, FAT_SECTORS_OFFSET);
    header.first_directory_sector = read_u32(bytes, FIRST_DIRECTORY_SECTOR_OFFSET);
    header.first_mini_fat_sector = read_u32(bytes, FIRST_MINI_FAT_SECTOR_OFFSET);
    header.first_difat_sector = read_u32(bytes, FIRST_DIFAT_SECTOR_OFFSET);
    for (std::size_t i = 0; i < HEADER_DIFAT_SLOTS; ++i) {
        header.difat[i] = read_u32(bytes, HEADER_DIFAT_OFFSET + 4 * i);
    }
    return header;
}

}  // namespace brindle::cfb
