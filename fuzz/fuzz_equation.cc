// The equation converter on any script: the LaTeX must be well-formed
// UTF-8 with balanced braces and none of the characters it promises never
// to write bare ($, |, <, >), and no longer than a fixed multiple of the
// script.
#include "fuzz_support.h"
#include "model/equation_latex.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string script;
    brindle::append_valid_utf8(script, std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string latex = brindle::equation_to_latex(script);
    brindle::fuzz::require_utf8(latex);
    if (latex.size() > 32 * script.size() + 64) __builtin_trap();
    long depth = 0;
    for (std::size_t k = 0; k < latex.size(); ++k) {
        const char c = latex[k];
        if (c == '\\') {
            ++k;  // an escaped character, or a command's first letter
            continue;
        }
        if (c == '$' || c == '|' || c == '<' || c == '>') __builtin_trap();
        if (c == '{') ++depth;
        if (c == '}' && --depth < 0) __builtin_trap();
    }
    if (depth != 0) __builtin_trap();
    return 0;
}
