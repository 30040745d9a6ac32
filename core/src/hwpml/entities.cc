// The prolog is read as XML reads it: processing instructions, comments and
// white space, then at most one document type before the root element.
#include "hwpml/entities.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "brindle/error.h"
#include "brindle/limits.h"
#include "text.h"

namespace brindle::hwpml {
namespace {

bool is_name_char(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.' || c == ':' || static_cast<unsigned char>(c) >= 0x80;
}

struct Entity {
    std::string name;
    std::string value;  // escaped again, ready to stand in the text
};

// A reader of the document type's text.
class Subset {
public:
    Subset(std::string_view text, std::size_t at) : text_(text), at_(at) {}

    std::size_t at() const { return at_; }
    bool done() const { return at_ >= text_.size(); }
    char peek() const { return done() ? '\0' : text_[at_]; }
    void skip_blanks() {
        while (!done() && is_xml_blank(text_[at_])) ++at_;
    }
    bool take(std::string_view literal) {
        if (text_.substr(at_).starts_with(literal)) {
            at_ += literal.size();
            return true;
        }
        return false;
    }
    std::string_view name() {
        const std::size_t start = at_;
        while (!done() && is_name_char(text_[at_])) ++at_;
        return text_.substr(start, at_ - start);
    }
    // Past `end`, or false when the text has none.
    bool skip_past(std::string_view end) {
        const std::size_t found = text_.find(end, at_);
        if (found == std::string_view::npos) return false;
        at_ = found + end.size();
        return true;
    }
    std::string_view quoted() {
        const char quote = peek();
        if (quote != '"' && quote != '\'') return {};
        const std::size_t close = text_.find(quote, at_ + 1);
        if (close == std::string_view::npos) return {};
        const std::string_view value = text_.substr(at_ + 1, close - at_ - 1);
        at_ = close + 1;
        return value;
    }

private:
    std::string_view text_;
    std::size_t at_;
};

void append_escaped(std::string& out, char32_t c) {
    switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        case '\n': out += "&#10;"; break;  // lines stay where the file has them
        default: append_utf8(out, c);
    }
}

// An entity's literal value: text and character references, and the
// predefined entities; a reference to any other entity, a parameter
// entity or markup is refused.
Result<std::string> entity_value(std::string_view literal, std::string_view name) {
    std::string out;
    while (!literal.empty()) {
        const char c = literal.front();
        if (c == '%' || c == '<') {
            return HwpError::markup("the value of entity '" + std::string(name) + "' holds '" + std::string(1, c) +
                                    "', which only a document type that is never read here may use");
        }
        if (c != '&') {
            const Utf8Char u = decode_utf8_char(literal);
            const std::size_t length = std::max<std::size_t>(u.length, 1);
            if (u.length > 0) append_escaped(out, u.value);
            literal.remove_prefix(length);
            continue;
        }
        const std::size_t semicolon = literal.find(';');
        if (semicolon == std::string_view::npos) {
            return HwpError::markup("the value of entity '" + std::string(name) + "' holds an unfinished reference");
        }
        const std::string_view reference = literal.substr(1, semicolon - 1);
        std::uint32_t value = 0;
        if (reference.starts_with("#x") || reference.starts_with("#X")) {
            const auto [end, error] =
                std::from_chars(reference.data() + 2, reference.data() + reference.size(), value, 16);
            if (error != std::errc() || end != reference.data() + reference.size()) value = 0;
        } else if (reference.starts_with("#")) {
            const auto [end, error] =
                std::from_chars(reference.data() + 1, reference.data() + reference.size(), value, 10);
            if (error != std::errc() || end != reference.data() + reference.size()) value = 0;
        } else if (reference == "amp") {
            value = '&';
        } else if (reference == "lt") {
            value = '<';
        } else if (reference == "gt") {
            value = '>';
        } else if (reference == "quot") {
            value = '"';
        } else if (reference == "apos") {
            value = '\'';
        } else {
            return HwpError::markup("entity '" + std::string(name) + "' refers to entity '" +
                                    std::string(reference.substr(0, 64)) +
                                    "'; entities that refer to others are not expanded");
        }
        if (value == 0 || value > 0x10FFFF || is_high_surrogate(value) || is_low_surrogate(value)) {
            return HwpError::markup("entity '" + std::string(name) + "' refers to no character");
        }
        append_escaped(out, value);
        literal.remove_prefix(semicolon + 1);
    }
    if (out.size() > MAX_HWPML_ENTITY_BYTES) {
        return HwpError::markup("entity '" + std::string(name) + "' is longer than " +
                                std::to_string(MAX_HWPML_ENTITY_BYTES) + " bytes");
    }
    return out;
}

// The internal subset, from after its '[' to its ']'.
Result<std::vector<Entity>> read_subset(Subset& in) {
    std::vector<Entity> entities;
    while (true) {
        in.skip_blanks();
        if (in.done()) return HwpError::markup("its document type is not closed");
        if (in.take("]")) return entities;
        if (in.take("<!--")) {
            if (!in.skip_past("-->")) return HwpError::markup("a comment in its document type is not closed");
            continue;
        }
        if (!in.take("<!ENTITY")) {
            return HwpError::markup("its document type declares more than entities, which is not read here");
        }
        in.skip_blanks();
        if (in.peek() == '%')
            return HwpError::markup("its document type declares a parameter entity, which is not read");
        const std::string_view name = in.name();
        in.skip_blanks();
        if (name.empty()) return HwpError::markup("its document type declares an entity without a name");
        const std::size_t before = in.at();
        const std::string_view literal = in.quoted();
        if (in.at() == before) {
            return HwpError::markup("entity '" + std::string(name.substr(0, 64)) +
                                    "' is external, and nothing outside the document is ever read");
        }
        in.skip_blanks();
        if (!in.take(">")) return HwpError::markup("entity '" + std::string(name.substr(0, 64)) + "' is not closed");
        if (entities.size() == MAX_HWPML_ENTITIES) {
            return HwpError::markup("its document type declares more than " + std::to_string(MAX_HWPML_ENTITIES) +
                                    " entities");
        }
        Result<std::string> value = entity_value(literal, name);
        if (!value) return std::move(value).error();
        // The first declaration of a name binds, as XML has it.
        if (std::none_of(entities.begin(), entities.end(), [&](const Entity& e) { return e.name == name; })) {
            entities.push_back({std::string(name), std::move(value).value()});
        }
    }
}

// Every reference to a declared entity in `text` from `from` on, outside
// comments, CDATA sections and processing instructions, replaced.
ExpandedText expand(ByteBuffer bytes, std::size_t from, const std::vector<Entity>& entities) {
    ExpandedText out;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    ByteBuffer& result = out.text;
    result.reserve(text.size());
    const auto append = [&](std::string_view piece) { result.insert(result.end(), piece.begin(), piece.end()); };
    std::size_t copied = 0;
    std::size_t at = from;
    const auto skip_to = [&](std::string_view end) {
        const std::size_t found = text.find(end, at);
        at = found == std::string_view::npos ? text.size() : found + end.size();
    };
    while ((at = text.find_first_of("<&", at)) != std::string_view::npos) {
        const std::string_view rest = text.substr(at);
        if (rest.starts_with("<!--")) {
            skip_to("-->");
        } else if (rest.starts_with("<![CDATA[")) {
            skip_to("]]>");
        } else if (rest.starts_with("<?")) {
            skip_to("?>");
        } else if (rest.front() == '<') {
            ++at;
        } else {
            const std::size_t semicolon = rest.find(';');
            const std::string_view name =
                semicolon == std::string_view::npos ? std::string_view() : rest.substr(1, semicolon - 1);
            const auto entity =
                std::find_if(entities.begin(), entities.end(), [&](const Entity& e) { return e.name == name; });
            if (name.empty() || entity == entities.end()) {
                ++at;
                continue;
            }
            append(text.substr(copied, at - copied));
            append(entity->value);
            if (result.size() > MAX_HWPML_SIZE) {
                throw LimitExceeded("an HWPML document's entities expand past " + std::to_string(MAX_HWPML_SIZE >> 20) +
                                    " MiB");
            }
            at += semicolon + 1;
            copied = at;
            out.moves.emplace_back(result.size(),
                                   static_cast<std::ptrdiff_t>(result.size()) - static_cast<std::ptrdiff_t>(at));
        }
    }
    if (out.moves.empty()) {
        out.text = std::move(bytes);
        return out;
    }
    append(text.substr(copied));
    out.original = std::move(bytes);
    return out;
}

}  // namespace

std::string ExpandedText::position(std::size_t offset) const {
    const ByteBuffer& where = original.empty() ? text : original;
    if (!moves.empty()) {
        // The last expansion that ends at or before the offset says how far it moved.
        const auto after = std::upper_bound(moves.begin(), moves.end(), offset,
                                            [](std::size_t o, const auto& move) { return o < move.first; });
        if (after != moves.begin()) {
            const std::ptrdiff_t moved = std::prev(after)->second;
            offset = static_cast<std::size_t>(std::max<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(offset) - moved, 0));
        }
    }
    offset = std::min(offset, where.size());
    std::size_t line = 1, line_start = 0;
    for (std::size_t i = 0; i < offset; ++i) {
        if (where[i] == '\n') ++line, line_start = i + 1;
    }
    std::size_t column = 1;
    for (std::size_t i = line_start; i < offset; ++i) {
        if ((where[i] & 0xC0) != 0x80) ++column;  // characters, not bytes
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

Result<ExpandedText> expand_entities(ByteBuffer text) {
    Subset in(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()), 0);
    // The prolog, up to the document type if there is one.
    while (true) {
        in.skip_blanks();
        if (in.take("<?")) {
            if (!in.skip_past("?>")) break;
        } else if (in.take("<!--")) {
            if (!in.skip_past("-->")) break;
        } else {
            break;
        }
    }
    const std::size_t start = in.at();
    if (!in.take("<!DOCTYPE")) return ExpandedText{std::move(text), {}, {}};
    in.skip_blanks();
    in.name();
    in.skip_blanks();
    if (in.take("SYSTEM") || in.take("PUBLIC")) {
        return HwpError::markup("it names an external document type, and nothing outside the document is ever read");
    }
    std::vector<Entity> entities;
    if (in.take("[")) {
        Result<std::vector<Entity>> subset = read_subset(in);
        if (!subset) return std::move(subset).error();
        entities = std::move(subset).value();
        in.skip_blanks();
    }
    if (!in.take(">")) return HwpError::markup("its document type is not closed");
    // The declaration is blanked where it stands, lines kept, so that the
    // parser's positions are the file's.
    for (std::size_t i = start; i < in.at(); ++i) {
        if (text[i] != '\n') text[i] = ' ';
    }
    if (entities.empty()) return ExpandedText{std::move(text), {}, {}};
    return expand(std::move(text), in.at(), entities);
}

}  // namespace brindle::hwpml
