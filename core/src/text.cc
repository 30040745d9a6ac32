// UTF-8 helpers: White_Space classification, trimming by whole characters,
// and strict UTF-16LE decoding for the strings stored outside paragraph text.
#include "text.h"

#include <cstddef>
#include <cstdint>

namespace brindle {

namespace {

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

// Malformed or truncated sequences give length 0, so a trim never cuts into
// bytes it cannot read as a character.
Utf8Char decode_utf8_char(std::string_view text) {
    if (text.empty()) return {};
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        return {lead, 1};
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return {};
    }
    if (text.size() < length) return {};
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (!is_continuation(byte)) return {};
        value = (value << 6) | (byte & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return {};
    return {value, length};
}

namespace {

// The character that ends `text`: step back over at most three
// continuation bytes to its lead byte and decode forward from there.
Utf8Char decode_last(std::string_view text) {
    std::size_t start = text.size();
    for (int steps = 0; steps < 4 && start > 0; ++steps) {
        --start;
        if (!is_continuation(static_cast<unsigned char>(text[start]))) {
            const Utf8Char c = decode_utf8_char(text.substr(start));
            // A lead byte followed by too many continuations is no character.
            if (c.length == text.size() - start) return c;
            return {};
        }
    }
    return {};
}

}  // namespace

bool is_white_space(char32_t c) {
    // clang-format off
    switch (c) {
        case 0x09: case 0x0A: case 0x0B: case 0x0C: case 0x0D:  // tab, LF, VT, FF, CR
        case 0x20:                                              // space
        case 0x85:                                              // next line
        case 0xA0:                                              // no-break space
        case 0x1680:                                            // ogham space mark
        case 0x2028: case 0x2029:                               // line and paragraph separators
        case 0x202F:                                            // narrow no-break space
        case 0x205F:                                            // medium mathematical space
        case 0x3000:                                            // ideographic space
            return true;
        default:
            return c >= 0x2000 && c <= 0x200A;  // en quad .. hair space
    }
    // clang-format on
}

namespace {

// ASCII White_Space: tab, LF, VT, FF, CR and space.
constexpr bool is_ascii_white_space(unsigned char byte) { return (byte >= 0x09 && byte <= 0x0D) || byte == 0x20; }

// The lead bytes of the other White_Space characters: U+0085 and U+00A0
// (C2), U+1680 (E1), U+2000 to U+205F (E2) and U+3000 (E3). A character
// led by any other byte is none, so trimming stops there without decoding.
constexpr bool may_lead_white_space(unsigned char byte) { return byte == 0xC2 || (byte >= 0xE1 && byte <= 0xE3); }

// Whether `text` may end in a White_Space character that is not ASCII: one
// of two bytes led by C2, or of three led by E1 to E3.
bool may_end_in_wide_white_space(std::string_view text) {
    const std::size_t n = text.size();
    return (n >= 2 && static_cast<unsigned char>(text[n - 2]) == 0xC2) ||
           (n >= 3 && may_lead_white_space(static_cast<unsigned char>(text[n - 3])));
}

}  // namespace

std::string_view trim_end(std::string_view text) {
    for (;;) {
        if (text.empty()) return text;
        const auto last = static_cast<unsigned char>(text.back());
        if (last < 0x80) {
            if (!is_ascii_white_space(last)) return text;
            text.remove_suffix(1);
            continue;
        }
        if (!may_end_in_wide_white_space(text)) return text;
        const Utf8Char c = decode_last(text);
        if (c.length == 0 || !is_white_space(c.value)) return text;
        text.remove_suffix(c.length);
    }
}

std::string_view trim(std::string_view text) {
    for (;;) {
        if (text.empty()) break;
        const auto first = static_cast<unsigned char>(text.front());
        if (first < 0x80) {
            if (!is_ascii_white_space(first)) break;
            text.remove_prefix(1);
            continue;
        }
        if (!may_lead_white_space(first)) break;
        const Utf8Char c = decode_utf8_char(text);
        if (c.length == 0 || !is_white_space(c.value)) break;
        text.remove_prefix(c.length);
    }
    return trim_end(text);
}

void append_valid_utf8(std::string& out, std::string_view text) {
    // Runs of well-formed characters are appended whole; an ill-formed byte
    // ends a run and is passed over.
    std::size_t run = 0, i = 0;
    while (i < text.size()) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        const Utf8Char c = decode_utf8_char(text.substr(i));
        if (c.length != 0) {
            i += c.length;
            continue;
        }
        out.append(text.substr(run, i - run));
        run = ++i;
    }
    out.append(text.substr(run));
}

std::string cut_to_units(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return std::string(text);  // no more units than bytes
    std::size_t units = 0, kept = 0;
    while (kept < text.size()) {
        const Utf8Char c = decode_utf8_char(text.substr(kept));
        if (c.length == 0) break;
        units += c.value >= 0x10000 ? 2 : 1;
        if (units > limit) break;
        kept += c.length;
    }
    return std::string(text.substr(0, kept));
}

bool append_utf16_strict(std::string& out, Bytes utf16le) {
    const std::size_t units = utf16le.size() / 2;  // a final odd byte is ignored
    // Room for the longest encoding (three bytes a unit; a pair takes four
    // for its two), cut to what was written: one pass, and a short name
    // stays within the string's own buffer.
    const std::size_t start = out.size();
    out.resize(start + 3 * units);
    char* p = out.data() + start;
    for (std::size_t m = 0; m < units; ++m) {
        char32_t c = read_u16(utf16le, 2 * m);
        if (c < 0x80) {
            *p++ = static_cast<char>(c);
            continue;
        }
        if (is_high_surrogate(c) || is_low_surrogate(c)) {
            const char32_t low = m + 1 < units ? read_u16(utf16le, 2 * (m + 1)) : 0;
            if (is_low_surrogate(c) || !is_low_surrogate(low)) {  // unpaired surrogate
                out.resize(start);
                return false;
            }
            c = combine_surrogates(c, low);
            ++m;
        }
        if (c < 0x800) {
            *p++ = static_cast<char>(0xC0 | (c >> 6));
        } else if (c < 0x10000) {
            *p++ = static_cast<char>(0xE0 | (c >> 12));
            *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        } else {
            *p++ = static_cast<char>(0xF0 | (c >> 18));
            *p++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        }
        *p++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    out.resize(static_cast<std::size_t>(p - out.data()));
    return true;
}

std::optional<std::string> decode_utf16_strict(Bytes utf16le) {
    std::string out;
    if (!append_utf16_strict(out, utf16le)) return std::nullopt;
    return out;
}

}  // namespace brindle
