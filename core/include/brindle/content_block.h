// Content blocks: what the section walk produces and Markdown assembly
// consumes.
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "brindle/table.h"

namespace brindle {

struct Paragraph {
    std::string text;  // as produced; never blank after trimming
};

struct Equation {
    std::string script;  // as decoded, untrimmed
};

struct Image {
    std::string caption;  // trimmed; empty when the picture has none
};

// Alternatives in the order Paragraph, Table, Equation, Image.
using ContentBlock = std::variant<Paragraph, Table, Equation, Image>;
using BlockList = std::vector<ContentBlock>;

}  // namespace brindle
