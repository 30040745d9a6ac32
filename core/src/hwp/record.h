// One tagged record of a body section, and the reader that cuts a
// section's bytes into records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "brindle/bytes.h"

namespace brindle {

// 16 bytes: a section of millions of tiny records costs little more than
// its own bytes. A payload is at most 2^32 - 1 bytes (the extended size is a
// u32), so its length fits in 32 bits.
class HwpRecord {
public:
    HwpRecord() = default;
    HwpRecord(std::uint16_t tag, std::uint16_t lvl, Bytes payload)
        : tag_id(tag), level(lvl), size_(static_cast<std::uint32_t>(payload.size())), data_(payload.data()) {}

    std::uint16_t tag_id = 0;  // 10 significant bits
    std::uint16_t level = 0;   // 10 significant bits

    std::size_t size() const { return size_; }
    // The payload: a view into the bytes its RecordList owns.
    Bytes bytes() const { return {data_, size_}; }

private:
    std::uint32_t size_ = 0;
    const std::uint8_t* data_ = nullptr;
};

using Records = std::span<const HwpRecord>;

// The records of one section together with the section bytes their
// payloads view, so the list stays valid on its own: cutting a section
// copies no payload, and one allocation holds every payload.
class RecordList {
public:
    RecordList() = default;
    RecordList(ByteBuffer bytes, std::vector<HwpRecord> records)
        : bytes_(std::move(bytes)), records_(std::move(records)) {}
    RecordList(RecordList&&) noexcept = default;
    RecordList& operator=(RecordList&&) noexcept = default;
    RecordList(const RecordList&) = delete;  // the views would point into the original
    RecordList& operator=(const RecordList&) = delete;

    std::size_t size() const { return records_.size(); }
    bool empty() const { return records_.empty(); }
    const HwpRecord& operator[](std::size_t i) const { return records_[i]; }
    auto begin() const { return records_.begin(); }
    auto end() const { return records_.end(); }
    operator Records() const { return records_; }

    // How many bytes of the section the records take, from its start: less
    // than its size when a record is cut short.
    std::size_t parsed_size() const {
        if (records_.empty()) return 0;
        const Bytes last = records_.back().bytes();
        return static_cast<std::size_t>(last.data() + last.size() - bytes_.data());
    }
    std::size_t section_size() const { return bytes_.size(); }

private:
    ByteBuffer bytes_;  // moving a vector keeps its heap block, so the views survive
    std::vector<HwpRecord> records_;
};

// Every complete record up to the first point where the bytes no longer
// hold one; truncated trailing data is dropped silently. The first form
// keeps the section's buffer; the second copies the bytes once.
RecordList parse_records(ByteBuffer&& section);
RecordList parse_records(Bytes section);

// First index >= start whose level is <= level, or records.size().
std::size_t skip_subtree(Records records, std::size_t start, std::uint16_t level);

// The control id of a HWPTAG_CTRL_HEADER record (0 if shorter than 4 bytes).
std::uint32_t control_id(const HwpRecord& record);

}  // namespace brindle
