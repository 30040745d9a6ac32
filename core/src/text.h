// UTF-8 text helpers shared by the decoders and the Markdown writer.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "brindle/bytes.h"

namespace brindle {

// True for the characters with the Unicode White_Space property.
bool is_white_space(char32_t c);

// ASCII letters' case, for names in markup and fonts; other bytes as they are.
constexpr char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
constexpr char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
constexpr bool equals_ignoring_ascii_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    }
    return true;
}

// XML's white space: space, tab, carriage return, line feed.
constexpr bool is_xml_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Narrow a UTF-8 text past White_Space characters at both ends / the end.
std::string_view trim(std::string_view text);
std::string_view trim_end(std::string_view text);

// Append `value` in decimal digits.
inline void append_decimal(std::string& out, std::uint64_t value) {
    char digits[20];  // a u64 has at most 20 decimal digits
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    (void)ec;  // cannot fail: the buffer holds any u64
    out.append(digits, end);
}

// Append the UTF-8 encoding of a Unicode scalar value (callers never pass
// a surrogate).
inline void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// The character that starts a UTF-8 text and its length in bytes; length 0
// when the text is empty or does not start with a well-formed character
// (truncated, overlong, an encoded surrogate or past U+10FFFF).
struct Utf8Char {
    char32_t value = 0;
    std::size_t length = 0;
};
Utf8Char decode_utf8_char(std::string_view text);

// Well-formed UTF-8 `text` cut to its first `limit` UTF-16 units (whole
// characters), as the binary format's strings are cut.
std::string cut_to_units(std::string_view text, std::size_t limit);

// Append the well-formed characters of `text`, passing over every byte that
// does not begin one (text from outside that may not be UTF-8).
void append_valid_utf8(std::string& out, std::string_view text);

// UTF-16 surrogate code units and their combination into one character.
constexpr bool is_high_surrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
constexpr bool is_low_surrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
constexpr char32_t combine_surrogates(char32_t high, char32_t low) {
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// Strict UTF-16LE decoding of a whole string: nothing when it holds an
// unpaired surrogate. A final odd byte is ignored.
std::optional<std::string> decode_utf16_strict(Bytes utf16le);

// The same appended to `out`; false, with `out` as it was, for an unpaired
// surrogate.
bool append_utf16_strict(std::string& out, Bytes utf16le);

}  // namespace brindle
