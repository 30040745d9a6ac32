// Click-here fields: reading a field's guide text, modified flag and name
// from its control records, and writing a paragraph with each field's mark
// replaced by "{{name: direction --> content}}".
#include "brindle/click_here.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "brindle/format.h"
#include "brindle/text.h"

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

// The setting in the command that holds the guide text:
// "Direction:wstring:" <length in units, decimal> ":" <text>.
constexpr std::u16string_view DIRECTION_KEY = u"Direction:wstring:";

constexpr bool is_digit(std::uint16_t u) { return u >= '0' && u <= '9'; }

// Index of the first unit after the first occurrence of DIRECTION_KEY in the
// command's `units` code units, or nothing.
std::optional<std::size_t> find_after_key(Bytes command, std::size_t units) {
    const std::size_t key = DIRECTION_KEY.size();
    for (std::size_t start = 0; start + key <= units; ++start) {
        std::size_t i = 0;
        while (i < key && read_u16(command, 2 * (start + i)) == DIRECTION_KEY[i]) ++i;
        if (i == key) return start + key;
    }
    return std::nullopt;
}

// The guide text in a command, empty when the setting is missing or
// malformed.
std::string read_direction(Bytes command) {
    const std::size_t units = command.size() / 2;
    const std::optional<std::size_t> after_key = find_after_key(command, units);
    if (!after_key) return {};
    std::size_t q = *after_key;
    // At least one digit, and something after it.
    if (q + 1 >= units || !is_digit(read_u16(command, 2 * q))) return {};

    // The length saturates rather than wraps: it only bounds how much of the
    // rest of the command is taken, so any value past that is the same.
    constexpr std::uint64_t MAX = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t length = 0;
    for (; q < units && is_digit(read_u16(command, 2 * q)); ++q) {
        const std::uint64_t digit = read_u16(command, 2 * q) - '0';
        length = length > (MAX - digit) / 10 ? MAX : length * 10 + digit;
    }
    if (q >= units || read_u16(command, 2 * q) != ':') return {};
    ++q;

    const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(length, units - q));
    return decode_utf16_strict(command.subspan(2 * q, 2 * take)).value_or(std::string());
}

// The text that stands in for field k's mark.
void append_replacement(std::string& out, std::size_t k, std::span<const std::string> field_texts,
                        std::span<const ClickHereField> fields) {
    const std::string& content = field_texts[k];
    if (k >= fields.size()) {  // no description: the content as it stands
        out.append(content);
        return;
    }
    const ClickHereField& field = fields[k];
    // Content still equal to the guide text (or with no guide text to compare)
    // is only the word processor's placeholder, unless the user changed it.
    const bool placeholder =
        !field.modified && (field.direction.empty() || content == field.direction);
    out.append("{{");
    out.append(field.name);
    if (!field.direction.empty()) {
        out.append(": ");
        out.append(field.direction);
    }
    if (!content.empty() && !placeholder) {
        out.append(" --> ");
        out.append(content);
    }
    out.append("}}");
}

// The field index of a mark-shaped sequence FIELD_MARK digits FIELD_MARK
// at the start of `text`, and its length; nothing when `text` does not start
// with one, when the digits are not an index as marks write it (decimal, no
// sign, no leading zero) or when no field has that index.
std::optional<std::pair<std::size_t, std::size_t>> mark_at(std::string_view text, std::size_t count) {
    if (!text.starts_with(FIELD_MARK)) return std::nullopt;
    const std::size_t digits = FIELD_MARK.size();
    std::size_t end = digits;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    if (end == digits || (end - digits > 1 && text[digits] == '0')) return std::nullopt;
    if (!text.substr(end).starts_with(FIELD_MARK)) return std::nullopt;
    std::size_t k = 0;
    const auto [ptr, ec] = std::from_chars(text.data() + digits, text.data() + end, k);
    if (ec != std::errc() || ptr != text.data() + end || k >= count) return std::nullopt;
    return std::pair{k, end + FIELD_MARK.size()};
}

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
    header.direction = read_direction(payload.subspan(HEADER_COMMAND_OFFSET, command_bytes));
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

// One left-to-right pass: every mark-shaped sequence naming a closed field
// is replaced by that field's rendering, whether the decoder wrote it or the
// document's own characters spell it. Replacements are never scanned again,
// and a match never straddles two marks (the end of one mark, digits typed
// between two fields and the start of the next are not a mark).
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

std::string render_paragraph(std::string_view text, std::span<const std::string> field_texts,
                             std::span<const ClickHereField> fields) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t open = text.find(FIELD_MARK, pos);
        if (open == std::string_view::npos) break;
        out.append(text.substr(pos, open - pos));
        if (const auto mark = mark_at(text.substr(open), field_texts.size())) {
            append_replacement(out, mark->first, field_texts, fields);
            pos = open + mark->second;
        } else {
            out.append(FIELD_MARK);
            pos = open + FIELD_MARK.size();
        }
    }
    out.append(text.substr(std::min(pos, text.size())));
    return out;
}

}  // namespace brindle
