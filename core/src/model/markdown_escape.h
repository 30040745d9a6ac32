// Escaping of the document's own characters for the full profile, so that a
// CommonMark (GFM) renderer shows them rather than reading them as syntax:
// just the characters that could open emphasis, code, links, footnotes,
// HTML or entities, and the line starts that could open a block.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brindle {

// Where a run of text ends up: a paragraph (line breaks stay line feeds),
// a table cell (line breaks become "<br>" once the paragraph is trimmed;
// "|" is left to the table writer) or a heading (one line: line breaks
// become spaces).
enum class TextContext : std::uint8_t { Body, Cell, Heading };

// `EscapeRules::after` when what follows a piece is not known yet.
inline constexpr char UNKNOWN_NEXT = '\x01';

struct EscapeRules {
    TextContext context = TextContext::Body;
    bool tildes = false;  // the paragraph holds two "~" or more: they could pair
    bool pipes = false;   // the paragraph spans lines: a "|" could start a table
    bool link = false;    // inside a link's text: every bracket is escaped
    char after = '\0';    // the first character after the piece; '\0' for none
};

// Append `text` with the characters that would be read as inline syntax
// escaped by a backslash. A piece's last character is judged by `after`.
void append_markdown_text(std::string& out, std::string_view text, const EscapeRules& rules);

// Whether append_markdown_text has nothing to look at twice in `text`: no
// punctuation that can be syntax and no line feed. Such a text is written
// as it is by every rule.
bool is_inert_markdown_text(std::string_view text);

// The same text with every line start that would open a block (a heading,
// quote, list item, thematic break, setext underline or footnote
// definition) escaped.
std::string escape_line_starts(std::string_view markdown);
// The same in place, for the lines of `markdown` from offset `from` on.
void escape_line_starts(std::string& markdown, std::size_t from);

// A heading's text with a closing sequence of "#" escaped, so it stays text.
void escape_heading_end(std::string& heading);

// Escaped text as the reader sees it: each backslash before ASCII
// punctuation, which the escapes here write, taken out.
std::string unescape_markdown(std::string_view markdown);

}  // namespace brindle
