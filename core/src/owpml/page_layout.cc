// The layout fields of a body paragraph's elements. A segment's attributes
// are read in one pass over them: a paragraph holds one per line.
#include "owpml/page_layout.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <string_view>

#include "owpml/names.h"

namespace brindle::owpml {
namespace {

// An attribute's value as a number of type T; `fallback` when it is none.
template <class T>
T parse_number(std::string_view text, T fallback) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty() ? value : fallback;
}

// The names are told apart by their first letters before they are compared.
LineSegment read_segment(const Element& segment) {
    LineSegment line;
    for (pugi::xml_attribute a = segment.node().first_attribute(); a; a = a.next_attribute()) {
        const char* name = a.name();
        if (name[0] == 'v' && std::strcmp(name, "vertpos") == 0) {
            line.top = parse_number<std::int32_t>(a.value(), 0);
        } else if (name[0] == 'v' && std::strcmp(name, "vertsize") == 0) {
            line.height = parse_number<std::int32_t>(a.value(), 0);
        } else if (name[0] == 'f' && std::strcmp(name, "flags") == 0) {
            line.flags = parse_number<std::uint32_t>(a.value(), 0);
        }
    }
    return line;
}

// The page's height inside its margins, from a section definition's hp:pagePr.
std::int64_t body_height(Element page) {
    const bool turned = page.attribute("landscape") == name::LANDSCAPE_TURNED;
    std::int64_t height = page.number(turned ? "width" : "height", 0);
    if (const Element margin = page.child(Ns::Paragraph, name::PAGE_MARGIN)) {
        for (const char* side : {"top", "bottom", "header", "footer"}) height -= margin.number(side, 0);
    }
    return height;
}

}  // namespace

void read_paragraph_layout(Element p, ParagraphLayout& layout) {
    for (pugi::xml_attribute a = p.node().first_attribute(); a; a = a.next_attribute()) {
        const char* name = a.name();
        if (name[0] == 'p' && std::strcmp(name, "pageBreak") == 0) {
            layout.page_break = std::strcmp(a.value(), "1") == 0;
        } else if (name[0] == 'c' && std::strcmp(name, "columnBreak") == 0) {
            layout.column_break = std::strcmp(a.value(), "1") == 0;
        }
    }
    constexpr std::string_view ARRAY[] = {name::LINE_SEGMENTS};
    constexpr std::string_view SEGMENT[] = {name::LINE_SEGMENT};
    p.each_child_named(ARRAY, [&](std::size_t, Element segments) {
        if (segments.ns() != Ns::Paragraph) return;
        segments.each_child_named(SEGMENT, [&](std::size_t, Element segment) {
            if (segment.ns() == Ns::Paragraph) layout.lines.push_back(read_segment(segment));
        });
    });
}

void read_layout_control(const Control& control, ParagraphLayout& layout, PageMarker& pages) {
    const Element e = control.element;
    switch (control.kind) {
        case ControlKind::Columns:
            layout.columns = static_cast<std::uint16_t>(std::clamp<std::uint32_t>(e.number("colCount", 1), 1, 0xFF));
            break;
        case ControlKind::Section:
            if (const Element page = e.child(Ns::Paragraph, name::PAGE_PROPERTIES))
                pages.set_body_height(body_height(page));
            break;
        case ControlKind::Table:
        case ControlKind::Drawing:
        case ControlKind::Equation:
            if (const Element size = e.child(Ns::Paragraph, name::SIZE)) {
                const std::uint32_t height =
                    std::min<std::uint32_t>(size.number("height", 0), std::numeric_limits<std::int32_t>::max());
                layout.tallest_object = std::max(layout.tallest_object, static_cast<std::int32_t>(height));
            }
            break;
        default: break;
    }
}

}  // namespace brindle::owpml
