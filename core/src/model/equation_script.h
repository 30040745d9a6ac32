// The word processor's equation script read into a tree of its constructs.
// The script is an eqn-like language: words (keywords case-insensitive,
// Greek letters by their case), braces for grouping, infix "over"/"atop",
// scripts "^"/"_"/"sup"/"sub", prefix constructs (sqrt, root .. of, accents,
// fonts, big operators with "from"/"to", left .. right, matrices and piles
// whose rows are split by "#" and columns by "&"), quoted text and the
// spaces "~" and "`".
//
// It is read in two steps, tokens and then a tree, whose leaves are the
// LaTeX of the script's symbols and words; what cannot be converted is
// kept as the text of its script. Time and size are linear in the script's
// length, and nesting deeper than MAX_EQUATION_DEPTH is kept as text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brindle::equation {

inline constexpr std::size_t MAX_EQUATION_DEPTH = 32;

struct Node {
    enum class Kind : std::uint8_t {
        Seq,        // kids in order
        Group,      // one kid, in braces
        Atom,       // text: LaTeX
        Text,       // text: characters, written in \text
        Frac,       // numerator, denominator
        Atop,       // the same without a rule
        Sqrt,       // body
        Root,       // index, body
        Scripts,    // base, sub, sup, left sub, left sup (see `slots`)
        Accent,     // text: command; body
        Brace,      // text: \overbrace or \underbrace; body, label
        Font,       // text: command; body
        Delimited,  // text, extra: the delimiters; body
        Array,      // text: environment, extra: column; kids: rows (Seq of cells)
        Lines,      // kids: the lines
    };
    Kind kind = Kind::Seq;
    std::uint8_t slots = 0;  // Scripts: which of sub, sup, left sub, left sup are present
    std::string text;
    std::string extra;
    std::vector<Node> kids;

    static Node atom(std::string_view latex) { return Node{Kind::Atom, 0, std::string(latex), {}, {}}; }
    static Node text_of(std::string_view chars) { return Node{Kind::Text, 0, std::string(chars), {}, {}}; }
    static Node of(Kind kind, std::vector<Node> kids, std::string text = {}, std::string extra = {}) {
        return Node{kind, 0, std::move(text), std::move(extra), std::move(kids)};
    }
    bool empty() const { return kind == Kind::Seq && kids.empty(); }
};

enum Slot : std::uint8_t { SUB = 1, SUP = 2, LEFT_SUB = 4, LEFT_SUP = 8 };

// The tree of `script` (UTF-8).
Node parse_script(std::string_view script);

}  // namespace brindle::equation
