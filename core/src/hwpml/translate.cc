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

// What an element becomes. `control`: it stands in a run in HWPML, in an
// hp:ctrl in OWPML.
struct ElementRename {
    std::string_view from;
    std::string_view to;
    std::array<AttributeRename, 4> attributes{};
    bool control = false;
};

constexpr ElementRename ELEMENTS[] = {
    {"SECTION", "hs:sec"},
    {"P", "hp:p", {{{"ParaShape", "paraPrIDRef"}, {"Style", "styleIDRef"}, {"PageBreak", "pageBreak", Value::Flag},
                    {"ColumnBreak", "columnBreak", Value::Flag}}}},
    {"TEXT", "hp:run", {{{"CharShape", "charPrIDRef"}}}},
    {"CHAR", "hp:t"},
    {"TAB", "hp:tab"},
    {"LINEBREAK", "hp:lineBreak"},
    {"NBSPACE", "hp:nbSpace"},
    {"FWSPACE", "hp:fwSpace"},
    {"PARALIST", "hp:subList"},
    {"TABLE", "hp:tbl", {{{"RowCount", "rowCnt"}, {"ColCount", "colCnt"}}}},
    {"ROW", "hp:tr"},
    {"CELL", "hp:tc", {{{"BorderFill", "borderFillIDRef"}}}},
    {"CAPTION", "hp:caption", {{{"Side", "side", Value::Upper}}}},
    {"SIZE", "hp:sz", {{{"Width", "width"}, {"Height", "height"}}}},
    {"POSITION", "hp:pos", {{{"TreatAsChar", "treatAsChar", Value::Flag}}}},
    {"PICTURE", "hp:pic"},
    {"IMAGE", "hc:img", {{{"BinItem", "binaryItemIDRef"}}}},
    {"EQUATION", "hp:equation"},
    {"SCRIPT", "hp:script"},
    {"RECTANGLE", "hp:rect"},
    {"ELLIPSE", "hp:ellipse"},
    {"ARC", "hp:arc"},
    {"POLYGON", "hp:polygon"},
    {"CURVE", "hp:curve"},
    {"LINE", "hp:line"},
    {"CONNECTLINE", "hp:connectLine"},
    {"CONTAINER", "hp:container"},
    {"OLE", "hp:ole"},
    {"TEXTART", "hp:textart"},
    {"DRAWTEXT", "hp:drawText"},
    {"SECDEF", "hp:secPr", {{{"OutlineShape", "outlineShapeIDRef"}}}},
    {"AUTONUMFORMAT", "hp:autoNumFormat",
     {{{"Type", "type", Value::Upper}, {"PrefixChar", "prefixChar"}, {"SuffixChar", "suffixChar"}}}},
    {"FIELDBEGIN", "hp:fieldBegin", {{{"Type", "type", Value::Upper}, {"Name", "name"}, {"Dirty", "dirty", Value::Flag}}},
     true},
    {"FIELDEND", "hp:fieldEnd", {}, true},
    {"FOOTNOTE", "hp:footNote", {{{"Number", "number"}}}, true},
    {"ENDNOTE", "hp:endNote", {{{"Number", "number"}}}, true},
    {"HEADER", "hp:header", {{{"ApplyPageType", "applyPageType", Value::Upper}}}, true},
    {"FOOTER", "hp:footer", {{{"ApplyPageType", "applyPageType", Value::Upper}}}, true},
    {"AUTONUM", "hp:autoNum", {{{"Number", "num"}, {"NumberType", "numType", Value::Upper}}}, true},
    {"NEWNUM", "hp:newNum", {{{"Number", "num"}, {"NumberType", "numType", Value::Upper}}}, true},
    {"COLDEF", "hp:colPr", {{{"Count", "colCount"}}}, true},
};

// Elements of a run that are text or objects, not controls.
constexpr std::string_view RUN_CONTENT[] = {
    "CHAR",    "TABLE", "PICTURE", "EQUATION", "RECTANGLE", "ELLIPSE", "ARC",    "POLYGON",
    "CURVE",   "LINE",  "CONNECTLINE", "CONTAINER", "OLE", "TEXTART", "SECDEF",
};

// Wrappers whose children OWPML puts in the object itself.
constexpr std::string_view OPENED[] = {"SHAPEOBJECT", "DRAWINGOBJECT"};

constexpr std::string_view PARAGRAPH_NS = "http://www.hancom.co.kr/hwpml/2011/paragraph";
constexpr std::string_view SECTION_NS = "http://www.hancom.co.kr/hwpml/2011/section";
constexpr std::string_view CORE_NS = "http://www.hancom.co.kr/hwpml/2011/core";

const ElementRename* rename_of(std::string_view name) {
    for (const ElementRename& rename : ELEMENTS) {
        if (rename.from == name) return &rename;
    }
    return nullptr;
}

bool one_of(std::string_view name, std::span<const std::string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// "CircledDigit" -> "CIRCLED_DIGIT", "Both" -> "BOTH"; HWPML's one field
// type written as one word is OWPML's two.
std::string upper_words(std::string_view value) {
    if (value == "Clickhere") return "CLICK_HERE";
    std::string out;
    out.reserve(value.size() + 4);
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        const bool upper = c >= 'A' && c <= 'Z';
        if (upper && i > 0 && value[i - 1] >= 'a' && value[i - 1] <= 'z') out.push_back('_');
        out.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c);
    }
    return out;
}

void rename_attributes(pugi::xml_node node, const ElementRename& rename) {
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        const std::string_view name = a.name();
        for (const AttributeRename& attribute : rename.attributes) {
            if (attribute.from.empty() || attribute.from != name) continue;
            a.set_name(attribute.to.data());  // literals: NUL-terminated
            if (attribute.value == Value::Flag) {
                a.set_value(std::string_view(a.value()) == "true" ? "1" : "0");
            } else if (attribute.value == Value::Upper) {
                const std::string spelled = upper_words(a.value());
                a.set_value(spelled.c_str());
            }
            break;
        }
    }
}

// A cell's address and span as OWPML's child elements.
void add_cell_address(pugi::xml_node cell) {
    pugi::xml_node address = cell.prepend_child("hp:cellAddr");
    address.append_attribute("colAddr").set_value(cell.attribute("ColAddr").value());
    address.append_attribute("rowAddr").set_value(cell.attribute("RowAddr").value());
    pugi::xml_node span = cell.insert_child_after("hp:cellSpan", address);
    span.append_attribute("colSpan").set_value(cell.attribute("ColSpan").as_string("1"));
    span.append_attribute("rowSpan").set_value(cell.attribute("RowSpan").as_string("1"));
}

// A field's command and kind as OWPML's parameters.
void add_field_parameters(pugi::xml_node field) {
    pugi::xml_node parameters = field.append_child("hp:parameters");
    pugi::xml_node kind = parameters.append_child("hp:integerParam");
    kind.append_attribute("name").set_value("Prop");
    kind.append_child(pugi::node_pcdata).set_value(field.attribute("Property").value());
    pugi::xml_node command = parameters.append_child("hp:stringParam");
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
        if (std::strncmp(a.name(), "xmlns", 5) == 0) node.remove_attribute(a);
        a = next;
    }
}

}  // namespace

std::optional<HwpError> translate_body(owpml::XmlPart& part) {
    pugi::xml_node root = part.root().node();
    drop_declarations(root);
    root.append_attribute("xmlns:hp").set_value(PARAGRAPH_NS.data());
    root.append_attribute("xmlns:hs").set_value(SECTION_NS.data());
    root.append_attribute("xmlns:hc").set_value(CORE_NS.data());

    // Document order by the tree's own links: down to the first child,
    // else on to the next sibling, else up until one has a next sibling.
    std::size_t depth = 0;
    for (pugi::xml_node node = root.first_child(); node;) {
        if (node.type() == pugi::node_element) {
            drop_declarations(node);
            std::size_t attributes = 0;
            for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
                if (++attributes > MAX_HWPML_ATTRIBUTES) {
                    return HwpError::markup("an element <" + std::string(std::string_view(node.name()).substr(0, 64)) +
                                            "> has more than " + std::to_string(MAX_HWPML_ATTRIBUTES) + " attributes");
                }
            }
            const std::string_view name = node.name();
            const bool run = name == "TEXT";
            if (const ElementRename* rename = rename_of(name)) {
                if (name == "CELL") add_cell_address(node);
                if (name == "FIELDBEGIN") add_field_parameters(node);
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
                const std::string_view child_name = child.name();
                if (one_of(child_name, OPENED)) {
                    child = open_wrapper(node, child);
                    continue;
                }
                if (run && !one_of(child_name, RUN_CONTENT)) {
                    pugi::xml_node control = node.insert_child_before("hp:ctrl", child);
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
