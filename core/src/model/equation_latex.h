// The word processor's equation script as LaTeX. The script is an eqn-like
// language: words (keywords case-insensitive, Greek letters by their case),
// braces for grouping, infix "over"/"atop", scripts "^"/"_"/"sup"/"sub",
// prefix constructs (sqrt, root .. of, accents, fonts, big operators with
// "from"/"to", left .. right, matrices and piles whose rows are split by
// "#" and columns by "&"), quoted text and the spaces "~" and "`".
//
// It is read in three steps: tokens, a tree, then LaTeX. Every LaTeX text
// written is well formed (balanced braces and environments, no "$", no bare
// "|" or "<"); what cannot be converted is written as \text{...} of its
// script. Time and output are linear in the script's length, and nesting
// deeper than MAX_EQUATION_DEPTH is written as text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brindle {

inline constexpr std::size_t MAX_EQUATION_DEPTH = 32;

// The LaTeX of `script` (UTF-8), trimmed; empty for a blank script.
std::string equation_to_latex(std::string_view script);

}  // namespace brindle
