// The header part's fonts and character properties, read from its text
// before it is parsed: half of a header's bytes, of which a few attributes
// are all that is read. The lists are those the prefilter found, plainly
// delimited (no comment or CDATA in them).
#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "model/definitions.h"

namespace brindle::hwpx {

// The character shapes of an hh:charProperties list (hh:charPr height >
// hh:fontRef, hh:bold, hh:italic), in order.
std::vector<CharacterShape> scan_character_shapes(std::string_view list);

// The fonts of an hh:fontfaces list (hh:fontface lang > hh:font face), in
// order.
FontTable::Names scan_fonts(std::string_view list);

// The scripts by the values of fontface's "lang" and the attributes of
// fontRef, in the order of Script.
inline constexpr std::array<std::string_view, SCRIPTS> SCRIPT_LANGS = {"HANGUL", "LATIN", "HANJA", "JAPANESE",
                                                                        "OTHER",  "SYMBOL", "USER"};
inline constexpr std::array<std::string_view, SCRIPTS> SCRIPT_ATTRIBUTES = {"hangul", "latin", "hanja", "japanese",
                                                                            "other",  "symbol", "user"};

// The script a fontface's "lang" names; none for another value.
std::optional<Script> script_of_lang(std::string_view lang);

}  // namespace brindle::hwpx
