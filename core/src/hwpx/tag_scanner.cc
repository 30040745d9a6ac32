// Tags found by memchr: a tag runs from its "<" to the last ">" before the
// next "<", since an attribute value may hold ">" but never "<" (and the
// lists scanned hold no character data between their tags).
#include "hwpx/tag_scanner.h"

#include <charconv>
#include <cstring>

#include "text.h"

namespace brindle::hwpx {
namespace {

constexpr bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The position after the first `end` at or after `from`, or npos.
std::size_t past(std::string_view text, std::string_view end, std::size_t from) {
    const std::size_t at = text.find(end, from);
    return at == std::string_view::npos ? at : at + end.size();
}

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

std::optional<Tag> TagScanner::next() {
    while (at_ < text_.size()) {
        // The "<" found after the last tag, unless markup passed over since.
        std::size_t lt = next_lt_;
        if (lt < at_ || lt >= text_.size()) {
            const void* found = std::memchr(text_.data() + at_, '<', text_.size() - at_);
            if (found == nullptr) break;
            lt = static_cast<std::size_t>(static_cast<const char*>(found) - text_.data());
        }
        if (lt + 1 >= text_.size()) break;
        const char kind = text_[lt + 1];
        if (kind == '!' || kind == '?') {
            const std::string_view rest = text_.substr(lt);
            at_ = rest.starts_with("<!--")        ? past(text_, "-->", lt + 4)
                  : rest.starts_with("<![CDATA[") ? past(text_, "]]>", lt + 9)
                  : kind == '?'                   ? past(text_, "?>", lt + 2)
                                                  : past(text_, ">", lt + 2);
            continue;
        }
        const void* next_lt = std::memchr(text_.data() + lt + 1, '<', text_.size() - lt - 1);
        const std::size_t limit = next_lt == nullptr ? text_.size()
                                                     : static_cast<std::size_t>(static_cast<const char*>(next_lt) - text_.data());
        next_lt_ = limit;
        std::size_t gt = limit;
        while (gt > lt + 1 && text_[gt - 1] != '>') --gt;
        if (gt == lt + 1) break;  // no end before the next tag: cut short
        --gt;
        Tag tag;
        std::size_t name = lt + 1;
        if (kind == '/') {
            tag.kind = Tag::Kind::End;
            ++name;
        }
        std::size_t attributes_end = gt;
        if (tag.kind != Tag::Kind::End && text_[gt - 1] == '/') {
            tag.kind = Tag::Kind::Empty;
            --attributes_end;
        }
        std::size_t name_end = name;
        while (name_end < attributes_end && !is_space(text_[name_end])) ++name_end;
        std::string_view qualified = text_.substr(name, name_end - name);
        const std::size_t colon = qualified.rfind(':');
        tag.local = colon == std::string_view::npos ? qualified : qualified.substr(colon + 1);
        tag.attributes = text_.substr(name_end, attributes_end - name_end);
        at_ = gt + 1;
        return tag;
    }
    at_ = text_.size();
    return std::nullopt;
}

std::optional<std::string> tag_attribute(std::string_view attributes, std::string_view name) {
    std::optional<std::string> value;
    each_attribute(attributes, [&](std::string_view attribute, std::string_view raw) {
        if (attribute != name) return true;
        value = unescape_attribute(raw);
        return false;
    });
    return value;
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

std::uint32_t tag_number(std::string_view attributes, std::string_view name, std::uint32_t fallback) {
    std::uint32_t value = fallback;
    each_attribute(attributes, [&](std::string_view attribute, std::string_view raw) {
        if (attribute != name) return true;
        value = parse_number(raw, fallback);
        return false;
    });
    return value;
}

}  // namespace brindle::hwpx
