// Click-here fields in HWP records: a field's guide text and modified flag
// from its control header, its name from the HWPTAG_CTRL_DATA record after
// it.
#include "hwp/click_here.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "hwp/format.h"
#include "text.h"

namespace brindle {

namespace {

// '%clk' control header: properties word at 4, a byte that must be 9 at 8,
// the command's length in code units at 9 and the command from 11.
constexpr std::size_t HEADER_MODIFIED_BYTE = 5;  // bit 15 of the properties word
constexpr std::uint8_t HEADER_MODIFIED_BIT = 0x80;
constexpr std::size_t HEADER_KIND_OFFSET = 8;
constexpr std::uint8_t HEADER_KIND_CLICK_HERE = 9;
constexpr std::size_t HEADER_COMMAND_LENGTH_OFFSET = 9;
constexpr std::size_t HEADER_COMMAND_OFFSET = 11;

// HWPTAG_CTRL_DATA of a field: a parameter set whose first item is the name.
constexpr std::size_t NAME_LENGTH_OFFSET = 10;
constexpr std::size_t NAME_OFFSET = 12;

}  // namespace

std::optional<ClickHereHeader> parse_click_here_header(Bytes payload) {
    const std::size_t size = payload.size();
    if (size < HEADER_COMMAND_OFFSET || payload[HEADER_KIND_OFFSET] != HEADER_KIND_CLICK_HERE) {
        return std::nullopt;
    }
    const std::size_t command_bytes = 2 * std::size_t{read_u16(payload, HEADER_COMMAND_LENGTH_OFFSET)};
    if (size < HEADER_COMMAND_OFFSET + command_bytes) return std::nullopt;

    ClickHereHeader header;
    header.modified = (payload[HEADER_MODIFIED_BYTE] & HEADER_MODIFIED_BIT) != 0;
    header.direction = read_click_here_direction(payload.subspan(HEADER_COMMAND_OFFSET, command_bytes));
    return header;
}

std::string read_field_name(Bytes payload) {
    if (payload.size() < NAME_OFFSET) return {};
    const std::size_t declared = 2 * std::size_t{read_u16(payload, NAME_LENGTH_OFFSET)};
    const std::size_t available = std::min(declared, payload.size() - NAME_OFFSET);
    // decode_utf16_strict drops a final odd byte.
    return decode_utf16_strict(payload.subspan(NAME_OFFSET, available)).value_or(std::string());
}

ClickHereField describe_click_here_field(Bytes header_payload, std::optional<Bytes> name_payload) {
    ClickHereField field;
    if (std::optional<ClickHereHeader> header = parse_click_here_header(header_payload)) {
        field.direction = std::move(header->direction);
        field.modified = header->modified;
    }
    if (name_payload) field.name = read_field_name(*name_payload);
    return field;
}

std::size_t take_click_here_field(Records records, std::size_t header, std::uint32_t name_level,
                                  PendingParagraph& pending) {
    std::optional<Bytes> name;
    std::size_t next = header + 1;
    if (next < records.size() && records[next].tag_id == HWPTAG_CTRL_DATA && records[next].level == name_level) {
        name = records[next].bytes();
        ++next;
    }
    pending.fields.push_back(describe_click_here_field(records[header].bytes(), name));
    return next;
}

}  // namespace brindle
