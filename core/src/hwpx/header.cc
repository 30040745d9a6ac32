// Contents/header.xml: the definitions the full profile looks paragraphs
// up in. A definition's place in its list is its id (paragraph and
// character properties, fonts and styles from 0, numberings and bullets
// from 1): writers number them so, and where they do not (two bullets both
// "1"), the place is what the body's references mean.
#include "hwpx/header.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "hwpx/header_prefilter.h"
#include "hwpx/header_scan.h"
#include "model/numbering.h"
#include "owpml/names.h"
#include "owpml/xml.h"
#include "text.h"

namespace brindle::hwpx {

using owpml::Element;
using owpml::Ns;
using owpml::XmlPart;

namespace {

HeadKind head_kind(std::string_view type) {
    if (type == "OUTLINE") return HeadKind::Outline;
    if (type == "NUMBER") return HeadKind::Number;
    if (type == "BULLET") return HeadKind::Bullet;
    return HeadKind::None;
}

// The alignments by their OWPML names, in the order of their codes.
constexpr std::array<std::string_view, 6> ALIGNMENTS = {"JUSTIFY", "LEFT",       "RIGHT",
                                                        "CENTER",  "DISTRIBUTE", "DISTRIBUTE_SPACE"};

// A paragraph property of `para_pr`: among the properties, or in an
// alternative's default branch (hp:switch > hp:default) where a writer
// puts it there.
Element paragraph_property(Element para_pr, std::string_view local) {
    if (const Element direct = para_pr.child(Ns::Head, local)) return direct;
    if (const Element alternatives = para_pr.child(Ns::Paragraph, "switch")) {
        if (const Element fallback = alternatives.child(Ns::Paragraph, "default"))
            return fallback.child(Ns::Head, local);
    }
    return {};
}

ParagraphShape read_paragraph_shape(Element para_pr) {
    ParagraphShape shape;
    if (const Element align = paragraph_property(para_pr, "align")) {
        const auto it = std::find(ALIGNMENTS.begin(), ALIGNMENTS.end(), align.attribute("horizontal"));
        if (it != ALIGNMENTS.end()) shape.alignment = static_cast<Alignment>(it - ALIGNMENTS.begin());
    }
    const Element heading = paragraph_property(para_pr, "heading");
    if (!heading) return shape;
    shape.head = head_kind(heading.attribute("type"));
    shape.level = static_cast<std::uint8_t>(std::min<std::uint32_t>(heading.number("level"), NUMBERING_LEVELS - 1));
    shape.numbering = static_cast<std::uint16_t>(std::min<std::uint32_t>(heading.number("idRef"), 0xFFFF));
    return shape;
}

Numbering read_numbering(Element element) {
    Numbering numbering;
    numbering.starts.fill(1);
    std::array<std::string, NUMBERING_LEVELS> formats;
    numbering.starts[0] = std::max<std::uint32_t>(element.number("start", 1), 1);
    for (Element head : element.children()) {
        if (!head.is(Ns::Head, "paraHead")) continue;
        const std::uint32_t level = head.number("level", 0);
        if (level < 1 || level > NUMBERING_LEVELS) continue;
        const std::size_t k = level - 1;
        formats[k] = cut_to_units(head.text(), MAX_NUMBER_FORMAT_UNITS);
        numbering.shapes[k] = owpml::number_shape_of(head.attribute("numFormat"));
        numbering.starts[k] = std::max<std::uint32_t>(head.number("start", numbering.starts[k]), 1);
    }
    numbering.set_formats(formats);
    return numbering;
}

// The character properties and fonts, from the tree when the prefilter
// left them in the part.
CharacterShape read_character_shape(Element char_pr) {
    CharacterShape shape;
    shape.height = static_cast<std::int32_t>(std::min<std::uint32_t>(char_pr.number("height", 1000), 0x7FFFFFFF));
    if (const Element fonts = char_pr.child(Ns::Head, "fontRef")) {
        for (std::size_t k = 0; k < SCRIPTS; ++k) {
            shape.fonts[k] =
                static_cast<std::uint16_t>(std::min<std::uint32_t>(fonts.number(SCRIPT_ATTRIBUTES[k]), 0xFFFF));
        }
    }
    shape.bold = static_cast<bool>(char_pr.child(Ns::Head, "bold"));
    shape.italic = static_cast<bool>(char_pr.child(Ns::Head, "italic"));
    return shape;
}

void read_fonts(Element fontface, FontTable::Names& names) {
    const std::optional<Script> script = script_of_lang(fontface.attribute("lang"));
    if (!script) return;
    std::vector<std::string>& fonts = names[static_cast<std::size_t>(*script)];
    for (Element font : fontface.children()) {
        if (font.is(Ns::Head, "font") && fonts.size() < MAX_U16_IDS) {
            fonts.push_back(cut_to_units(font.attribute_text("face"), MAX_NAME_UNITS));
        }
    }
}

Style read_style(Element element) {
    Style style;
    style.name = cut_to_units(element.attribute_text("name"), MAX_NAME_UNITS);
    style.character = element.attribute("type") == "CHAR";
    style.paragraph_shape = static_cast<std::uint16_t>(std::min<std::uint32_t>(element.number("paraPrIDRef"), 0xFFFF));
    style.character_shape = static_cast<std::uint16_t>(std::min<std::uint32_t>(element.number("charPrIDRef"), 0xFFFF));
    return style;
}

// A border fill's shade from the tree, when the prefilter left the list in
// the part (hh:borderFill > hc:fillBrush > hc:winBrush, hc:gradation).
Shade read_border_fill(Element border_fill) {
    FillBrush brush;
    const Element fill = border_fill.child(Ns::Core, "fillBrush");
    if (const Element window = fill ? fill.child(Ns::Core, "winBrush") : Element()) {
        brush.face = parse_colour(window.attribute("faceColor"));
        brush.hatch = parse_colour(window.attribute("hatchColor"));
        brush.pattern = hatch_pattern_of(window.attribute("hatchStyle"));
    }
    if (const Element gradation = fill ? fill.child(Ns::Core, "gradation") : Element()) {
        if (const Element colour = gradation.child(Ns::Core, "color"))
            brush.gradation = parse_colour(colour.attribute("value"));
    }
    return shade_of(brush);
}

char32_t read_bullet(Element bullet) {
    const Utf8Char c = decode_utf8_char(bullet.attribute("char"));
    return c.length > 0 ? c.value : 0;
}

// The definitions read from the parsed part, beside the character shapes
// and fonts read from its text.
void read_tree(Element head, Definitions& definitions) {
    // head > beginNum, refList > (paraProperties, numberings, bullets,
    // styles, ...; fontfaces, borderFills and charProperties unless taken
    // out)
    FontTable::Names fonts;
    bool fonts_here = false;
    std::size_t border_fills = 0;
    for (Element block : head.children()) {
        if (block.is(Ns::Head, "beginNum")) {
            definitions.footnote_start =
                static_cast<std::uint16_t>(std::min<std::uint32_t>(block.number("footnote", 1), 0xFFFF));
            definitions.endnote_start =
                static_cast<std::uint16_t>(std::min<std::uint32_t>(block.number("endnote", 1), 0xFFFF));
            continue;
        }
        if (!block.is(Ns::Head, "refList")) continue;
        for (Element list : block.children()) {
            for (Element item : list.children()) {
                if (item.is(Ns::Head, "paraPr")) {
                    if (definitions.paragraph_shapes.size() < MAX_U16_IDS) {
                        definitions.paragraph_shapes.push_back(read_paragraph_shape(item));
                    }
                } else if (item.is(Ns::Head, "numbering")) {
                    if (definitions.numberings.size() < MAX_U16_IDS)
                        definitions.numberings.push_back(read_numbering(item));
                } else if (item.is(Ns::Head, "bullet")) {
                    if (definitions.bullets.size() < MAX_U16_IDS) definitions.bullets.push_back(read_bullet(item));
                } else if (item.is(Ns::Head, "style")) {
                    if (definitions.styles.size() < MAX_STYLES) definitions.styles.push_back(read_style(item));
                } else if (item.is(Ns::Head, "charPr")) {
                    if (definitions.character_shapes.size() < MAX_U16_IDS) {
                        definitions.character_shapes.push_back(read_character_shape(item));
                    }
                } else if (item.is(Ns::Head, "borderFill")) {
                    keep_border_fill(definitions.border_fills, border_fills++, read_border_fill(item));
                } else if (item.is(Ns::Head, "fontface")) {
                    read_fonts(item, fonts);
                    fonts_here = true;
                }
            }
        }
    }
    if (fonts_here) definitions.fonts = FontTable(std::move(fonts));
}

}  // namespace

Definitions read_header(ByteBuffer part, std::string_view name) {
    Definitions definitions;
    const std::string_view text(reinterpret_cast<const char*>(part.data()), part.size());
    HeaderCuts cuts = find_unread_definitions(text);
    // The character shapes, border fills and fonts the prefilter found are
    // read from the text before they are taken out, the fonts only when
    // first asked for; left in the part, they are read from its tree.
    if (!cuts.character_shapes.empty()) definitions.character_shapes = scan_character_shapes(cuts.character_shapes);
    if (!cuts.border_fills.empty()) definitions.border_fills = scan_border_fills(cuts.border_fills);
    if (!cuts.fonts.empty()) {
        definitions.fonts = FontTable([fonts = std::string(cuts.fonts)] { return scan_fonts(fonts); });
    }
    take_out(part, cuts);
    Result<std::unique_ptr<XmlPart>> parsed = XmlPart::parse(std::move(part), name);
    if (!parsed) return {};
    read_tree(parsed.value()->root(), definitions);
    return definitions;
}

}  // namespace brindle::hwpx
