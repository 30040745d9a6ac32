// Parsing an HWPX part and resolving its element names. Namespace scopes
// are built as the walk meets elements that declare prefixes, so a part
// whose declarations all sit on its root (as every writer's do) costs one
// scope.
#include "xml.h"

#include <charconv>

namespace brindle::hwpx {
namespace {

// pugixml's options: CDATA, the predefined entities and character
// references, line ends normalised; white space kept, since a run's text
// may be nothing else; the document type declaration kept only to be
// refused.
constexpr unsigned PARSE_OPTIONS = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_eol |
                                   pugi::parse_ws_pcdata | pugi::parse_doctype;

std::string_view local_part(std::string_view qualified) {
    const std::size_t colon = qualified.find(':');
    return colon == std::string_view::npos ? qualified : qualified.substr(colon + 1);
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

Result<std::unique_ptr<XmlPart>> XmlPart::parse(ByteBuffer bytes, std::string_view name) {
    std::unique_ptr<XmlPart> part(new XmlPart());
    part->bytes_ = std::move(bytes);
    const pugi::xml_parse_result parsed = part->document_.load_buffer_inplace(
        part->bytes_.data(), part->bytes_.size(), PARSE_OPTIONS, pugi::encoding_auto);
    if (!parsed) {
        return HwpError::package("'" + std::string(name) + "' is not well-formed XML (" + parsed.description() +
                                 " at byte " + std::to_string(parsed.offset) + ")");
    }
    for (pugi::xml_node n = part->document_.first_child(); n; n = n.next_sibling()) {
        if (n.type() == pugi::node_doctype) {
            return HwpError::package("'" + std::string(name) + "' declares a document type, which OWPML parts never do");
        }
    }
    if (!part->document_.document_element()) return HwpError::package("'" + std::string(name) + "' has no root element");
    return part;
}

Element XmlPart::root() { return Element(document_.document_element(), nullptr, 0, this); }

const Element::Scope* XmlPart::scope_for(pugi::xml_node node, const Element::Scope* parent) {
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
    scope_ = part->scope_for(node, parent);
    const std::string_view qualified = node.name();
    const std::size_t colon = qualified.find(':');
    const std::string_view prefix = colon == std::string_view::npos ? std::string_view() : qualified.substr(0, colon);
    local_ = local_part(qualified);
    for (const Scope* s = scope_; s != nullptr; s = s->parent) {
        // The innermost declaration of the prefix wins.
        for (auto it = s->bindings.rbegin(); it != s->bindings.rend(); ++it) {
            if (it->first == prefix) {
                ns_ = it->second;
                return;
            }
        }
    }
}

std::string_view Element::attribute(std::string_view name) const {
    for (pugi::xml_attribute a = node_.first_attribute(); a; a = a.next_attribute()) {
        if (name == a.name()) return a.value();
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
    for (Element c : children()) {
        if (c.is(ns, local)) return c;
    }
    return {};
}

std::string Element::text() const {
    std::string out;
    each_node([&](std::string_view t) { out.append(t); }, [](const Element&) {});
    return out;
}

Element Element::Children::iterator::operator*() const {
    return Element(node_, parent_->scope_, parent_->depth_ + 1, parent_->part_);
}

Element::Children::iterator Element::Children::begin() const {
    // Past the depth bound an element has no children to walk.
    if (parent_.depth_ >= MAX_XML_DEPTH) return end();
    return iterator(parent_.node_.first_child(), parent_);
}

}  // namespace brindle::hwpx
