#include "test_support.h"

#include <algorithm>
#include <deque>

#include "hwp/format.h"

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
    // Records view their payload; in tests the payloads live for the whole
    // run (a deque never moves what it holds).
    static std::deque<ByteBuffer> payloads;
    payloads.push_back(std::move(payload));
    return HwpRecord{tag, level, payloads.back()};
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
        w.u32(static_cast<std::uint32_t>(r.tag_id & 0x3FF) | (static_cast<std::uint32_t>(r.level & 0x3FF) << 10) |
              (small << 20));
        if (small == RECORD_SIZE_EXTENDED) w.u32(size);
        w.bytes(r.bytes());
    }
    return w.take();
}

ByteBuffer table_payload(std::uint16_t rows, std::initializer_list<std::uint16_t> cell_counts) {
    ByteWriter w;
    w.u32(0).u16(rows).u16(0).zeros(10);
    for (std::uint16_t count : cell_counts) w.u16(count);
    return w.take();
}

HwpRecord table_record(std::uint16_t level, std::uint16_t rows, std::initializer_list<std::uint16_t> cell_counts) {
    return record(HWPTAG_TABLE, level, table_payload(rows, cell_counts));
}

HwpRecord list_header(std::uint16_t level) { return record(HWPTAG_LIST_HEADER, level); }

HwpRecord click_here_ctrl(std::uint16_t level, std::u16string_view direction, bool modified) {
    std::u16string command = u"Clickhere:set:0:Direction:wstring:";
    for (char c : std::to_string(direction.size())) command.push_back(static_cast<char16_t>(c));
    command.push_back(u':');
    command.append(direction);
    command.push_back(u' ');
    ByteWriter w;
    w.u32(modified ? 0x8000u : 0u).u8(9).u16(static_cast<std::uint16_t>(command.size())).utf16(command);
    return ctrl_header(level, CTRL_CLICK_HERE, w.take());
}

HwpRecord field_name_record(std::uint16_t level, std::u16string_view name) {
    ByteWriter w;
    w.zeros(10).u16(static_cast<std::uint16_t>(name.size())).utf16(name);
    return record(HWPTAG_CTRL_DATA, level, w.take());
}

HwpRecord para_with_field(std::uint16_t level, std::u16string_view before, std::u16string_view content,
                          std::u16string_view after) {
    ByteWriter w;
    w.utf16(before).control(3, CTRL_CLICK_HERE).utf16(content).control(4).utf16(after);
    return record(HWPTAG_PARA_TEXT, level, w.take());
}

std::vector<HwpRecord> cell(std::uint16_t level, std::u16string_view text) {
    return {list_header(level), para_text(static_cast<std::uint16_t>(level + 1), text)};
}

std::vector<HwpRecord> cat(std::initializer_list<std::vector<HwpRecord>> pieces) {
    std::vector<HwpRecord> out;
    for (const auto& piece : pieces) out.insert(out.end(), piece.begin(), piece.end());
    return out;
}

std::string describe(const ContentBlock& block) {
    if (const auto* p = std::get_if<Paragraph>(&block)) return "P:" + p->text;
    if (const auto* t = std::get_if<Table>(&block)) return "T:" + std::to_string(t->rows.size());
    if (const auto* e = std::get_if<Equation>(&block)) return "E:" + e->script;
    if (const auto* m = std::get_if<HeaderFooter>(&block)) return "H:" + m->label;
    if (const auto* n = std::get_if<NewPage>(&block)) return "N:" + std::to_string(n->number);
    return "I:" + std::get<Image>(block).caption;
}

HwpRecord para_header(std::uint16_t level, std::uint16_t shape, std::uint8_t style) {
    // Character count, control mask, shape, style, then fields not read.
    return record(HWPTAG_PARA_HEADER, level, ByteWriter().u32(0).u32(0).u16(shape).u8(style).zeros(11).take());
}

Numbering numbering(std::initializer_list<std::string_view> formats, std::initializer_list<std::uint8_t> shapes,
                    std::initializer_list<std::uint32_t> starts) {
    Numbering n;
    n.starts.fill(1);
    std::size_t level = 0;
    for (std::string_view format : formats) {
        n.formats += format;
        n.offsets[++level] = static_cast<std::uint16_t>(n.formats.size());
    }
    std::fill(n.offsets.begin() + level + 1, n.offsets.end(), n.offsets[level]);
    std::copy(shapes.begin(), shapes.end(), n.shapes.begin());
    std::copy(starts.begin(), starts.end(), n.starts.begin());
    return n;
}

}  // namespace brindle::test
