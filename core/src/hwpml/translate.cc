// One pass over the tree, in document order, without recursion: each
// element is renamed and its attributes with it, wrappers OWPML does not
// have are opened into their parent, and what OWPML wraps is wrapped,
// before the element's children are visited.
#include "hwpml/translate.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "brindle/limits.h"
#include "text.h"

namespace brindle::hwpml {
namespace {

// How an attribute's value is spelled in OWPML.
enum class Value : std::uint8_t {
    Same,
    Flag,   // "true"/"false" -> "1"/"0"
    Upper,  // "CircledDigit" -> "CIRCLED_DIGIT"
};

struct AttributeRename {
    std::string_view from;
    std::string_view to;
    Value value = Value::Same;
};

// What an element becomes, and its attributes.
struct ElementRename {
    std::string_view from;
    std::string_view to;
    std::array<AttributeRename, 5> attributes{};
};

// Sorted by HWPML name, for a binary search.
// clang-format off
constexpr ElementRename ELEMENTS[] = {
    {"ARC", "arc"},
    {"AUTONUM", "autoNum", {{{"Number", "num"}, {"NumberType", "numType", Value::Upper}}}},
    {"AUTONUMFORMAT", "autoNumFormat",
     {{{"Type", "type", Value::Upper}, {"PrefixChar", "prefixChar"}, {"SuffixChar", "suffixChar"}}}},
    {"CAPTION", "caption", {{{"Side", "side", Value::Upper}}}},
    // A cell keeps its address and span as attributes, which the walk
    // reads where OWPML's child elements are missing.
    {"CELL", "tc", {{{"BorderFill", "borderFillIDRef"}, {"ColAddr", "colAddr"}, {"RowAddr", "rowAddr"},
                     {"ColSpan", "colSpan"}, {"RowSpan", "rowSpan"}}}},
    {"CHAR", "t"},
    {"COLDEF", "colPr", {{{"Count", "colCount"}}}},
    {"CONNECTLINE", "connectLine"},
    {"CONTAINER", "container"},
    {"CURVE", "curve"},
    {"DRAWTEXT", "drawText"},
    {"ELLIPSE", "ellipse"},
    {"ENDNOTE", "endNote", {{{"Number", "number"}}}},
    {"EQUATION", "equation"},
    {"FIELDBEGIN", "fieldBegin",
     {{{"Type", "type", Value::Upper}, {"Name", "name"}, {"Dirty", "dirty", Value::Flag}}}},
    {"FIELDEND", "fieldEnd", {}},
    {"FOOTER", "footer", {{{"ApplyPageType", "applyPageType", Value::Upper}}}},
    {"FOOTNOTE", "footNote", {{{"Number", "number"}}}},
    {"FWSPACE", "fwSpace"},
    {"HEADER", "header", {{{"ApplyPageType", "applyPageType", Value::Upper}}}},
    {"IMAGE", "hc:img", {{{"BinItem", "binaryItemIDRef"}}}},
    {"LINE", "line"},
    {"LINEBREAK", "lineBreak"},
    {"NBSPACE", "nbSpace"},
    {"NEWNUM", "newNum", {{{"Number", "num"}, {"NumberType", "numType", Value::Upper}}}},
    {"OLE", "ole"},
    {"P", "p", {{{"ParaShape", "paraPrIDRef"}, {"Style", "styleIDRef"}, {"PageBreak", "pageBreak", Value::Flag},
                 {"ColumnBreak", "columnBreak", Value::Flag}}}},
    {"PARALIST", "subList"},
    {"PICTURE", "pic"},
    {"POLYGON", "polygon"},
    {"POSITION", "pos", {{{"TreatAsChar", "treatAsChar", Value::Flag}}}},
    {"RECTANGLE", "rect"},
    {"ROW", "tr"},
    {"SCRIPT", "script"},
    {"SECDEF", "secPr", {{{"OutlineShape", "outlineShapeIDRef"}}}},
    {"SECTION", "sec"},
    {"SIZE", "sz", {{{"Width", "width"}, {"Height", "height"}}}},
    {"TAB", "tab"},
    {"TABLE", "tbl", {{{"RowCount", "rowCnt"}, {"ColCount", "colCnt"}}}},
    {"TEXT", "run", {{{"CharShape", "charPrIDRef"}}}},
    {"TEXTART", "textart"},
};
// clang-format on

// Elements of a run that are text or objects, not controls.
constexpr std::string_view RUN_CONTENT[] = {
    "CHAR",  "TABLE", "PICTURE",     "EQUATION",  "RECTANGLE", "ELLIPSE", "ARC",    "POLYGON",
    "CURVE", "LINE",  "CONNECTLINE", "CONTAINER", "OLE",       "TEXTART", "SECDEF",
};

// Wrappers whose children OWPML puts in the object itself.
constexpr std::string_view OPENED[] = {"SHAPEOBJECT", "DRAWINGOBJECT"};

constexpr std::string_view PARAGRAPH_NS = "http://www.hancom.co.kr/hwpml/2011/paragraph";
constexpr std::string_view CORE_NS = "http://www.hancom.co.kr/hwpml/2011/core";

static_assert(std::is_sorted(std::begin(ELEMENTS), std::end(ELEMENTS),
                             [](const ElementRename& a, const ElementRename& b) { return a.from < b.from; }));

// `name` against `literal` as strcmp orders them, without measuring `name`.
int compare(const char* name, std::string_view literal) {
    for (std::size_t i = 0; i < literal.size(); ++i) {
        if (name[i] != literal[i])
            return static_cast<unsigned char>(name[i]) < static_cast<unsigned char>(literal[i]) ? -1 : 1;
    }
    return name[literal.size()] == '\0' ? 0 : 1;
}

const ElementRename* rename_of(const char* name) {
    std::size_t low = 0, high = std::size(ELEMENTS);
    while (low < high) {
        const std::size_t middle = (low + high) / 2;
        const int order = compare(name, ELEMENTS[middle].from);
        if (order == 0) return &ELEMENTS[middle];
        if (order < 0) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    return nullptr;
}

bool one_of(const char* name, std::span<const std::string_view> names) {
    return std::any_of(names.begin(), names.end(), [&](std::string_view n) { return owpml::names_equal(name, n); });
}

void rename_attributes(pugi::xml_node node, const ElementRename& rename) {
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        const char* name = a.name();
        for (const AttributeRename& attribute : rename.attributes) {
            if (attribute.from.empty() || !owpml::names_equal(name, attribute.from)) continue;
            a.set_name(attribute.to.data());  // literals: NUL-terminated
            if (attribute.value == Value::Flag) {
                a.set_value(std::string_view(a.value()) == "true" ? "1" : "0");
            } else if (attribute.value == Value::Upper) {
                const std::string spelled = owpml_spelling(a.value());
                a.set_value(spelled.c_str());
            }
            break;
        }
    }
}

// A field's command and kind as OWPML's parameters.
void add_field_parameters(pugi::xml_node field) {
    pugi::xml_node parameters = field.append_child("parameters");
    pugi::xml_node kind = parameters.append_child("integerParam");
    kind.append_attribute("name").set_value("Prop");
    kind.append_child(pugi::node_pcdata).set_value(field.attribute("Property").value());
    pugi::xml_node command = parameters.append_child("stringParam");
    command.append_attribute("name").set_value("Command");
    command.append_child(pugi::node_pcdata).set_value(field.attribute("Command").value());
}

// The children of `wrapper` moved before it, and it removed.
pugi::xml_node open_wrapper(pugi::xml_node parent, pugi::xml_node wrapper) {
    pugi::xml_node first;
    for (pugi::xml_node child = wrapper.first_child(); child;) {
        const pugi::xml_node next = child.next_sibling();
        const pugi::xml_node moved = parent.insert_move_before(child, wrapper);
        if (!first) first = moved;
        child = next;
    }
    const pugi::xml_node after = wrapper.next_sibling();
    parent.remove_child(wrapper);
    return first ? first : after;
}

// Namespace declarations are the translation's alone: names resolve to
// the prefixes declared on the root.
void drop_declarations(pugi::xml_node node) {
    for (pugi::xml_attribute a = node.first_attribute(); a;) {
        const pugi::xml_attribute next = a.next_attribute();
        const char* name = a.name();
        if (name[0] == 'x' && std::strncmp(name, "xmlns", 5) == 0) node.remove_attribute(a);
        a = next;
    }
}

std::size_t attribute_count(pugi::xml_node node) {
    std::size_t count = 0;
    for (pugi::xml_attribute a = node.first_attribute(); a && count <= MAX_HWPML_ATTRIBUTES; a = a.next_attribute()) {
        ++count;
    }
    return count;
}

}  // namespace

std::string owpml_spelling(std::string_view value) {
    if (value == "Clickhere") return "CLICK_HERE";
    std::string out;
    out.reserve(value.size() + 4);
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c >= 'A' && c <= 'Z' && i > 0 && value[i - 1] >= 'a' && value[i - 1] <= 'z') out.push_back('_');
        out.push_back(ascii_upper(c));
    }
    return out;
}

std::optional<HwpError> translate_body(owpml::XmlPart& part) {
    pugi::xml_node root = part.root().node();
    drop_declarations(root);
    // OWPML's paragraph namespace as the default: the names need no prefix,
    // so that each fits where the parser left HWPML's (a longer one would be
    // copied), and HWPML's own capitalised names meet none of OWPML's.
    root.append_attribute("xmlns").set_value(PARAGRAPH_NS.data());
    root.append_attribute("xmlns:hc").set_value(CORE_NS.data());

    // Declarations below the root are looked for only where the text has one.
    const bool declarations = part.declares_below_root();
    // Document order by the tree's own links: down to the first child,
    // else on to the next sibling, else up until one has a next sibling.
    std::size_t depth = 0;
    for (pugi::xml_node node = root.first_child(); node;) {
        if (node.type() == pugi::node_element) {
            if (declarations) drop_declarations(node);
            const char* name = node.name();
            const bool run = owpml::names_equal(name, "TEXT");
            if (const ElementRename* rename = rename_of(name)) {
                // The walk reads the attributes of the elements renamed here
                // (and the head's, which are few): those are bounded.
                if (attribute_count(node) > MAX_HWPML_ATTRIBUTES) {
                    return HwpError::markup("an element <" + std::string(std::string_view(name).substr(0, 64)) +
                                            "> has more than " + std::to_string(MAX_HWPML_ATTRIBUTES) + " attributes");
                }
                if (owpml::names_equal(name, "FIELDBEGIN")) add_field_parameters(node);
                rename_attributes(node, *rename);
                node.set_name(rename->to.data());
            }
            // The children: wrappers opened, and in a run, each control
            // wrapped as OWPML wraps it.
            for (pugi::xml_node child = node.first_child(); child;) {
                if (child.type() != pugi::node_element) {
                    child = child.next_sibling();
                    continue;
                }
                const char* child_name = child.name();
                if (one_of(child_name, OPENED)) {
                    child = open_wrapper(node, child);
                    continue;
                }
                if (run && !one_of(child_name, RUN_CONTENT)) {
                    pugi::xml_node control = node.insert_child_before("ctrl", child);
                    control.append_move(child);
                    child = control.next_sibling();
                    continue;
                }
                child = child.next_sibling();
            }
            if (node.first_child() && depth + 1 < owpml::MAX_XML_DEPTH) {
                node = node.first_child();
                ++depth;
                continue;
            }
        }
        // On to the next element not below this one.
        while (true) {
            if (const pugi::xml_node next = node.next_sibling()) {
                node = next;
                break;
            }
            node = node.parent();
            if (!node || node == root) return std::nullopt;
            --depth;
        }
    }
    return std::nullopt;
}

}  // namespace brindle::hwpml
