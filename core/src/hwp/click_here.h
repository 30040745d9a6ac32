// Click-here (form) fields in HWP records: the description read from the
// field's control header and name record.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "brindle/bytes.h"
#include "hwp/record.h"
#include "model/paragraph.h"

namespace brindle {

struct ClickHereHeader {
    std::string direction;
    bool modified = false;
};

// Direction and modified flag from a '%clk' control header payload, or
// nothing when the payload is malformed.
std::optional<ClickHereHeader> parse_click_here_header(Bytes payload);

// The field's name from its HWPTAG_CTRL_DATA payload (empty if unusable).
std::string read_field_name(Bytes payload);

// Describe field k of a pending paragraph from a '%clk' header record and,
// when present, its name record.
ClickHereField describe_click_here_field(Bytes header_payload, std::optional<Bytes> name_payload);

// The body walk's and the table cells' field case: the '%clk' header at
// `header` describes the pending paragraph's next field; a HWPTAG_CTRL_DATA
// record right after it at `name_level` holds the name. Returns the index
// after the records taken (the header, and the name record if any).
std::size_t take_click_here_field(Records records, std::size_t header, std::uint32_t name_level,
                                  PendingParagraph& pending);

}  // namespace brindle
