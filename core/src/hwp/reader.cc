// The record reader: cuts a body section's bytes into tagged records.
//
// Each record starts with a u32 header: tag (bits 0-9), level (10-19) and
// a 12-bit size (20-31); size 0xFFF means the real size follows as a u32.
// The payload follows at once, with no padding between records.
#include <algorithm>

#include "hwp/format.h"
#include "hwp/record.h"

namespace brindle {

RecordList parse_records(ByteBuffer&& section) {
    std::vector<HwpRecord> records;
    const std::uint8_t* p = section.data();
    const std::uint8_t* const end = p + section.size();
    records.reserve(section.size() / 32);  // typical records are a few dozen bytes
    while (end - p >= 4) {
        const std::uint32_t header = load_u32(p);
        const auto tag_id = static_cast<std::uint16_t>(header & 0x3FF);
        const auto level = static_cast<std::uint16_t>((header >> 10) & 0x3FF);
        std::size_t size = header >> 20;
        p += 4;
        if (size == RECORD_SIZE_EXTENDED) {
            if (end - p < 4) break;
            size = load_u32(p);
            p += 4;
        }
        // A payload running past the end ends the list: it and everything
        // after it are dropped.
        if (static_cast<std::size_t>(end - p) < size) break;
        records.emplace_back(tag_id, level, Bytes(p, size));
        p += size;
    }
    return RecordList(std::move(section), std::move(records));
}

RecordList parse_records(Bytes section) { return parse_records(ByteBuffer(section.begin(), section.end())); }

std::size_t skip_subtree(Records records, std::size_t start, std::uint16_t level) {
    std::size_t i = std::min(start, records.size());
    while (i < records.size() && records[i].level > level) ++i;
    return i;
}

std::uint32_t control_id(const HwpRecord& record) { return record.size() < 4 ? 0 : read_u32(record.bytes(), 0); }

}  // namespace brindle
