#include "hwpml/head.h"

#include "hwpml/translate.h"

#include <algorithm>
#include <array>
#include <string>

#include "model/numbering.h"
#include "model/properties.h"
#include "owpml/names.h"
#include "text.h"

namespace brindle::hwpml {
namespace {

using owpml::Element;
using owpml::Ns;

// The namespace of HWPML's elements once the file is translated.
constexpr Ns PLAIN = TRANSLATED;

std::uint16_t id16(Element e, std::string_view name) {
    return static_cast<std::uint16_t>(std::min<std::uint32_t>(e.number(name), 0xFFFF));
}

// Colours are the binary format's COLORREF (0x00BBGGRR) in decimal.
std::uint32_t colour(Element e, std::string_view name) {
    // Absent, not a number, or past 24 bits (4294967295, none): no colour.
    const std::uint32_t value = e.number(name, FillBrush::NONE);
    if (value > 0xFFFFFF) return FillBrush::NONE;
    return (value & 0xFF) << 16 | (value & 0xFF00) | (value >> 16 & 0xFF);
}

constexpr std::array<std::string_view, 6> ALIGNMENTS = {"Justify", "Left",       "Right",
                                                        "Center",  "Distribute", "DistributeSpace"};

ParagraphShape read_paragraph_shape(Element shape) {
    ParagraphShape out;
    const auto align = std::find(ALIGNMENTS.begin(), ALIGNMENTS.end(), shape.attribute("Align"));
    if (align != ALIGNMENTS.end()) out.alignment = static_cast<Alignment>(align - ALIGNMENTS.begin());
    const std::string_view type = shape.attribute("HeadingType");
    out.head = type == "Outline"  ? HeadKind::Outline
               : type == "Number" ? HeadKind::Number
               : type == "Bullet" ? HeadKind::Bullet
                                  : HeadKind::None;
    out.level = static_cast<std::uint8_t>(std::min<std::uint32_t>(shape.number("Level"), NUMBERING_LEVELS - 1));
    out.numbering = id16(shape, "Heading");
    return out;
}

constexpr std::array<std::string_view, SCRIPTS> SCRIPT_NAMES = {"Hangul", "Latin",  "Hanja", "Japanese",
                                                                "Other",  "Symbol", "User"};

CharacterShape read_character_shape(Element shape) {
    CharacterShape out;
    out.height = static_cast<std::int32_t>(std::min<std::uint32_t>(shape.number("Height", 1000), 0x7FFFFFFF));
    if (const Element fonts = shape.child(PLAIN, "FONTID")) {
        for (std::size_t k = 0; k < SCRIPTS; ++k) out.fonts[k] = id16(fonts, SCRIPT_NAMES[k]);
    }
    out.bold = static_cast<bool>(shape.child(PLAIN, "BOLD"));
    out.italic = static_cast<bool>(shape.child(PLAIN, "ITALIC"));
    return out;
}

Numbering read_numbering(Element element) {
    Numbering numbering;
    numbering.starts.fill(std::max<std::uint32_t>(element.number("Start", 1), 1));
    std::array<std::string, NUMBERING_LEVELS> formats;
    for (Element head : element.children()) {
        if (!head.is(PLAIN, "PARAHEAD")) continue;
        const std::uint32_t level = head.number("Level", 0);
        if (level < 1 || level > NUMBERING_LEVELS) continue;
        const std::size_t k = level - 1;
        formats[k] = cut_to_units(head.text(), MAX_NUMBER_FORMAT_UNITS);
        numbering.shapes[k] = owpml::number_shape_of(owpml_spelling(head.attribute("NumFormat")));
        numbering.starts[k] = std::max<std::uint32_t>(head.number("Start", numbering.starts[k]), 1);
    }
    numbering.set_formats(formats);
    return numbering;
}

constexpr std::array<std::string_view, 6> HATCH_STYLES = {"Horizontal", "Vertical", "BackSlash",
                                                          "Slash",      "Cross",    "CrossDiagonal"};

Shade read_border_fill(Element fill) {
    FillBrush brush;
    const Element brushes = fill.child(PLAIN, "FILLBRUSH");
    if (const Element window = brushes ? brushes.child(PLAIN, "WINDOWBRUSH") : Element()) {
        brush.face = colour(window, "FaceColor");
        brush.hatch = colour(window, "HatchColor");
        // A hatch style, by name or code, as its code + 1; none when absent.
        const std::string_view style = window.attribute("HatchStyle");
        const auto named = std::find(HATCH_STYLES.begin(), HATCH_STYLES.end(), style);
        const std::uint32_t code = named != HATCH_STYLES.end()
                                       ? static_cast<std::uint32_t>(named - HATCH_STYLES.begin())
                                       : window.number("HatchStyle", 0xFFFFFFFF);
        brush.pattern = code < HATCH_STYLES.size() ? static_cast<std::uint8_t>(code + 1) : 0;
    }
    if (const Element gradation = brushes ? brushes.child(PLAIN, "GRADATION") : Element()) {
        if (const Element first = gradation.child(PLAIN, "COLOR")) brush.gradation = colour(first, "Value");
    }
    return shade_of(brush);
}

BinaryItem read_binary_item(Element item) {
    BinaryItem out;
    const std::string_view type = item.attribute("Type");
    if (type == "Link") {
        out.kind = BinaryItem::Kind::Link;
        out.path = cut_to_units(item.attribute_text(item.attribute("APath").empty() ? "RPath" : "APath"), 1024);
    } else {
        out.kind = type == "Storage" ? BinaryItem::Kind::Storage : BinaryItem::Kind::Embedding;
        out.storage_id = id16(item, "BinData");
        out.extension = cut_to_units(item.attribute_text("Format"), 16);
    }
    return out;
}

// Each item of a list by `read`, into `out`, at most `most`.
template <class T, class Read>
void read_list(Element list, std::string_view name, std::vector<T>& out, std::size_t most, Read read) {
    for (Element item : list.children()) {
        if (item.is(PLAIN, name) && out.size() < most) out.push_back(read(item));
    }
}

}  // namespace

Definitions read_definitions(Element head) {
    Definitions definitions;
    if (const Element setting = head.child(PLAIN, "DOCSETTING")) {
        if (const Element begin = setting.child(PLAIN, "BEGINNUMBER")) {
            definitions.footnote_start =
                static_cast<std::uint16_t>(std::clamp<std::uint32_t>(begin.number("Footnote", 1), 1, 0xFFFF));
            definitions.endnote_start =
                static_cast<std::uint16_t>(std::clamp<std::uint32_t>(begin.number("Endnote", 1), 1, 0xFFFF));
        }
    }
    const Element table = head.child(PLAIN, "MAPPINGTABLE");
    if (!table) return definitions;
    FontTable::Names fonts;
    for (Element list : table.children()) {
        const std::string_view name = list.local();
        if (name == "FACENAMELIST") {
            for (Element face : list.children()) {
                const auto script = std::find(SCRIPT_NAMES.begin(), SCRIPT_NAMES.end(), face.attribute("Lang"));
                if (!face.is(PLAIN, "FONTFACE") || script == SCRIPT_NAMES.end()) continue;
                std::vector<std::string>& names = fonts[static_cast<std::size_t>(script - SCRIPT_NAMES.begin())];
                for (Element font : face.children()) {
                    if (font.is(PLAIN, "FONT") && names.size() < MAX_U16_IDS) {
                        names.push_back(cut_to_units(font.attribute_text("Name"), MAX_NAME_UNITS));
                    }
                }
            }
        } else if (name == "BORDERFILLLIST") {
            std::size_t index = 0;
            for (Element fill : list.children()) {
                if (fill.is(PLAIN, "BORDERFILL"))
                    keep_border_fill(definitions.border_fills, index++, read_border_fill(fill));
            }
        } else if (name == "CHARSHAPELIST") {
            for (Element shape : list.children()) {
                if (shape.is(PLAIN, "CHARSHAPE") && definitions.character_shapes.size() < MAX_U16_IDS) {
                    definitions.character_shapes.push_back(read_character_shape(shape));
                }
            }
        } else if (name == "PARASHAPELIST") {
            read_list(list, "PARASHAPE", definitions.paragraph_shapes, MAX_U16_IDS, read_paragraph_shape);
        } else if (name == "NUMBERINGLIST") {
            read_list(list, "NUMBERING", definitions.numberings, MAX_U16_IDS, read_numbering);
        } else if (name == "BULLETLIST") {
            read_list(list, "BULLET", definitions.bullets, MAX_U16_IDS, [](Element bullet) {
                const Utf8Char c = decode_utf8_char(bullet.attribute("Char"));
                return c.length > 0 ? c.value : char32_t{0};
            });
        } else if (name == "STYLELIST") {
            read_list(list, "STYLE", definitions.styles, MAX_STYLES, [](Element style) {
                Style out;
                out.name = cut_to_units(style.attribute_text("Name"), MAX_NAME_UNITS);
                out.character = style.attribute("Type") == "Char";
                out.paragraph_shape = id16(style, "ParaShape");
                out.character_shape = id16(style, "CharShape");
                return out;
            });
        } else if (name == "BINDATALIST") {
            read_list(list, "BINITEM", definitions.binary_items, MAX_U16_IDS, read_binary_item);
        }
    }
    definitions.fonts = FontTable(std::move(fonts));
    return definitions;
}

DocumentProperties read_summary(Element head) {
    DocumentProperties properties;
    const Element summary = head.child(PLAIN, "DOCSUMMARY");
    if (!summary) return properties;
    struct Named {
        std::string_view element;
        std::string_view key;
    };
    static constexpr Named NAMED[] = {
        {"TITLE", property::TITLE},       {"SUBJECT", property::SUBJECT},   {"AUTHOR", property::AUTHOR},
        {"KEYWORDS", property::KEYWORDS}, {"COMMENTS", property::COMMENTS},
    };
    for (Element field : summary.children()) {
        for (const Named& named : NAMED) {
            if (field.is(PLAIN, named.element))
                properties.set(named.key, cut_to_units(field.text(), MAX_PROPERTY_BYTES));
        }
        // The date as the word processor wrote it, in words of the
        // writer's language; kept as a timestamp where it reads as one.
        if (field.is(PLAIN, "DATE")) {
            if (std::optional<std::string> date = normalize_date(field.text()))
                properties.set(property::CREATED, *date);
        }
    }
    return properties;
}

}  // namespace brindle::hwpml
