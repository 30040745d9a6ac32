// The record reader: cuts a body section's bytes into tagged records.
//
// Each record starts with a u32 header: tag (bits 0-9), level (10-19) and
// a 12-bit size (20-31); size 0xFFF means the real size follows as a u32.
// The payload follows at once, with no padding between records.
#include <algorithm>

#include "brindle/format.h"
#include "brindle/record.h"

namespace brindle {

RecordList parse_records(ByteBuffer&& section) {
    std::vector<HwpRecord> records;
    const Bytes bytes = section;
    const std::size_t len = bytes.size();
    records.reserve(len / 32);  // typical records are a few dozen bytes
    std::size_t pos = 0;
    while (len - pos >= 4) {
        const std::uint32_t header = read_u32(bytes, pos);
        const auto tag_id = static_cast<std::uint16_t>(header & 0x3FF);
        const auto level = static_cast<std::uint16_t>((header >> 10) & 0x3FF);
        std::uint64_t size = header >> 20;
        std::size_t start = pos + 4;
        if (size == RECORD_SIZE_EXTENDED) {
            if (len - start < 4) break;
            size = read_u32(bytes, start);
            start += 4;
        }
        // A payload running past the end ends the list: it and everything
        // after it are dropped.
        if (len - start < size) break;
        records.push_back(HwpRecord{tag_id, level, bytes.subspan(start, static_cast<std::size_t>(size))});
        pos = start + static_cast<std::size_t>(size);
    }
    return RecordList(std::move(section), std::move(records));
}

RecordList parse_records(Bytes section) { return parse_records(ByteBuffer(section.begin(), section.end())); }

std::size_t skip_subtree(Records records, std::size_t start, std::uint16_t level) {
    std::size_t i = std::min(start, records.size());
    while (i < records.size() && records[i].level > level) ++i;
    return i;
}

std::uint32_t control_id(const HwpRecord& record) {
    return record.size() < 4 ? 0 : read_u32(record.bytes(), 0);
}

}  // namespace brindle
