// Markup told from its prolog: the byte-order mark says the encoding, then
// processing instructions (the XML declaration, a style sheet), comments
// and a document type may stand before the root element, whose name says
// what the file is. Only the ASCII of the prolog matters, so UTF-16 is
// read a unit at a time and anything else is a character no name holds.
#include "document/markup_sniff.h"

#include <algorithm>
#include <string_view>

#include "text.h"

namespace brindle {
namespace {

// The head as one byte per character: UTF-8 as it is, UTF-16 by its units
// (a unit past ASCII becomes 0x80, which no markup delimiter is).
std::string prolog_chars(Bytes head) {
    std::size_t at = 0;
    int unit = 1;  // bytes per character
    bool big_endian = false;
    if (head.size() >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) {
        at = 3;
    } else if (head.size() >= 2 && head[0] == 0xFF && head[1] == 0xFE) {
        at = 2, unit = 2;
    } else if (head.size() >= 2 && head[0] == 0xFE && head[1] == 0xFF) {
        at = 2, unit = 2, big_endian = true;
    } else if (head.size() >= 2 && head[0] == '<' && head[1] == 0) {
        unit = 2;  // UTF-16LE without a mark
    } else if (head.size() >= 2 && head[0] == 0 && head[1] == '<') {
        unit = 2, big_endian = true;
    }
    std::string out;
    out.reserve(head.size());
    for (; at + static_cast<std::size_t>(unit) <= head.size(); at += static_cast<std::size_t>(unit)) {
        if (unit == 1) {
            out.push_back(static_cast<char>(head[at]));
            continue;
        }
        const unsigned low = big_endian ? head[at + 1] : head[at], high = big_endian ? head[at] : head[at + 1];
        out.push_back(high == 0 && low < 0x80 ? static_cast<char>(low) : static_cast<char>(0x80));
    }
    return out;
}

bool is_name_start(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool is_name_char(char c) { return is_name_start(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == ':'; }

std::string_view name_at(std::string_view text, std::size_t at) {
    std::size_t end = at;
    while (end < text.size() && is_name_char(text[end])) ++end;
    return text.substr(at, end - at);
}

}  // namespace

std::optional<std::string> markup_root(Bytes head) {
    const std::string chars = prolog_chars(head.first(std::min(head.size(), MARKUP_SNIFF_BYTES)));
    const std::string_view text(chars);
    std::size_t at = 0;
    while (true) {
        while (at < text.size() && is_xml_blank(text[at])) ++at;
        if (at >= text.size() || text[at] != '<') return std::nullopt;
        const std::string_view rest = text.substr(at);
        if (rest.starts_with("<?")) {
            const std::size_t end = rest.find("?>");
            if (end == std::string_view::npos) return std::nullopt;
            at += end + 2;
        } else if (rest.starts_with("<!--")) {
            const std::size_t end = rest.find("-->");
            if (end == std::string_view::npos) return std::nullopt;
            at += end + 3;
        } else if (rest.size() > 9 && equals_ignoring_ascii_case(rest.substr(0, 9), "<!DOCTYPE")) {
            std::size_t name = 9;
            while (name < rest.size() && is_xml_blank(rest[name])) ++name;
            const std::string_view doctype = name_at(rest, name);
            if (equals_ignoring_ascii_case(doctype, "html")) return std::string(doctype);
            // Past its internal subset, if any, to the '>' that closes it.
            const std::size_t subset = rest.find_first_of("[>", name);
            if (subset == std::string_view::npos) return std::nullopt;
            const std::size_t close = rest[subset] == '[' ? rest.find("]", subset) : subset;
            const std::size_t end = close == std::string_view::npos ? close : rest.find('>', close);
            if (end == std::string_view::npos) return std::nullopt;
            at += end + 1;
        } else if (rest.size() > 1 && is_name_start(rest[1])) {
            return std::string(name_at(rest, 1));
        } else {
            return std::nullopt;
        }
    }
}

std::string describe_markup_root(std::string_view root) {
    for (const std::string_view html : {"html", "head", "body"}) {
        if (equals_ignoring_ascii_case(root, html)) return "an HTML page";
    }
    return "an XML document whose root element is <" + std::string(root.substr(0, 64)) + ">";
}

}  // namespace brindle
