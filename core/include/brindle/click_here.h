// Click-here (form) fields: the description read from the field's control
// records and the rendering of a paragraph with its fields.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "brindle/bytes.h"
#include "brindle/paragraph_text.h"
#include "brindle/record.h"

namespace brindle {

struct ClickHereField {
    std::string name;       // from the HWPTAG_CTRL_DATA record; may be empty
    std::string direction;  // the guide text; may be empty
    bool modified = false;  // the user has changed the content
};

// A decoded paragraph waiting for the descriptions of its fields.
// Invariant: fields.size() <= para.field_texts.size().
struct PendingParagraph {
    ParagraphText para;
    std::vector<ClickHereField> fields;

    bool wants_field() const { return fields.size() < para.field_texts.size(); }
};

struct ClickHereHeader {
    std::string direction;
    bool modified = false;
};

// Direction and modified flag from a '%clk' control header payload, or
// nothing when the payload is malformed.
std::optional<ClickHereHeader> parse_click_here_header(Bytes payload);

// The field's name from its HWPTAG_CTRL_DATA payload (empty if unusable).
std::string read_field_name(Bytes payload);

// The paragraph's final text: each field mark replaced by the field's
// "{{name: direction --> content}}" rendering (or its bare content when the
// field has no description).
std::string render_paragraph(std::string_view text, std::span<const std::string> field_texts,
                             std::span<const ClickHereField> fields);

inline std::string render_paragraph(const PendingParagraph& pending) {
    return render_paragraph(pending.para.text, pending.para.field_texts, pending.fields);
}

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
