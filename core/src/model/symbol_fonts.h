// Symbol fonts: fonts whose codes 0x20 to 0xFF stand for symbols of their
// own (Symbol's Greek letters and mathematical signs, the Wingdings' and
// Webdings' pictures and arrows), which documents store as the private-use
// characters U+F020 to U+F0FF. Set in such a font, a reader sees the
// symbol; anywhere else the character is a box. The full profile writes
// the Unicode character the symbol is.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/definitions.h"

namespace brindle {

enum class SymbolFont : std::uint8_t { None, Symbol, Wingdings, Wingdings2, Wingdings3, Webdings };

// The symbol font a face name is, by its name as the documents write it
// ("Wingdings", "Wingdings 2", "Symbol", ...; any letter case).
SymbolFont symbol_font_of(std::string_view face);

// The symbol font character shape `shape` sets: the first of its scripts'
// fonts that is one, the symbol script's first.
SymbolFont symbol_font_of(const Definitions& definitions, std::uint16_t shape);

// Whether `c` is where documents store a symbol font's codes.
constexpr bool is_symbol_code(char32_t c) { return c >= 0xF020 && c <= 0xF0FF; }

// The Unicode character symbol code `c` (U+F020 to U+F0FF) of `font`
// stands for; 0 when none.
char32_t symbol_character(SymbolFont font, char32_t c);

}  // namespace brindle
