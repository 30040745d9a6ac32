// Fonts, character properties and border fills found by their tags' names
// in the text, in the order they are listed: a definition's place in its
// list is its id, as elsewhere in the header.
#include "hwpx/header_scan.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>

#include "hwpx/markup_search.h"
#include "text.h"

namespace brindle::hwpx {
namespace {

std::optional<Script> script_in(const std::array<std::string_view, SCRIPTS>& names, std::string_view name) {
    const auto it = std::find(names.begin(), names.end(), name);
    if (it == names.end()) return std::nullopt;
    return static_cast<Script>(it - names.begin());
}

// The element whose start tag is `tag`, up to the next start tag of its
// name (these lists hold no element inside another of its name).
std::string_view up_to(std::string_view list, StartTag tag, StartTag next) {
    return list.substr(tag.lt, (next.found() ? next.lt : list.size()) - tag.lt);
}

// The hatch patterns by their OWPML names, in the order of their codes.
constexpr std::array<std::string_view, 6> HATCH_STYLES = {"HORIZONTAL", "VERTICAL", "BACK_SLASH",
                                                          "SLASH",      "CROSS",    "CROSS_DIAGONAL"};

// The character property whose start tag's "<" stands at `lt` in `list`,
// which ends where the next one starts: its height, and its children tag
// by tag in one pass.
CharacterShape read_character_shape(std::string_view list, std::size_t lt) {
    CharacterShape shape;
    std::size_t name_end = lt + 1;
    while (name_end < list.size() && (is_name_char(list[name_end]) || list[name_end] == ':')) ++name_end;
    each_attribute(tag_attributes(list, StartTag{lt, name_end}), [&](std::string_view name, std::string_view raw) {
        if (name != "height") return true;
        shape.height = static_cast<std::int32_t>(std::min<std::uint32_t>(parse_number(raw, 1000), 0x7FFFFFFF));
        return false;
    });
    for (std::size_t at = list.find('<', name_end); at != std::string_view::npos; at = list.find('<', at + 1)) {
        if (at + 1 >= list.size() || list[at + 1] == '/') continue;
        std::size_t end = at + 1, local = at + 1;
        while (end < list.size() && (is_name_char(list[end]) || list[end] == ':')) {
            if (list[end] == ':') local = end + 1;
            ++end;
        }
        const std::string_view name = list.substr(local, end - local);
        if (name == "fontRef") {
            std::size_t k = 0;  // written in the scripts' order, looked up when not
            each_attribute(tag_attributes(list, StartTag{at, end}),
                           [&](std::string_view attribute, std::string_view raw) {
                               std::optional<Script> script;
                               if (k < SCRIPTS && attribute == SCRIPT_ATTRIBUTES[k]) {
                                   script = static_cast<Script>(k);
                               } else {
                                   script = script_in(SCRIPT_ATTRIBUTES, attribute);
                               }
                               ++k;
                               if (script) {
                                   shape.fonts[static_cast<std::size_t>(*script)] =
                                       static_cast<std::uint16_t>(std::min<std::uint32_t>(parse_number(raw), 0xFFFF));
                               }
                               return true;
                           });
        } else if (name == "bold") {
            shape.bold = true;
        } else if (name == "italic") {
            shape.italic = true;
        }
    }
    return shape;
}

}  // namespace

std::uint32_t parse_colour(std::string_view raw) {
    if (raw.size() != 7 || raw[0] != '#') return FillBrush::NONE;
    std::uint32_t value = 0;
    for (const char c : raw.substr(1)) {
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0) return FillBrush::NONE;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return value;
}

std::uint8_t hatch_pattern_of(std::string_view style) {
    const auto it = std::find(HATCH_STYLES.begin(), HATCH_STYLES.end(), style);
    return it == HATCH_STYLES.end() ? 0 : static_cast<std::uint8_t>(it - HATCH_STYLES.begin() + 1);
}

std::optional<Script> script_of_lang(std::string_view lang) { return script_in(SCRIPT_LANGS, lang); }

CharacterShapes scan_character_shapes(std::string_view list) {
    // Where each property's start tag stands; "P" is rare in the list's
    // names. The list is copied from the part, which is parsed in place.
    std::vector<std::uint32_t> starts;
    for (StartTag tag = find_start_tag(list, "charPr", 4, 0); tag.found() && starts.size() < MAX_U16_IDS;
         tag = find_start_tag(list, "charPr", 4, tag.name_end)) {
        starts.push_back(static_cast<std::uint32_t>(tag.lt));
    }
    if (starts.empty()) return {};
    const std::size_t count = starts.size();
    starts.push_back(static_cast<std::uint32_t>(list.size()));
    return CharacterShapes(count, [text = std::make_shared<const std::string>(list),
                                   starts = std::make_shared<const std::vector<std::uint32_t>>(std::move(starts))](
                                      std::size_t id) {
        const std::string_view element = std::string_view(*text).substr(0, (*starts)[id + 1]);
        return read_character_shape(element, (*starts)[id]);
    });
}

std::vector<Shade> scan_border_fills(std::string_view list) {
    // Names found by a rare byte of theirs: "F", "u", "g"; a colour is the
    // first hc:color after the gradation's tag. Most lists hold no brush at
    // all, and then no fill shades anything.
    std::vector<Shade> shades;
    if (find_by(list, "fillBrush", 6, 0) == std::string_view::npos) return shades;
    std::size_t index = 0;
    for (StartTag tag = find_start_tag(list, "borderFill", 6, 0); tag.found() && index < MAX_U16_IDS; ++index) {
        const StartTag next = find_start_tag(list, "borderFill", 6, tag.name_end);
        const std::string_view element = up_to(list, tag, next);
        FillBrush brush;
        if (const StartTag window = find_start_tag(element, "winBrush", 5, 0); window.found()) {
            each_attribute(tag_attributes(element, window), [&](std::string_view name, std::string_view raw) {
                if (name == "faceColor") brush.face = parse_colour(raw);
                if (name == "hatchColor") brush.hatch = parse_colour(raw);
                if (name == "hatchStyle") brush.pattern = hatch_pattern_of(raw);
                return true;
            });
        }
        if (const StartTag gradation = find_start_tag(element, "gradation", 0, 0); gradation.found()) {
            if (const StartTag colour = find_start_tag(element, "color", 4, gradation.name_end); colour.found()) {
                each_attribute(tag_attributes(element, colour), [&](std::string_view name, std::string_view raw) {
                    if (name != "value") return true;
                    brush.gradation = parse_colour(raw);
                    return false;
                });
            }
        }
        keep_border_fill(shades, index, shade_of(brush));
        tag = next;
    }
    return shades;
}

FontTable::Names scan_fonts(std::string_view list) {
    FontTable::Names names;
    for (StartTag face = find_start_tag(list, "fontface", 4, 0); face.found();) {  // "f"
        const StartTag next = find_start_tag(list, "fontface", 4, face.name_end);
        std::optional<Script> script;
        each_attribute(tag_attributes(list, face), [&](std::string_view name, std::string_view raw) {
            if (name != "lang") return true;
            script = script_of_lang(raw);
            return false;
        });
        if (script) {
            const std::string_view element = up_to(list, face, next);
            std::vector<std::string>& fonts = names[static_cast<std::size_t>(*script)];
            for (StartTag font = find_start_tag(element, "font", 3, face.name_end - face.lt);
                 font.found() && fonts.size() < MAX_U16_IDS; font = find_start_tag(element, "font", 3, font.name_end)) {
                std::string& name = fonts.emplace_back();
                each_attribute(tag_attributes(element, font), [&](std::string_view attribute, std::string_view raw) {
                    if (attribute != "face") return true;
                    name = cut_to_units(unescape_attribute(raw), MAX_NAME_UNITS);
                    return false;
                });
            }
        }
        face = next;
    }
    return names;
}

}  // namespace brindle::hwpx
