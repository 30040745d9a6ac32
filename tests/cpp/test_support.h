// Builders for the byte layouts the core reads: UTF-16LE text, record
// streams and record lists, so each test states its input in format terms.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "brindle/bytes.h"
#include "hwp/doc_info.h"
#include "hwp/record.h"
#include "model/content_block.h"

namespace brindle::test {

// Little-endian byte writer.
class ByteWriter {
public:
    ByteWriter& u8(std::uint8_t v);
    ByteWriter& u16(std::uint16_t v);
    ByteWriter& u32(std::uint32_t v);
    ByteWriter& bytes(Bytes data);
    ByteWriter& zeros(std::size_t count);
    // UTF-16LE code units of a UTF-8 text (no length prefix).
    ByteWriter& utf16(std::u16string_view text);
    // One 8-unit control: code, six units of data (the first two may carry
    // a control id), code again.
    ByteWriter& control(std::uint16_t code, std::uint32_t id = 0);

    const ByteBuffer& buffer() const { return data_; }
    ByteBuffer take() { return std::move(data_); }

private:
    ByteBuffer data_;
};

// A record for record-list tests; its payload is kept alive for the run.
HwpRecord record(std::uint16_t tag, std::uint16_t level, ByteBuffer payload = {});
// A HWPTAG_CTRL_HEADER record whose payload starts with `id` (plus `extra`).
HwpRecord ctrl_header(std::uint16_t level, std::uint32_t id, ByteBuffer extra = {});
// A HWPTAG_PARA_TEXT record holding plain UTF-16 text.
HwpRecord para_text(std::uint16_t level, std::u16string_view text);

// Serialise records into section bytes (extended size when >= 0xFFF).
ByteBuffer encode_records(const std::vector<HwpRecord>& records);

// Table and field records, for the walk and table tests.

// A HWPTAG_TABLE payload declaring `rows` rows with the given per-row cell
// counts (fewer counts than rows leaves the later rows uncounted): 18 bytes
// of properties, then one u16 per count.
ByteBuffer table_payload(std::uint16_t rows, std::initializer_list<std::uint16_t> cell_counts);
HwpRecord table_record(std::uint16_t level, std::uint16_t rows, std::initializer_list<std::uint16_t> cell_counts);
// A HWPTAG_LIST_HEADER opening a cell (its payload is never read).
HwpRecord list_header(std::uint16_t level);
// A '%clk' control header whose command holds the guide text `direction`.
HwpRecord click_here_ctrl(std::uint16_t level, std::u16string_view direction, bool modified = false);
// A HWPTAG_CTRL_DATA record naming a field.
HwpRecord field_name_record(std::uint16_t level, std::u16string_view name);
// A HWPTAG_PARA_TEXT record holding `before`, a click-here field whose
// content is `content`, and `after`.
HwpRecord para_with_field(std::uint16_t level, std::u16string_view before, std::u16string_view content,
                          std::u16string_view after);
// A table cell at `level`: its list header and one paragraph of `text`.
std::vector<HwpRecord> cell(std::uint16_t level, std::u16string_view text);
// Record lists written as pieces, joined in order.
std::vector<HwpRecord> cat(std::initializer_list<std::vector<HwpRecord>> pieces);
// A block as a short string for whole-list comparisons: "P:text",
// "T:<rows>", "E:script", "I:caption", "H:label", "N:<page>".
std::string describe(const ContentBlock& block);

// A HWPTAG_PARA_HEADER naming paragraph shape `shape` and style `style`.
HwpRecord para_header(std::uint16_t level, std::uint16_t shape = 0, std::uint8_t style = 0);
// A numbering with these level formats (UTF-8) and shapes; levels start at
// `starts` (1 where not given).
Numbering numbering(std::initializer_list<std::string_view> formats, std::initializer_list<std::uint8_t> shapes = {},
                    std::initializer_list<std::uint32_t> starts = {});

}  // namespace brindle::test
