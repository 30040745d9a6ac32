// A scan over the tags of UTF-8 XML text, for lists whose elements are many
// and small and of which a few attributes are all that is read (the header
// part's fonts and character properties): a parsed tree of them costs ten
// times the scan. Names are matched by their local part alone. Comments,
// CDATA sections, processing instructions and declarations are passed over,
// and so is character data, which such lists do not hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brindle::hwpx {

struct Tag {
    enum class Kind : std::uint8_t { Start, End, Empty };
    Kind kind = Kind::Start;
    std::string_view local;       // the name after its prefix
    std::string_view attributes;  // the text between the name and the tag's end
};

class TagScanner {
public:
    explicit TagScanner(std::string_view text) : text_(text) {}

    // The next tag; none at the end of the text or of markup cut short.
    std::optional<Tag> next();

private:
    std::string_view text_;
    std::size_t at_ = 0;
    std::size_t next_lt_ = std::string_view::npos;  // the first "<" after the last tag's
};

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
        if (!on_attribute(attributes.substr(at, name_end - at), attributes.substr(quote + 1, close - quote - 1))) return;
        at = close + 1;
    }
}

// A raw attribute value with the predefined entities and character
// references replaced, and whatever is not UTF-8 passed over.
std::string unescape_attribute(std::string_view raw);

// A raw attribute value as a decimal number; `fallback` when it is none.
std::uint32_t parse_number(std::string_view raw, std::uint32_t fallback = 0);

// An attribute's value in a tag's attribute text, with the predefined
// entities and character references replaced and whatever is not UTF-8
// passed over; none when the tag has no such attribute.
std::optional<std::string> tag_attribute(std::string_view attributes, std::string_view name);

// The same as a decimal number; `fallback` when absent or not one.
std::uint32_t tag_number(std::string_view attributes, std::string_view name, std::uint32_t fallback = 0);

}  // namespace brindle::hwpx
