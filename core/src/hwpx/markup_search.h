// Searches of an XML part's raw text, for the header's prefilter and for
// the lists read from its text before it is parsed: tags found by their
// names, with no tree built. The text searched must hold no comment or
// CDATA section, where markup would not be markup.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace brindle::hwpx {

constexpr bool is_name_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.' || static_cast<unsigned char>(c) >= 0x80;
}

// A start tag: its "<" and the end of its qualified name.
struct StartTag {
    std::size_t lt = std::string_view::npos;
    std::size_t name_end = 0;

    bool found() const { return lt != std::string_view::npos; }
};

// The first `needle` in `text` at or after `from`, found by memchr on its
// byte at `anchor`, one that is rare in the markup searched: a call every
// few hundred bytes, where a search by the first byte ("<", "h") stops at
// every tag, and memmem, on needles made of the bigrams a header's
// attribute names are made of, steps through it a few bytes at a time.
std::size_t find_by(std::string_view text, std::string_view needle, std::size_t anchor, std::size_t from);

// Whether the name `local` at `at` is that of a start tag ("<local" or
// "<prefix:local", then white space, "/" or ">"); the tag if so.
StartTag start_tag_at(std::string_view text, std::size_t at, std::size_t local);

// The first start tag named `local` (any prefix) at or after `from`, its
// name found as find_by finds it.
StartTag find_start_tag(std::string_view text, std::string_view local, std::size_t anchor, std::size_t from);

// The attribute text of the start tag `tag`: from its name to its ">" or
// "/>" (attribute values in the lists searched hold no ">").
std::string_view tag_attributes(std::string_view text, StartTag tag);

// Call on_attribute(name, raw value) for each attribute of a tag's
// attribute text, in order, while it returns true; the raw value is as it
// stands between its quotes. Text that is no attribute ends the walk.
template <class OnAttribute>
void each_attribute(std::string_view attributes, OnAttribute&& on_attribute) {
    constexpr auto is_space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    std::size_t at = 0;
    while (true) {
        while (at < attributes.size() && is_space(attributes[at])) ++at;
        const std::size_t equals = attributes.find('=', at);
        if (equals == std::string_view::npos) return;
        std::size_t name_end = equals;
        while (name_end > at && is_space(attributes[name_end - 1])) --name_end;
        std::size_t quote = equals + 1;
        while (quote < attributes.size() && is_space(attributes[quote])) ++quote;
        if (quote >= attributes.size() || (attributes[quote] != '"' && attributes[quote] != '\'')) return;
        const std::size_t close = attributes.find(attributes[quote], quote + 1);
        if (close == std::string_view::npos) return;
        if (!on_attribute(attributes.substr(at, name_end - at), attributes.substr(quote + 1, close - quote - 1)))
            return;
        at = close + 1;
    }
}

// A raw attribute value with the predefined entities and character
// references replaced, and whatever is not UTF-8 passed over.
std::string unescape_attribute(std::string_view raw);

// A raw attribute value as a decimal number; `fallback` when it is none.
std::uint32_t parse_number(std::string_view raw, std::uint32_t fallback = 0);

}  // namespace brindle::hwpx
