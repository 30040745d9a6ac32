// Searches of raw XML text by memchr on rare bytes.
#include "hwpx/markup_search.h"

#include <charconv>
#include <cstring>
#include <utility>

#include "text.h"

namespace brindle::hwpx {
namespace {

// The character reference or predefined entity at the start of `text`
// ("&amp;", "&#xAC00;") appended as UTF-8; its length, or 0 when it is none.
std::size_t append_reference(std::string& out, std::string_view text) {
    const std::size_t semicolon = text.find(';');
    if (semicolon == std::string_view::npos || semicolon > 12) return 0;
    const std::string_view name = text.substr(1, semicolon - 1);
    static constexpr std::pair<std::string_view, char> PREDEFINED[] = {
        {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& [entity, c] : PREDEFINED) {
        if (name == entity) {
            out.push_back(c);
            return semicolon + 1;
        }
    }
    if (name.size() < 2 || name[0] != '#') return 0;
    const bool hex = name[1] == 'x';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 10);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty() || value == 0 ||
        value > 0x10FFFF || is_high_surrogate(value) || is_low_surrogate(value)) {
        return 0;
    }
    append_utf8(out, value);
    return semicolon + 1;
}

}  // namespace

std::size_t find_by(std::string_view text, std::string_view needle, std::size_t anchor, std::size_t from) {
    for (std::size_t at = from + anchor; at < text.size(); ++at) {
        const void* hit = std::memchr(text.data() + at, needle[anchor], text.size() - at);
        if (hit == nullptr) break;
        at = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
        // The last byte first, in place: most false starts fail there.
        const std::size_t start = at - anchor, last = start + needle.size() - 1;
        if (last < text.size() && text[last] == needle.back() && text.compare(start, needle.size(), needle) == 0) {
            return start;
        }
    }
    return std::string_view::npos;
}

StartTag start_tag_at(std::string_view text, std::size_t at, std::size_t local) {
    if (at == 0) return {};
    std::size_t lt = at - 1;
    if (text[lt] == ':') {
        std::size_t p = lt;
        while (p > 0 && is_name_char(text[p - 1])) --p;
        if (p == lt || p == 0) return {};
        lt = p - 1;
    }
    const std::size_t after = at + local;
    if (text[lt] != '<' || after >= text.size() || is_name_char(text[after]) || text[after] == ':') return {};
    return {lt, after};
}

StartTag find_start_tag(std::string_view text, std::string_view local, std::size_t anchor, std::size_t from) {
    for (std::size_t at = find_by(text, local, anchor, from); at != std::string_view::npos;
         at = find_by(text, local, anchor, at + 1)) {
        if (const StartTag tag = start_tag_at(text, at, local.size()); tag.found()) return tag;
    }
    return {};
}

std::string_view tag_attributes(std::string_view text, StartTag tag) {
    const std::size_t gt = text.find('>', tag.name_end);
    if (gt == std::string_view::npos) return text.substr(tag.name_end);
    const std::size_t end = gt > tag.name_end && text[gt - 1] == '/' ? gt - 1 : gt;
    return text.substr(tag.name_end, end - tag.name_end);
}

std::string unescape_attribute(std::string_view raw) {
    std::string value;
    for (std::size_t i = 0; i < raw.size();) {
        const std::size_t amp = raw.find('&', i);
        append_valid_utf8(value, raw.substr(i, amp - i));
        if (amp == std::string_view::npos) break;
        const std::size_t used = append_reference(value, raw.substr(amp));
        if (used == 0) value.push_back('&');
        i = amp + (used == 0 ? 1 : used);
    }
    return value;
}

std::uint32_t parse_number(std::string_view raw, std::uint32_t fallback) {
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(raw.data(), raw.data() + raw.size(), value);
    return error == std::errc() && end == raw.data() + raw.size() && !raw.empty() ? value : fallback;
}

}  // namespace brindle::hwpx
