#include "test_support.h"

#include "brindle/format.h"

namespace brindle::test {

ByteWriter& ByteWriter::u8(std::uint8_t v) {
    data_.push_back(v);
    return *this;
}

ByteWriter& ByteWriter::u16(std::uint16_t v) {
    data_.push_back(static_cast<std::uint8_t>(v & 0xFF));
    data_.push_back(static_cast<std::uint8_t>(v >> 8));
    return *this;
}

ByteWriter& ByteWriter::u32(std::uint32_t v) {
    u16(static_cast<std::uint16_t>(v & 0xFFFF));
    return u16(static_cast<std::uint16_t>(v >> 16));
}

ByteWriter& ByteWriter::bytes(Bytes data) {
    data_.insert(data_.end(), data.begin(), data.end());
    return *this;
}

ByteWriter& ByteWriter::zeros(std::size_t count) {
    data_.insert(data_.end(), count, 0);
    return *this;
}

ByteWriter& ByteWriter::utf16(std::u16string_view text) {
    for (char16_t unit : text) u16(static_cast<std::uint16_t>(unit));
    return *this;
}

ByteWriter& ByteWriter::control(std::uint16_t code, std::uint32_t id) {
    u16(code);
    u32(id);
    u16(0).u16(0).u16(0).u16(0);
    return u16(code);
}

HwpRecord record(std::uint16_t tag, std::uint16_t level, ByteBuffer payload) {
    return HwpRecord{tag, level, std::move(payload)};
}

HwpRecord ctrl_header(std::uint16_t level, std::uint32_t id, ByteBuffer extra) {
    ByteWriter w;
    w.u32(id).bytes(extra);
    return record(HWPTAG_CTRL_HEADER, level, w.take());
}

HwpRecord para_text(std::uint16_t level, std::u16string_view text) {
    ByteWriter w;
    w.utf16(text);
    return record(HWPTAG_PARA_TEXT, level, w.take());
}

ByteBuffer encode_records(const std::vector<HwpRecord>& records) {
    ByteWriter w;
    for (const HwpRecord& r : records) {
        const std::uint32_t size = static_cast<std::uint32_t>(r.size());
        const std::uint32_t small = size >= RECORD_SIZE_EXTENDED ? RECORD_SIZE_EXTENDED : size;
        w.u32(static_cast<std::uint32_t>(r.tag_id & 0x3FF) |
              (static_cast<std::uint32_t>(r.level & 0x3FF) << 10) | (small << 20));
        if (small == RECORD_SIZE_EXTENDED) w.u32(size);
        w.bytes(r.payload);
    }
    return w.take();
}

}  // namespace brindle::test
