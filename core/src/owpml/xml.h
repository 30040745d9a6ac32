// The XML parts of an HWPX package, parsed with pugixml and held to what
// OWPML needs: no document type declaration (so no DTD and no entity but
// the five predefined ones and character references; pugixml never reads
// an external resource), UTF-8 or UTF-16 input as XML allows, and element
// names resolved to their namespace URI, since writers choose their own
// prefixes. Nesting depth is bounded by the walks over the tree, which
// stop descending at MAX_XML_DEPTH.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "brindle/bytes.h"
#include "brindle/result.h"

namespace brindle::owpml {

// Elements nested deeper than this are not looked at.
inline constexpr std::size_t MAX_XML_DEPTH = 256;

// The namespaces whose elements are read, whichever of their generations
// (http://www.hancom.co.kr/hwpml/2011/..., http://www.owpml.org/owpml/2024/...)
// a writer uses.
enum class Ns : std::uint8_t {
    Other,
    Paragraph,  // hp: paragraphs, runs, controls, objects
    Section,    // hs: the section element
    Head,       // hh: the header part's definitions
    Core,       // hc: shared shapes (pictures' image references)
    Opf,        // the package manifest (content.hpf)
    Manifest,   // META-INF/manifest.xml (encryption)
};

// The namespace of a URI.
Ns namespace_of(std::string_view uri);

class XmlPart;

// Whether the NUL-terminated `name` (a parsed node's) is `local`, compared
// byte by byte without measuring it: most comparisons fail at the first
// bytes, and none reads past its end.
inline bool names_equal(const char* name, std::string_view local) {
    for (std::size_t i = 0; i < local.size(); ++i) {
        if (name[i] != local[i] || name[i] == '\0') return false;
    }
    return name[local.size()] == '\0';
}

// An element with its name resolved. Cheap to copy; valid while its part is.
class Element {
public:
    Element() = default;

    explicit operator bool() const { return !node_.empty(); }
    Ns ns() const { return ns_; }
    std::string_view local() const { return local_; }
    bool is(Ns ns, std::string_view local) const { return ns_ == ns && names_equal(local_, local); }

    // An attribute by name (OWPML's attributes have no prefix); empty when
    // absent.
    std::string_view attribute(std::string_view name) const;
    // An attribute as an unsigned number; `fallback` when absent or not one.
    std::uint32_t number(std::string_view name, std::uint32_t fallback = 0) const;

    // The child elements, in order.
    class Children;
    Children children() const;
    // The first child element of that name.
    Element child(Ns ns, std::string_view local) const;
    // The child elements whose local name is one of `locals`, in order, each
    // with the index of its name; the others are passed over without
    // resolving their names.
    template <class OnChild>
    void each_child_named(std::span<const std::string_view> locals, OnChild&& on_child) const;

    // Every child node in order, text and elements alike, for mixed content.
    template <class OnText, class OnElement>
    void each_node(OnText&& on_text, OnElement&& on_element) const;

    // The text of the element's text children, joined; only well-formed
    // UTF-8 (a part's bytes, or its character references, may not be).
    std::string text() const;
    // An attribute's value as text: only well-formed UTF-8.
    std::string attribute_text(std::string_view name) const;

    std::size_t depth() const { return depth_; }
    pugi::xml_node node() const { return node_; }

private:
    friend class XmlPart;
    struct Scope;
    // The local part of a qualified name: after its first colon.
    static const char* local_part(const char* name) {
        const char* colon = name;
        while (*colon != ':' && *colon != '\0') ++colon;
        return *colon == '\0' ? name : colon + 1;
    }
    Element(pugi::xml_node node, const Scope* parent, std::size_t depth, XmlPart* part);

    pugi::xml_node node_;
    const Scope* scope_ = nullptr;
    XmlPart* part_ = nullptr;
    std::size_t depth_ = 0;
    Ns ns_ = Ns::Other;
    const char* local_ = "";  // the name after its prefix, NUL-terminated
};

// The prefixes an element declares, within those of its parent; complete
// before XmlPart, whose deque holds them (libc++ asks that of a member).
struct Element::Scope {
    const Scope* parent = nullptr;
    std::vector<std::pair<std::string_view, Ns>> bindings;  // prefix ("" the default) -> namespace
};

// One parsed part: its bytes, its tree, and the namespace scopes met while
// walking it.
class XmlPart {
public:
    // Parse `bytes` (the part `name`, for messages). Not well-formed XML or a
    // document type declaration is a Package error; with `keep_broken`, a
    // part whose root element opened before the XML broke off (a part cut
    // short) is kept as far as it was read, and broken() says where.
    // `input` Utf8: the bytes are UTF-8 whatever their declaration says
    // (a caller that transcoded them); else the encoding is told as XML
    // tells it.
    enum class Input : std::uint8_t { Any, Utf8 };
    static Result<std::unique_ptr<XmlPart>> parse(ByteBuffer bytes, std::string_view name, bool keep_broken = false,
                                                  Input input = Input::Any);

    Element root();

    // Where a part kept by `keep_broken` stopped being well-formed.
    struct Break {
        std::size_t offset;
        std::string what;
    };
    const std::optional<Break>& broken() const { return broken_; }
    // The part's bytes, as far as the parser has read them changed in
    // place; past a break, as they were.
    Bytes text() const { return bytes_; }
    // Whether an element below the root may declare a namespace prefix
    // (the text has "xmlns" past the root's start tag).
    bool declares_below_root() const { return declarations_below_root_; }

private:
    friend class Element;
    XmlPart() = default;
    const Element::Scope* scope_for(pugi::xml_node node, const Element::Scope* parent);

    ByteBuffer bytes_;
    pugi::xml_document document_;
    std::deque<Element::Scope> scopes_;
    bool declarations_below_root_ = true;
    std::optional<Break> broken_;
    struct Resolved {
        const Element::Scope* scope = nullptr;
        std::string_view prefix;
        Ns ns = Ns::Other;
    };
    Resolved last_resolved_;
};

class Element::Children {
public:
    class iterator {
    public:
        iterator(pugi::xml_node node, const Element& parent) : node_(node), parent_(&parent) { skip(); }
        Element operator*() const;
        iterator& operator++() {
            node_ = node_.next_sibling();
            skip();
            return *this;
        }
        // The end is where the siblings run out: no node to build or compare.
        struct end_marker {};
        bool operator!=(end_marker) const { return !at_end_; }

    private:
        // One call into pugixml per node: a null node's type is node_null.
        void skip() {
            for (pugi::xml_node_type type = node_.type(); type != pugi::node_element; type = node_.type()) {
                if (type == pugi::node_null) {
                    at_end_ = true;
                    return;
                }
                node_ = node_.next_sibling();
            }
        }
        pugi::xml_node node_;
        const Element* parent_;
        bool at_end_ = false;
    };

    explicit Children(Element parent) : parent_(parent) {}
    iterator begin() const;
    iterator::end_marker end() const { return {}; }

private:
    Element parent_;  // by value: a temporary element's children can be walked
};

inline Element::Children Element::children() const { return Children(*this); }

template <class OnChild>
void Element::each_child_named(std::span<const std::string_view> locals, OnChild&& on_child) const {
    if (depth_ >= MAX_XML_DEPTH) return;
    for (pugi::xml_node n = node_.first_child();; n = n.next_sibling()) {
        const pugi::xml_node_type type = n.type();  // node_null past the last
        if (type == pugi::node_null) break;
        if (type != pugi::node_element) continue;
        const char* local = local_part(n.name());
        for (std::size_t k = 0; k < locals.size(); ++k) {
            if (names_equal(local, locals[k])) {
                on_child(k, Element(n, scope_, depth_ + 1, part_));
                break;
            }
        }
    }
}

template <class OnText, class OnElement>
void Element::each_node(OnText&& on_text, OnElement&& on_element) const {
    if (depth_ >= MAX_XML_DEPTH) return;
    for (pugi::xml_node n = node_.first_child();; n = n.next_sibling()) {
        const pugi::xml_node_type type = n.type();  // node_null past the last
        if (type == pugi::node_null) break;
        if (type == pugi::node_pcdata || type == pugi::node_cdata) {
            on_text(std::string_view(n.value()));
        } else if (type == pugi::node_element) {
            on_element(Element(n, scope_, depth_ + 1, part_));
        }
    }
}

}  // namespace brindle::owpml
