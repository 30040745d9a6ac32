// Click-here and hyperlink fields as both front ends meet them: the guide
// text in a click-here field's command, the target in a hyperlink's, and
// the exact rules' rendering of a paragraph with each field's mark replaced
// by "{{name: direction --> content}}".
#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "model/paragraph.h"
#include "text.h"

namespace brindle {
namespace {

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
    const bool placeholder = !field.modified && (field.direction.empty() || content == field.direction);
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

void append_field_mark(std::string& out, std::size_t k) {
    out.append(FIELD_MARK);
    append_decimal(out, k);
    out.append(FIELD_MARK);
}

std::string field_mark(std::size_t k) {
    std::string mark;
    append_field_mark(mark, k);
    return mark;
}

std::string read_click_here_direction(Bytes command) {
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

std::string link_target_from_command(std::string_view command) {
    // "http\://example.com;1;0;0;": a backslash takes the next character as
    // it is; the first ";" that is not escaped ends the target.
    std::string target;
    for (std::size_t i = 0; i < command.size(); ++i) {
        const char c = command[i];
        if (c == ';') break;
        if (c == '\\' && i + 1 < command.size()) ++i;
        target.push_back(command[i]);
    }
    return target;
}

// One left-to-right pass: every mark-shaped sequence naming a closed field
// is replaced by that field's rendering, whether the decoder wrote it or the
// document's own characters spell it. Replacements are never scanned again,
// and a match never straddles two marks (the end of one mark, digits typed
// between two fields and the start of the next are not a mark).
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
