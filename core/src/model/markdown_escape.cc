// Backslash escapes for document text in the full profile. The rules follow
// CommonMark and GFM: only ASCII punctuation can be syntax, so the scan is
// bytewise (no byte of a multi-byte UTF-8 character is ASCII).
#include "model/markdown_escape.h"

#include <array>
#include <bit>
#include <cstdint>
#include <vector>

#include "simd.h"
#include "text.h"

#if BRINDLE_SSE2
#include <emmintrin.h>
#endif

namespace brindle {
namespace {

bool is_ascii_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }

// A character that "_" may stand between without opening or closing
// emphasis: letters and digits of any script (every non-ASCII character
// counts, which is right for Hangul and Hanja, the ones that matter).
bool is_word_byte(char c) { return is_ascii_letter(c) || is_ascii_digit(c) || static_cast<unsigned char>(c) >= 0x80; }

// "&name;" or "&#123;" would be read as a character reference.
bool starts_entity(std::string_view rest) {
    if (rest.size() < 3 || !(rest[1] == '#' || is_ascii_letter(rest[1]))) return false;
    for (std::size_t i = 2; i < rest.size() && i < 40; ++i) {
        if (rest[i] == ';') return true;
        if (!is_ascii_letter(rest[i]) && !is_ascii_digit(rest[i])) return false;
    }
    return false;
}

// What follows may be anything: text to come from elsewhere, or a field
// mark (U+E000, lead byte 0xEE) that a field's rendering will replace.
bool is_unknown(char c) { return c == UNKNOWN_NEXT || c == '\xEE'; }

bool needs_escape(std::string_view text, std::size_t i, const EscapeRules& rules) {
    const char c = text[i];
    const char next = i + 1 < text.size() ? text[i + 1] : rules.after;
    const bool unknown = is_unknown(next);
    switch (c) {
        case '\\':
        case '`':
        case '*': return true;
        case '_':  // between two word characters "_" can neither open nor close
            return i == 0 || unknown || !is_word_byte(text[i - 1]) || !is_word_byte(next);
        case '~': return rules.tildes;
        case '|': return rules.pipes;
        case '<':  // a tag, an autolink, a comment or a processing instruction
            return is_ascii_letter(next) || next == '/' || next == '!' || next == '?';
        case '&': return starts_entity(text.substr(i));
        case '[': return rules.link || unknown || next == '^';
        case ']': return rules.link || unknown || next == '(' || next == '[' || next == ':';
        case '!':  // before a link, "!" would make it an image
            return unknown || next == '[';
        default: return false;
    }
}

bool is_line_space(char c) { return c == ' ' || c == '\t'; }

// The bytes worth a second look: a line feed and the punctuation that can
// be syntax. Everything else (letters, digits, spaces, every byte of a
// multi-byte character) is copied as it is.
constexpr std::array<bool, 256> ATTENTION = [] {
    std::array<bool, 256> table{};
    for (const char c : std::string_view("\n\\`*_~|<&[]!")) table[static_cast<unsigned char>(c)] = true;
    return table;
}();

// The first byte from `i` on that needs a second look, or text.size().
// Almost no byte does: eight are tested at a time, their table entries
// or-ed together, with one branch for all eight.
std::size_t next_attention(std::string_view text, std::size_t i) {
    const auto at = [&](std::size_t k) -> unsigned { return ATTENTION[static_cast<unsigned char>(text[k])]; };
#if BRINDLE_SSE2
    // Hangul text is nearly all bytes of multi-byte characters (high bit
    // set) and spaces, none of them worth a look: sixteen bytes are tested
    // at once, and only the others are looked up, in order.
    // The last bytes of a text of sixteen or more are the last sixteen,
    // those already tested left out.
    const __m128i space = _mm_set1_epi8(' ');
    const auto first_in = [&](std::size_t from, unsigned wanted) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from));
        const auto passed =
            static_cast<unsigned>(_mm_movemask_epi8(chunk) | _mm_movemask_epi8(_mm_cmpeq_epi8(chunk, space)));
        for (unsigned others = ~passed & wanted; others != 0; others &= others - 1) {
            const std::size_t k = from + static_cast<std::size_t>(std::countr_zero(others));
            if (at(k)) return k;
        }
        return text.size();
    };
    if (text.size() >= 16) {
        for (; text.size() - i >= 16; i += 16) {
            if (const std::size_t k = first_in(i, 0xFFFF); k != text.size()) return k;
        }
        if (i == text.size()) return i;
        const std::size_t from = text.size() - 16;
        return first_in(from, (0xFFFFu << (i - from)) & 0xFFFF);
    }
#endif
    while (text.size() - i >= 8 &&
           !(at(i) | at(i + 1) | at(i + 2) | at(i + 3) | at(i + 4) | at(i + 5) | at(i + 6) | at(i + 7))) {
        i += 8;
    }
    while (i < text.size() && !at(i)) ++i;
    return i;
}

}  // namespace

bool is_inert_markdown_text(std::string_view text) { return next_attention(text, 0) == text.size(); }

void append_markdown_text(std::string& out, std::string_view text, const EscapeRules& rules) {
    std::size_t run = 0;  // start of the bytes not yet copied
    for (std::size_t i = next_attention(text, 0); i < text.size(); i = next_attention(text, i + 1)) {
        const char c = text[i];
        if (c == '\n') {
            // A cell's line breaks become "<br>" once the paragraph is trimmed.
            if (rules.context == TextContext::Heading) {
                out.append(text.data() + run, i - run);
                out.push_back(' ');
                run = i + 1;
            }
            continue;
        }
        if (!needs_escape(text, i, rules)) continue;
        out.append(text.data() + run, i - run);
        if (c == '\\' && rules.context == TextContext::Cell) {
            // In a cell a backslash could escape the "|" that ends the cell
            // (or the table writer's "\|"): a character reference cannot.
            out.append("&#92;");
            run = i + 1;
            continue;
        }
        out.push_back('\\');
        run = i;  // the character itself is copied with the next run
    }
    out.append(text.data() + run, text.size() - run);
}

namespace {

// Where a line start of `line` needs a backslash (npos: nowhere).
std::size_t line_start_escape(std::string_view line) {
    std::size_t p = 0;
    while (p < line.size() && is_line_space(line[p])) ++p;
    line.remove_prefix(p);
    if (line.empty()) return std::string_view::npos;
    const char c = line[0];
    if (c == '#' || c == '>' || c == '-' || c == '+' || c == '=') {
        return p;  // heading, quote, list item, break, underline
    }
    if (is_ascii_digit(c)) {
        // "1." or "1)" then a space or the line's end: an ordered list item
        std::size_t d = 0;
        while (d < line.size() && d < 10 && is_ascii_digit(line[d])) ++d;
        if (d <= 9 && d < line.size() && (line[d] == '.' || line[d] == ')') &&
            (d + 1 == line.size() || is_line_space(line[d + 1]))) {
            return p + d;
        }
        return std::string_view::npos;
    }
    if (line.starts_with("[^")) {
        // A note reference followed by ":" would define a note.
        const std::size_t close = line.find(']');
        if (close != std::string_view::npos && close + 1 < line.size() && line[close + 1] == ':') {
            return p + close + 1;
        }
    }
    return std::string_view::npos;
}

}  // namespace

void escape_line_starts(std::string& markdown, std::size_t from) {
    // Most paragraphs need nothing: find the places first, copy only if
    // more than one needs a backslash (one is put in place).
    std::size_t first = std::string::npos;
    std::vector<std::size_t> places;  // from the second on
    std::size_t line = from;
    while (line <= markdown.size()) {
        std::size_t end = markdown.find('\n', line);
        if (end == std::string::npos) end = markdown.size();
        const std::size_t at = line_start_escape(std::string_view(markdown).substr(line, end - line));
        if (at != std::string_view::npos && first == std::string::npos) {
            first = line + at;
        } else if (at != std::string_view::npos) {
            places.push_back(line + at);
        }
        if (end == markdown.size()) break;
        line = end + 1;
    }
    if (first == std::string::npos) return;
    if (places.empty()) {
        markdown.insert(first, 1, '\\');
        return;
    }
    places.insert(places.begin(), first);
    std::string out;
    out.reserve(markdown.size() + places.size());
    std::size_t copied = 0;
    for (const std::size_t place : places) {
        out.append(markdown, copied, place - copied);
        out.push_back('\\');
        copied = place;
    }
    out.append(markdown, copied);
    markdown = std::move(out);
}

std::string escape_line_starts(std::string_view markdown) {
    std::string out(markdown);
    escape_line_starts(out, 0);
    return out;
}

void escape_heading_end(std::string& heading) {
    // "## Title #" would lose its "#": a closing sequence is a run of "#"
    // at the end, after a space or making up the whole text.
    std::size_t start = heading.size();
    while (start > 0 && heading[start - 1] == '#') --start;
    if (start == heading.size()) return;
    if (start == 0 || is_line_space(heading[start - 1])) heading.insert(start, "\\");
}

std::string unescape_markdown(std::string_view markdown) {
    std::string text;
    text.reserve(markdown.size());
    for (std::size_t i = 0; i < markdown.size(); ++i) {
        const char c = markdown[i];
        if (c == '\\' && i + 1 < markdown.size()) {
            const char next = markdown[i + 1];
            if ((next >= '!' && next <= '/') || (next >= ':' && next <= '@') || (next >= '[' && next <= '`') ||
                (next >= '{' && next <= '~')) {
                text.push_back(next);
                ++i;
                continue;
            }
        }
        text.push_back(c);
    }
    return text;
}

}  // namespace brindle
