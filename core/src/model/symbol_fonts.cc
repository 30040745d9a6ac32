#include "model/symbol_fonts.h"

#include <array>

#include "text.h"

namespace brindle {
namespace {

#include "model/symbol_fonts.inc"

}  // namespace

SymbolFont symbol_font_of(std::string_view face) {
    struct Named {
        std::string_view name;
        SymbolFont font;
    };
    static constexpr std::array<Named, 5> NAMES = {{
        {"Symbol", SymbolFont::Symbol},
        {"Wingdings", SymbolFont::Wingdings},
        {"Wingdings 2", SymbolFont::Wingdings2},
        {"Wingdings 3", SymbolFont::Wingdings3},
        {"Webdings", SymbolFont::Webdings},
    }};
    while (!face.empty() && face.back() == ' ') face.remove_suffix(1);
    for (const Named& named : NAMES) {
        if (equals_ignoring_ascii_case(face, named.name)) return named.font;
    }
    return SymbolFont::None;
}

SymbolFont symbol_font_of(const Definitions& definitions, std::uint16_t shape) {
    if (shape >= definitions.character_shapes.size()) return SymbolFont::None;
    const CharacterShape& character = definitions.character_shapes[shape];
    // The symbol script's font first: the script a symbol is set in.
    constexpr std::array<Script, SCRIPTS> ORDER = {Script::Symbol, Script::Latin, Script::User,    Script::Other,
                                                   Script::Hangul, Script::Hanja, Script::Japanese};
    for (const Script script : ORDER) {
        const SymbolFont font = symbol_font_of(definitions.font_name(character, script));
        if (font != SymbolFont::None) return font;
    }
    return SymbolFont::None;
}

char32_t symbol_character(SymbolFont font, char32_t c) {
    if (font == SymbolFont::None || !is_symbol_code(c)) return 0;
    return SYMBOL_FONT_CHARACTERS[static_cast<std::size_t>(font) - 1][c - 0xF020];
}

}  // namespace brindle
