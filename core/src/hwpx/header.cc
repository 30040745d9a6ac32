// Contents/header.xml: what the full profile looks paragraphs up in, read
// into the same tables as the HWP file's DocInfo. As there, a definition's
// place in its list is its id (paragraph properties and styles from 0,
// numberings and bullets from 1): writers number them so, and where they do
// not (two bullets both "1"), the place is what the body's references mean.
#include "header.h"

#include <algorithm>
#include <array>
#include <limits>

#include "brindle/numbering.h"
#include "brindle/text.h"

namespace brindle::hwpx {
namespace {

constexpr std::size_t MAX_U16_IDS = std::size_t{std::numeric_limits<std::uint16_t>::max()} + 1;
constexpr std::size_t MAX_STYLES = 256;

// The number shapes by their OWPML names, in the order of their codes.
constexpr std::array<std::string_view, 17> NUMBER_SHAPES = {
    "DIGIT",          "CIRCLED_DIGIT",          "ROMAN_CAPITAL",        "ROMAN_SMALL",
    "LATIN_CAPITAL",  "LATIN_SMALL",            "CIRCLED_LATIN_CAPITAL", "CIRCLED_LATIN_SMALL",
    "HANGUL_SYLLABLE", "CIRCLED_HANGUL_SYLLABLE", "HANGUL_JAMO",          "CIRCLED_HANGUL_JAMO",
    "HANGUL_PHONETIC", "IDEOGRAPH",              "CIRCLED_IDEOGRAPH",    "DECAGON_CIRCLE",
    "DECAGON_CIRCLE_HANJA",
};

HeadKind head_kind(std::string_view type) {
    if (type == "OUTLINE") return HeadKind::Outline;
    if (type == "NUMBER") return HeadKind::Number;
    if (type == "BULLET") return HeadKind::Bullet;
    return HeadKind::None;
}

ParaShape read_para_shape(Element para_pr) {
    ParaShape shape;
    // The heading may stand in a switch's default branch in newer writers'
    // files; its first occurrence is taken.
    Element heading = para_pr.child(Ns::Head, "heading");
    if (!heading) return shape;
    shape.head = head_kind(heading.attribute("type"));
    shape.level = static_cast<std::uint8_t>(std::min<std::uint32_t>(heading.number("level"), NUMBERING_LEVELS - 1));
    shape.numbering = static_cast<std::uint16_t>(std::min<std::uint32_t>(heading.number("idRef"), 0xFFFF));
    return shape;
}

// The text of a format, cut to MAX_NUMBER_FORMAT_UNITS UTF-16 units as the
// binary format's are.
std::string cut_format(std::string_view format) {
    std::string out;
    std::size_t units = 0;
    while (!format.empty()) {
        const Utf8Char c = decode_utf8_char(format);
        if (c.length == 0) break;
        units += c.value >= 0x10000 ? 2 : 1;
        if (units > MAX_NUMBER_FORMAT_UNITS) break;
        out.append(format.substr(0, c.length));
        format.remove_prefix(c.length);
    }
    return out;
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
        formats[k] = cut_format(head.text());
        numbering.shapes[k] = number_shape_of(head.attribute("numFormat"));
        numbering.starts[k] = std::max<std::uint32_t>(head.number("start", numbering.starts[k]), 1);
    }
    for (std::size_t k = 0; k < NUMBERING_LEVELS; ++k) {
        numbering.offsets[k] = static_cast<std::uint16_t>(numbering.formats.size());
        numbering.formats += formats[k];
    }
    numbering.offsets[NUMBERING_LEVELS] = static_cast<std::uint16_t>(numbering.formats.size());
    return numbering;
}

char32_t read_bullet(Element bullet) {
    const Utf8Char c = decode_utf8_char(bullet.attribute("char"));
    return c.length > 0 ? c.value : 0;
}

}  // namespace

std::uint8_t number_shape_of(std::string_view name) {
    const auto it = std::find(NUMBER_SHAPES.begin(), NUMBER_SHAPES.end(), name);
    return it == NUMBER_SHAPES.end() ? std::uint8_t{SHAPE_DIGITS} : static_cast<std::uint8_t>(it - NUMBER_SHAPES.begin());
}

DocInfo read_header(Element head) {
    DocInfo info;
    // head > beginNum, refList > (paraProperties, numberings, bullets, styles, ...)
    for (Element block : head.children()) {
        if (block.is(Ns::Head, "beginNum")) {
            info.footnote_start = static_cast<std::uint16_t>(std::min<std::uint32_t>(block.number("footnote", 1), 0xFFFF));
            info.endnote_start = static_cast<std::uint16_t>(std::min<std::uint32_t>(block.number("endnote", 1), 0xFFFF));
            continue;
        }
        if (!block.is(Ns::Head, "refList")) continue;
        for (Element list : block.children()) {
            for (Element item : list.children()) {
                if (item.is(Ns::Head, "paraPr")) {
                    if (info.para_shapes.size() < MAX_U16_IDS) info.para_shapes.push_back(read_para_shape(item));
                } else if (item.is(Ns::Head, "numbering")) {
                    if (info.numberings.size() < MAX_U16_IDS) info.numberings.push_back(read_numbering(item));
                } else if (item.is(Ns::Head, "bullet")) {
                    if (info.bullets.size() < MAX_U16_IDS) info.bullets.push_back(read_bullet(item));
                } else if (item.is(Ns::Head, "style")) {
                    if (info.style_shapes.size() < MAX_STYLES) {
                        info.style_shapes.push_back(
                            static_cast<std::uint16_t>(std::min<std::uint32_t>(item.number("paraPrIDRef"), 0xFFFF)));
                    }
                }
            }
        }
    }
    return info;
}

}  // namespace brindle::hwpx
