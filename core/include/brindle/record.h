// One tagged record of a body section, and the reader that cuts a
// section's bytes into records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "brindle/bytes.h"

namespace brindle {

struct HwpRecord {
    std::uint16_t tag_id = 0;  // 10 significant bits
    std::uint16_t level = 0;   // 10 significant bits
    ByteBuffer payload;        // owned copy: the list outlives the section bytes

    std::size_t size() const { return payload.size(); }
    Bytes bytes() const { return payload; }
};

using RecordList = std::vector<HwpRecord>;
using Records = std::span<const HwpRecord>;

// Every complete record up to the first point where the bytes no longer
// hold one; truncated trailing data is dropped silently.
RecordList parse_records(Bytes section);

// First index >= start whose level is <= level, or records.size().
std::size_t skip_subtree(Records records, std::size_t start, std::uint16_t level);

// The control id of a HWPTAG_CTRL_HEADER record (0 if shorter than 4 bytes).
std::uint32_t control_id(const HwpRecord& record);

}  // namespace brindle
