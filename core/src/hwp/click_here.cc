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

// Whether a text holds a FIELD_MARK character, with which it could form or
// complete a field mark.
bool holds_mark(std::string_view s) { return s.find(FIELD_MARK) != std::string_view::npos; }

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

// Whether text is exactly the canonical decimal form of a number below
// `bound` (no sign, no leading zero).
bool is_index_below(std::string_view text, std::size_t bound) {
    if (text.empty() || (text.size() > 1 && text[0] == '0')) return false;
    std::size_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value < bound;
}

// Fast rendering in one left-to-right pass. It applies when the result is
// certain to be the same as replacing the marks one index after another:
//   - the text is T0 mark(0) T1 mark(1) ... mark(K-1) TK with no other
//     FIELD_MARK, so every mark is ours and in order;
//   - no replacement holds FIELD_MARK, so none can form a mark;
//   - no Tj between two marks spells an index below j - 1; otherwise the
//     sequential replacement of that index would also match
//     FIELD_MARK Tj FIELD_MARK across the end of mark(j-1) and the start of
//     mark(j), which are still in the text at that moment.
// Returns false, with `out` in an unspecified state, when it does not apply.
bool render_in_one_pass(std::string_view text, std::span<const std::string> field_texts,
                        std::span<const ClickHereField> fields, std::string& out) {
    const std::size_t count = field_texts.size();
    std::string expected;  // the digits of the mark looked for
    std::size_t pos = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t open = text.find(FIELD_MARK, pos);
        if (open == std::string_view::npos) return false;
        const std::size_t digits = open + FIELD_MARK.size();
        const std::size_t close = text.find(FIELD_MARK, digits);
        if (close == std::string_view::npos) return false;
        expected = std::to_string(k);
        if (text.substr(digits, close - digits) != expected) return false;
        const std::string_view before = text.substr(pos, open - pos);
        if (k > 0 && is_index_below(before, k - 1)) return false;

        if (holds_mark(field_texts[k])) return false;
        if (k < fields.size() && (holds_mark(fields[k].name) || holds_mark(fields[k].direction))) {
            return false;
        }
        out.append(before);
        append_replacement(out, k, field_texts, fields);
        pos = close + FIELD_MARK.size();
    }
    const std::string_view rest = text.substr(pos);
    if (holds_mark(rest)) return false;
    out.append(rest);
    return true;
}

// The replacement as the format's rendering defines it: for k = 0, 1, ...,
// every occurrence of mark(k) in the current text, left to right without
// overlap, is replaced by field k's rendering. Used only when the one-pass
// conditions fail (FIELD_MARK characters typed in the document or inside a
// replacement, digits between marks); O(fields x text).
std::string render_sequentially(std::string_view text, std::span<const std::string> field_texts,
                                std::span<const ClickHereField> fields) {
    std::string current(text);
    std::string next;
    std::string replacement;
    for (std::size_t k = 0; k < field_texts.size(); ++k) {
        const std::string mark = field_mark(k);
        std::size_t hit = current.find(mark);
        if (hit == std::string::npos) continue;
        replacement.clear();
        append_replacement(replacement, k, field_texts, fields);
        next.clear();
        std::size_t pos = 0;
        while (hit != std::string::npos) {
            next.append(current, pos, hit - pos);
            next.append(replacement);
            pos = hit + mark.size();
            hit = current.find(mark, pos);
        }
        next.append(current, pos);
        std::swap(current, next);
    }
    return current;
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

std::string render_paragraph(std::string_view text, std::span<const std::string> field_texts,
                             std::span<const ClickHereField> fields) {
    std::string out;
    out.reserve(text.size());
    if (render_in_one_pass(text, field_texts, fields, out)) return out;
    return render_sequentially(text, field_texts, fields);
}

}  // namespace brindle
