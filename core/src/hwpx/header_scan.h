// The header part's fonts, character properties and border fills, read
// from its text before it is parsed: half of a header's bytes, of which a
// few attributes are all that is read. The lists are those the prefilter
// found, plainly delimited (no comment or CDATA in them).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "model/definitions.h"

namespace brindle::hwpx {

// The character shapes of an hh:charProperties list (hh:charPr height >
// hh:fontRef, hh:bold, hh:italic), in order: where each stands is found
// now, and each is read from a copy of the list when first asked for.
CharacterShapes scan_character_shapes(std::string_view list);

// The fonts of an hh:fontfaces list (hh:fontface lang > hh:font face), in
// order.
FontTable::Names scan_fonts(std::string_view list);

// The shades of an hh:borderFills list (hh:borderFill > hc:fillBrush >
// hc:winBrush faceColor, hatchColor, hatchStyle; hc:gradation > hc:color
// value), in order, as keep_border_fill keeps them.
std::vector<Shade> scan_border_fills(std::string_view list);

// A brush's colour attribute ("#RRGGBB") as 0xRRGGBB; FillBrush::NONE for
// "none" or any other value.
std::uint32_t parse_colour(std::string_view raw);

// A hatchStyle value as FillBrush's pattern (its code + 1); 0 for none or
// a name not known.
std::uint8_t hatch_pattern_of(std::string_view style);

// The scripts by the values of fontface's "lang" and the attributes of
// fontRef, in the order of Script.
inline constexpr std::array<std::string_view, SCRIPTS> SCRIPT_LANGS = {"HANGUL", "LATIN",  "HANJA", "JAPANESE",
                                                                       "OTHER",  "SYMBOL", "USER"};
inline constexpr std::array<std::string_view, SCRIPTS> SCRIPT_ATTRIBUTES = {"hangul", "latin",  "hanja", "japanese",
                                                                            "other",  "symbol", "user"};

// The script a fontface's "lang" names; none for another value.
std::optional<Script> script_of_lang(std::string_view lang);

}  // namespace brindle::hwpx
