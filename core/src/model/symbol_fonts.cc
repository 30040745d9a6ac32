#include "model/symbol_fonts.h"

#include <array>

namespace brindle {
namespace {

#include "model/symbol_fonts.inc"

bool same_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

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
        if (same_ignoring_case(face, named.name)) return named.font;
    }
    return SymbolFont::None;
}

SymbolFont symbol_font_of(const Definitions& definitions, std::uint16_t shape) {
    if (shape >= definitions.character_shapes.size()) return SymbolFont::None;
    const CharacterShape& character = definitions.character_shapes[shape];
    // The symbol script's font first: the script a symbol is set in.
    constexpr std::array<Script, SCRIPTS> ORDER = {Script::Symbol, Script::Latin,  Script::User,    Script::Other,
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
