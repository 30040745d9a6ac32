// Fonts (hh:fontfaces > hh:fontface lang > hh:font face) and character
// properties (hh:charProperties > hh:charPr height > hh:fontRef, hh:bold,
// hh:italic), in the order they are listed: a definition's place in its
// list is its id, as elsewhere in the header. The scan stops at the end of
// the second list.
#include "hwpx/header_scan.h"

#include <algorithm>
#include <array>
#include <optional>

#include "hwpx/tag_scanner.h"
#include "text.h"

namespace brindle::hwpx {
namespace {

// The scripts by the values of fontface's "lang" and the attributes of
// fontRef, in the order of Script.
constexpr std::array<std::string_view, SCRIPTS> SCRIPT_LANGS = {"HANGUL", "LATIN", "HANJA", "JAPANESE",
                                                                 "OTHER",  "SYMBOL", "USER"};
constexpr std::array<std::string_view, SCRIPTS> SCRIPT_ATTRIBUTES = {"hangul", "latin", "hanja", "japanese",
                                                                     "other",  "symbol", "user"};

// The list being read.
enum class List { None, Fonts, CharacterShapes };

}  // namespace

void scan_fonts_and_character_shapes(std::string_view header, std::vector<CharacterShape>* shapes,
                                     FontTable::Names* fonts_by_script) {
    TagScanner scanner(header);
    // Each list is known by its first item; it ends at its own end tag
    // ("</hh:charProperties>", or the name another writer gives it).
    List list = List::None;
    std::string_view list_name, last_opened;
    bool fonts_read = fonts_by_script == nullptr, shapes_read = shapes == nullptr;
    std::vector<std::string>* fonts = nullptr;  // the fontface being read, when its script is known
    CharacterShape* shape = nullptr;            // the charPr being read, when it is kept
    while (!(fonts_read && shapes_read)) {
        const std::optional<Tag> tag = scanner.next();
        if (!tag) break;
        if (tag->kind == Tag::Kind::End) {
            if (list != List::None && tag->local == list_name) {
                (list == List::Fonts ? fonts_read : shapes_read) = true;
                list = List::None;
            }
            continue;
        }
        if (list == List::None) {
            const bool font = tag->local == "fontface", character = tag->local == "charPr";
            if ((font && !fonts_read) || (character && !shapes_read)) {
                list = font ? List::Fonts : List::CharacterShapes;
                list_name = last_opened;
            }
        }
        if (tag->kind == Tag::Kind::Start) last_opened = tag->local;
        if (list == List::Fonts) {
            if (tag->local == "fontface") {
                const std::optional<std::string> lang = tag_attribute(tag->attributes, "lang");
                const auto it = lang ? std::find(SCRIPT_LANGS.begin(), SCRIPT_LANGS.end(), *lang) : SCRIPT_LANGS.end();
                fonts = it == SCRIPT_LANGS.end() ? nullptr
                                                 : &(*fonts_by_script)[static_cast<std::size_t>(it - SCRIPT_LANGS.begin())];
            } else if (tag->local == "font" && fonts != nullptr && fonts->size() < MAX_U16_IDS) {
                fonts->push_back(cut_to_units(tag_attribute(tag->attributes, "face").value_or(""), MAX_NAME_UNITS));
            }
        } else if (list == List::CharacterShapes) {
            if (tag->local == "charPr") {
                shape = shapes->size() < MAX_U16_IDS ? &shapes->emplace_back() : nullptr;
                if (shape != nullptr) {
                    shape->height = static_cast<std::int32_t>(
                        std::min<std::uint32_t>(tag_number(tag->attributes, "height", 1000), 0x7FFFFFFF));
                }
            } else if (shape == nullptr) {
                continue;
            } else if (tag->local == "fontRef") {
                each_attribute(tag->attributes, [&](std::string_view name, std::string_view raw) {
                    const auto it = std::find(SCRIPT_ATTRIBUTES.begin(), SCRIPT_ATTRIBUTES.end(), name);
                    if (it != SCRIPT_ATTRIBUTES.end()) {
                        shape->fonts[static_cast<std::size_t>(it - SCRIPT_ATTRIBUTES.begin())] =
                            static_cast<std::uint16_t>(std::min<std::uint32_t>(parse_number(raw), 0xFFFF));
                    }
                    return true;
                });
            } else if (tag->local == "bold") {
                shape->bold = true;
            } else if (tag->local == "italic") {
                shape->italic = true;
            }
        }
    }
}

}  // namespace brindle::hwpx
