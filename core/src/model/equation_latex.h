// The word processor's equation script as LaTeX: the script's tree
// (model/equation_script.h) written out. Every LaTeX text written is well
// formed (balanced braces and environments, no "$", no bare "|" or "<");
// what could not be converted is written as \text{...} of its script.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brindle {

// The LaTeX of `script` (UTF-8), trimmed; empty for a blank script.
std::string equation_to_latex(std::string_view script);

}  // namespace brindle
