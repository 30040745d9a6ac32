// Parsing an HWPX part and resolving its element names. Namespace scopes
// are built as the walk meets elements that declare prefixes, so a part
// whose declarations all sit on its root (as every writer's do) costs one
// scope.
#include "owpml/xml.h"

#include "text.h"

#include <charconv>
#include <cstring>

namespace brindle::owpml {
namespace {

// pugixml's options: CDATA, the predefined entities and character
// references; white space kept, since a run's text may be nothing else; the
// document type declaration kept only to be refused. Line ends are left as
// they are (a carriage return in text is dropped like any control
// character; an equation's script keeps it, as the binary format's does),
// which spares a pass over every attribute.
constexpr unsigned PARSE_OPTIONS =
    pugi::parse_cdata | pugi::parse_escapes | pugi::parse_ws_pcdata | pugi::parse_doctype;

// Whether any element but the root may declare a namespace prefix: false
// when the text is UTF-8 and "xmlns" stands nowhere after the root's start
// tag, as in the parts every writer writes. Then every element resolves its
// prefix in the root's scope, and no element's attributes need looking at.
bool declarations_below_root(Bytes text) {
    if (text.size() >= 2 && (text[0] == 0 || text[1] == 0 || text[0] == 0xFF || text[0] == 0xFE)) return true;
    const std::string_view s(reinterpret_cast<const char*>(text.data()), text.size());
    // The root's start tag: the first "<" that opens an element, to the ">"
    // outside quotes that closes it.
    std::size_t at = 0;
    while ((at = s.find('<', at)) != std::string_view::npos && at + 1 < s.size() &&
           (s[at + 1] == '?' || s[at + 1] == '!')) {
        ++at;
    }
    if (at == std::string_view::npos) return true;
    char quote = 0;
    for (; at < s.size(); ++at) {
        const char c = s[at];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            break;
        }
    }
    // By its "m", rarer in a section's markup than its "x", and the name
    // around it compared in place.
    constexpr std::string_view XMLNS = "xmlns";
    for (std::size_t m = at + 1; m < s.size(); ++m) {
        const void* hit = std::memchr(s.data() + m, 'm', s.size() - m);
        if (hit == nullptr) break;
        m = static_cast<std::size_t>(static_cast<const char*>(hit) - s.data());
        if (s[m - 1] == 'x' && s.compare(m - 1, XMLNS.size(), XMLNS) == 0) return true;
    }
    return false;
}

// Whether two short names (prefixes, a few bytes) are equal, without a
// call to memcmp.
bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) return false;
    }
    return true;
}

}  // namespace

Ns namespace_of(std::string_view uri) {
    // The maker's URIs (http://www.hancom.co.kr/hwpml/2011/paragraph, and
    // 2016 for additions) and the standard's (http://www.owpml.org/owpml/2024/
    // paragraph) end in the same names.
    constexpr std::string_view HANCOM = "http://www.hancom.co.kr/hwpml/";
    constexpr std::string_view OWPML = "http://www.owpml.org/owpml/";
    if (uri == "http://www.idpf.org/2007/opf/" || uri == "http://www.idpf.org/2007/opf") return Ns::Opf;
    if (uri == "urn:oasis:names:tc:opendocument:xmlns:manifest:1.0") return Ns::Manifest;
    std::string_view rest;
    if (uri.starts_with(HANCOM)) {
        rest = uri.substr(HANCOM.size());
    } else if (uri.starts_with(OWPML)) {
        rest = uri.substr(OWPML.size());
    } else {
        return Ns::Other;
    }
    const std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return Ns::Other;
    const std::string_view name = rest.substr(slash + 1);
    if (name == "paragraph") return Ns::Paragraph;
    if (name == "section" || name == "body") return Ns::Section;
    if (name == "head") return Ns::Head;
    if (name == "core") return Ns::Core;
    return Ns::Other;
}

Result<std::unique_ptr<XmlPart>> XmlPart::parse(ByteBuffer bytes, std::string_view name, bool keep_broken,
                                                Input input) {
    std::unique_ptr<XmlPart> part(new XmlPart());
    part->bytes_ = std::move(bytes);
    if (part->bytes_.empty()) return HwpError::package("'" + std::string(name) + "' is empty");
    part->declarations_below_root_ = declarations_below_root(part->bytes_);
    const pugi::xml_parse_result parsed =
        part->document_.load_buffer_inplace(part->bytes_.data(), part->bytes_.size(), PARSE_OPTIONS,
                                            input == Input::Utf8 ? pugi::encoding_utf8 : pugi::encoding_auto);
    for (pugi::xml_node n = part->document_.first_child(); n; n = n.next_sibling()) {
        if (n.type() == pugi::node_doctype) {
            return HwpError::package("'" + std::string(name) +
                                     "' declares a document type, which OWPML parts never do");
        }
    }
    // pugixml keeps the tree it built before an error: a part cut short
    // still holds what was read up to the break.
    if (!parsed && !(keep_broken && part->document_.document_element())) {
        return HwpError::package("'" + std::string(name) + "' is not well-formed XML (" + parsed.description() +
                                 " at byte " + std::to_string(parsed.offset) + ")");
    }
    if (!part->document_.document_element())
        return HwpError::package("'" + std::string(name) + "' has no root element");
    if (!parsed) part->broken_ = Break{static_cast<std::size_t>(parsed.offset), parsed.description()};
    return part;
}

Element XmlPart::root() { return Element(document_.document_element(), nullptr, 0, this); }

const Element::Scope* XmlPart::scope_for(pugi::xml_node node, const Element::Scope* parent) {
    if (parent != nullptr && !declarations_below_root_) return parent;
    Element::Scope* scope = nullptr;
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        const std::string_view name = a.name();
        if (!name.starts_with("xmlns") || (name.size() > 5 && name[5] != ':')) continue;
        if (scope == nullptr) scope = &scopes_.emplace_back(Element::Scope{parent, {}});
        scope->bindings.emplace_back(name.size() > 5 ? name.substr(6) : std::string_view(), namespace_of(a.value()));
    }
    return scope != nullptr ? scope : parent;
}

Element::Element(pugi::xml_node node, const Scope* parent, std::size_t depth, XmlPart* part)
    : node_(node), part_(part), depth_(depth) {
    // Below the root of a part that declares nothing there, every element
    // is in its parent's scope: no call to look at its attributes.
    scope_ = parent != nullptr && !part->declarations_below_root_ ? parent : part->scope_for(node, parent);
    // The name up to its colon: prefixes are short, and the local name is
    // measured only where it is asked for.
    const char* name = node.name();
    local_ = local_part(name);
    const std::string_view prefix = local_ == name ? std::string_view() : std::string_view(name, local_ - 1 - name);
    // Runs of elements share a prefix: the last resolution is kept.
    XmlPart::Resolved& last = part->last_resolved_;
    if (last.scope == scope_ && last.scope != nullptr && same_name(last.prefix, prefix)) {
        ns_ = last.ns;
        return;
    }
    last = {scope_, prefix, Ns::Other};
    for (const Scope* s = scope_; s != nullptr; s = s->parent) {
        // The innermost declaration of the prefix wins.
        for (auto it = s->bindings.rbegin(); it != s->bindings.rend(); ++it) {
            if (it->first == prefix) {
                ns_ = last.ns = it->second;
                return;
            }
        }
    }
}

std::string_view Element::attribute(std::string_view name) const {
    // A null attribute's name is empty, as no parsed attribute's is: the
    // loop ends there without asking whether the attribute is null too.
    for (pugi::xml_attribute a = node_.first_attribute();; a = a.next_attribute()) {
        const char* candidate = a.name();
        if (candidate[0] == '\0') break;
        // Compared without measuring every attribute's name first.
        if (candidate[0] == name.front() && std::strncmp(candidate, name.data(), name.size()) == 0 &&
            candidate[name.size()] == '\0') {
            return a.value();
        }
    }
    return {};
}

std::uint32_t Element::number(std::string_view name, std::uint32_t fallback) const {
    const std::string_view text = attribute(name);
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty() ? value : fallback;
}

Element Element::child(Ns ns, std::string_view local) const {
    // Children of other names are passed over unresolved: a table's rows
    // are looked through for its caption.
    if (depth_ >= MAX_XML_DEPTH) return {};
    for (pugi::xml_node n = node_.first_child();; n = n.next_sibling()) {
        const pugi::xml_node_type type = n.type();
        if (type == pugi::node_null) break;
        if (type != pugi::node_element || !names_equal(local_part(n.name()), local)) continue;
        const Element c(n, scope_, depth_ + 1, part_);
        if (c.ns_ == ns) return c;
    }
    return {};
}

std::string Element::text() const {
    std::string out;
    each_node([&](std::string_view t) { append_valid_utf8(out, t); }, [](const Element&) {});
    return out;
}

std::string Element::attribute_text(std::string_view name) const {
    std::string out;
    append_valid_utf8(out, attribute(name));
    return out;
}

Element Element::Children::iterator::operator*() const {
    return Element(node_, parent_->scope_, parent_->depth_ + 1, parent_->part_);
}

Element::Children::iterator Element::Children::begin() const {
    // Past the depth bound an element has no children to walk.
    if (parent_.depth_ >= MAX_XML_DEPTH) return iterator(pugi::xml_node(), parent_);
    return iterator(parent_.node_.first_child(), parent_);
}

}  // namespace brindle::owpml
