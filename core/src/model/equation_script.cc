// The equation script's reader: a lexer that cuts the script into tokens
// and a recursive-descent parser that builds a tree of the constructs.
#include "model/equation_script.h"

#include <algorithm>
#include <array>
#include <optional>

#include "text.h"

namespace brindle::equation {
namespace {

// --- tokens ------------------------------------------------------------------------------

enum class Tok : std::uint8_t {
    End,
    Word,    // a run of ASCII letters
    Number,  // digits, with a decimal point between digits
    Quoted,  // "text" (without its quotes)
    Symbol,  // an operator or punctuation, one to three ASCII characters
    Other,   // one character outside ASCII
    Open,    // {
    Close,   // }
    Row,     // #
    Column,  // &
    Sup,     // ^
    Sub,     // _
};

struct Token {
    Tok kind = Tok::End;
    std::string_view text;
    std::size_t begin = 0, end = 0;  // byte offsets in the script
};

bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Operators written with more than one character, longest first.
constexpr std::array<std::string_view, 13> COMPOUND = {"<<<", ">>>", "<->", "<=", ">=", "!=", "==",
                                                       "<<",  ">>",  "->",  "+-", "-+", "||"};

class Lexer {
public:
    explicit Lexer(std::string_view script) : s_(script) {}

    const Token& peek() {
        if (!peeked_) {
            next_ = scan();
            peeked_ = true;
        }
        return next_;
    }

    Token take() {
        peek();
        peeked_ = false;
        return next_;
    }

    std::string_view script() const { return s_; }

private:
    Token scan() {
        // White space and control characters separate tokens and are
        // otherwise nothing: spacing is written with "~" and "`".
        while (at_ < s_.size() && static_cast<unsigned char>(s_[at_]) <= 0x20) ++at_;
        const std::size_t begin = at_;
        if (at_ >= s_.size()) return {Tok::End, {}, begin, begin};
        const char c = s_[at_];
        auto token = [&](Tok kind, std::size_t length) {
            at_ += length;
            return Token{kind, s_.substr(begin, length), begin, at_};
        };
        if (is_letter(c)) {
            std::size_t end = at_;
            while (end < s_.size() && is_letter(s_[end])) ++end;
            return token(Tok::Word, end - at_);
        }
        if (is_digit(c)) {
            std::size_t end = at_;
            while (end < s_.size() &&
                   (is_digit(s_[end]) || (s_[end] == '.' && end + 1 < s_.size() && is_digit(s_[end + 1])))) {
                ++end;
            }
            return token(Tok::Number, end - at_);
        }
        if (c == '"') {
            const std::size_t close = s_.find('"', at_ + 1);
            const std::size_t end = close == std::string_view::npos ? s_.size() : close + 1;
            const std::size_t inner_end = close == std::string_view::npos ? s_.size() : close;
            at_ = end;
            return Token{Tok::Quoted, s_.substr(begin + 1, inner_end - begin - 1), begin, end};
        }
        switch (c) {
            case '{': return token(Tok::Open, 1);
            case '}': return token(Tok::Close, 1);
            case '#': return token(Tok::Row, 1);
            case '&': return token(Tok::Column, 1);
            case '^': return token(Tok::Sup, 1);
            case '_': return token(Tok::Sub, 1);
            default: break;
        }
        if (static_cast<unsigned char>(c) >= 0x80) {
            const Utf8Char u = decode_utf8_char(s_.substr(at_));
            return token(Tok::Other, u.length == 0 ? 1 : u.length);
        }
        for (const std::string_view op : COMPOUND) {
            if (s_.substr(at_, op.size()) == op) return token(Tok::Symbol, op.size());
        }
        return token(Tok::Symbol, 1);
    }

    std::string_view s_;
    std::size_t at_ = 0;
    Token next_;
    bool peeked_ = false;
};

// --- the vocabulary ---------------------------------------------------------------------

struct Entry {
    std::string_view word;
    std::string_view latex;
};

template <std::size_t N>
std::optional<std::string_view> look_up(const std::array<Entry, N>& table, std::string_view word) {
    for (const Entry& e : table) {
        if (e.word == word) return e.latex;
    }
    return std::nullopt;
}

std::string lower(std::string_view word) {
    std::string out(word);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// Greek letters: lower case by an all-lower-case name, capitals by a name
// that starts with a capital (ALPHA, Alpha). Capitals shaped like Latin
// letters are those letters, upright.
struct Greek {
    std::string_view name, small, capital;
};
// clang-format off
constexpr std::array<Greek, 30> GREEK = {{
    {"alpha", "\\alpha", "\\mathrm{A}"},       {"beta", "\\beta", "\\mathrm{B}"},
    {"gamma", "\\gamma", "\\Gamma"},           {"delta", "\\delta", "\\Delta"},
    {"epsilon", "\\epsilon", "\\mathrm{E}"},   {"zeta", "\\zeta", "\\mathrm{Z}"},
    {"eta", "\\eta", "\\mathrm{H}"},           {"theta", "\\theta", "\\Theta"},
    {"iota", "\\iota", "\\mathrm{I}"},         {"kappa", "\\kappa", "\\mathrm{K}"},
    {"lambda", "\\lambda", "\\Lambda"},        {"mu", "\\mu", "\\mathrm{M}"},
    {"nu", "\\nu", "\\mathrm{N}"},             {"xi", "\\xi", "\\Xi"},
    {"omicron", "o", "\\mathrm{O}"},           {"pi", "\\pi", "\\Pi"},
    {"rho", "\\rho", "\\mathrm{P}"},           {"sigma", "\\sigma", "\\Sigma"},
    {"tau", "\\tau", "\\mathrm{T}"},           {"upsilon", "\\upsilon", "\\Upsilon"},
    {"phi", "\\phi", "\\Phi"},                 {"chi", "\\chi", "\\mathrm{X}"},
    {"psi", "\\psi", "\\Psi"},                 {"omega", "\\omega", "\\Omega"},
    {"varepsilon", "\\varepsilon", "\\varepsilon"}, {"vartheta", "\\vartheta", "\\vartheta"},
    {"varpi", "\\varpi", "\\varpi"},           {"varrho", "\\varrho", "\\varrho"},
    {"varsigma", "\\varsigma", "\\varsigma"},  {"varphi", "\\varphi", "\\varphi"},
}};
// clang-format on

std::optional<std::string_view> greek(std::string_view word) {
    const std::string name = lower(word);
    for (const Greek& g : GREEK) {
        if (g.name != name) continue;
        return word == name ? g.small : g.capital;
    }
    return std::nullopt;
}

// Words whose case matters: the double arrows are the capitalised names of
// the single ones.
// clang-format off
constexpr std::array<Entry, 11> CASED_SYMBOLS = {{
    {"LARROW", "\\Leftarrow"}, {"RARROW", "\\Rightarrow"}, {"LRARROW", "\\Leftrightarrow"},
    {"UPARROW", "\\Uparrow"}, {"DOWNARROW", "\\Downarrow"}, {"UDARROW", "\\Updownarrow"},
    {"Re", "\\Re"}, {"Im", "\\Im"}, {"LEFTARROW", "\\Leftarrow"}, {"RIGHTARROW", "\\Rightarrow"},
    {"DEG", "{}^{\\circ}"},
}};

// Symbols by their lower-case name.
constexpr std::array<Entry, 94> SYMBOLS = {{
    {"inf", "\\infty"}, {"infinity", "\\infty"}, {"infty", "\\infty"}, {"partial", "\\partial"},
    {"nabla", "\\nabla"}, {"forall", "\\forall"}, {"exist", "\\exists"}, {"exists", "\\exists"},
    {"therefore", "\\therefore"}, {"because", "\\because"}, {"emptyset", "\\emptyset"}, {"angle", "\\angle"},
    {"triangle", "\\triangle"}, {"deg", "{}^{\\circ}"}, {"cdots", "\\cdots"}, {"ldots", "\\ldots"},
    {"vdots", "\\vdots"}, {"ddots", "\\ddots"}, {"cdot", "\\cdot"}, {"times", "\\times"},
    {"div", "\\div"}, {"pm", "\\pm"}, {"mp", "\\mp"}, {"circ", "\\circ"},
    {"bullet", "\\bullet"}, {"star", "\\star"}, {"prime", "\\prime"}, {"aleph", "\\aleph"},
    {"hbar", "\\hbar"}, {"ell", "\\ell"}, {"wp", "\\wp"}, {"le", "\\le"},
    {"leq", "\\le"}, {"ge", "\\ge"}, {"geq", "\\ge"}, {"ne", "\\ne"},
    {"neq", "\\ne"}, {"approx", "\\approx"}, {"sim", "\\sim"}, {"simeq", "\\simeq"},
    {"cong", "\\cong"}, {"equiv", "\\equiv"}, {"propto", "\\propto"}, {"perp", "\\perp"},
    {"parallel", "\\parallel"}, {"in", "\\in"}, {"notin", "\\notin"}, {"owns", "\\ni"},
    {"ni", "\\ni"}, {"subset", "\\subset"}, {"supset", "\\supset"}, {"subseteq", "\\subseteq"},
    {"supseteq", "\\supseteq"}, {"cup", "\\cup"}, {"cap", "\\cap"}, {"smallunion", "\\cup"},
    {"smallinter", "\\cap"}, {"sqcup", "\\sqcup"}, {"sqcap", "\\sqcap"}, {"vee", "\\vee"},
    {"wedge", "\\wedge"}, {"oplus", "\\oplus"}, {"ominus", "\\ominus"}, {"otimes", "\\otimes"},
    {"odot", "\\odot"}, {"oslash", "\\oslash"}, {"prec", "\\prec"}, {"succ", "\\succ"},
    {"mid", "\\mid"}, {"larrow", "\\leftarrow"}, {"rarrow", "\\rightarrow"}, {"lrarrow", "\\leftrightarrow"},
    {"leftarrow", "\\leftarrow"}, {"rightarrow", "\\rightarrow"}, {"uparrow", "\\uparrow"},
    {"downarrow", "\\downarrow"}, {"udarrow", "\\updownarrow"}, {"nearrow", "\\nearrow"},
    {"searrow", "\\searrow"}, {"nwarrow", "\\nwarrow"}, {"swarrow", "\\swarrow"}, {"mapsto", "\\mapsto"},
    {"lbrace", "\\{"}, {"rbrace", "\\}"}, {"langle", "\\langle"}, {"rangle", "\\rangle"},
    {"dagger", "\\dagger"}, {"ddagger", "\\ddagger"}, {"bot", "\\bot"}, {"top", "\\top"},
    {"sharp", "\\sharp"}, {"flat", "\\flat"}, {"complement", "\\complement"}, {"not", "\\not"},
}};

// Named functions, upright.
constexpr std::array<Entry, 28> FUNCTIONS = {{
    {"sin", "\\sin"}, {"cos", "\\cos"}, {"tan", "\\tan"}, {"cot", "\\cot"}, {"sec", "\\sec"},
    {"csc", "\\csc"}, {"arcsin", "\\arcsin"}, {"arccos", "\\arccos"}, {"arctan", "\\arctan"},
    {"sinh", "\\sinh"}, {"cosh", "\\cosh"}, {"tanh", "\\tanh"}, {"coth", "\\coth"}, {"log", "\\log"},
    {"ln", "\\ln"}, {"lg", "\\lg"}, {"exp", "\\exp"}, {"det", "\\det"}, {"max", "\\max"}, {"min", "\\min"},
    {"gcd", "\\gcd"}, {"arg", "\\arg"}, {"dim", "\\dim"}, {"ker", "\\ker"}, {"hom", "\\hom"},
    {"lim", "\\lim"}, {"mod", "\\bmod"}, {"lcm", "\\operatorname{lcm}"},
}};

// Big operators, which take "from" and "to" below and above.
constexpr std::array<Entry, 19> BIG_OPERATORS = {{
    {"sum", "\\sum"}, {"prod", "\\prod"}, {"coprod", "\\coprod"}, {"int", "\\int"}, {"dint", "\\iint"},
    {"tint", "\\iiint"}, {"oint", "\\oint"}, {"odint", "\\oiint"}, {"otint", "\\oiiint"},
    {"union", "\\bigcup"}, {"inter", "\\bigcap"}, {"bigcup", "\\bigcup"}, {"bigcap", "\\bigcap"},
    {"bigsqcup", "\\bigsqcup"}, {"bigoplus", "\\bigoplus"}, {"bigotimes", "\\bigotimes"},
    {"bigodot", "\\bigodot"}, {"bigvee", "\\bigvee"}, {"bigwedge", "\\bigwedge"},
}};

constexpr std::array<Entry, 13> ACCENTS = {{
    {"hat", "\\widehat"}, {"check", "\\check"}, {"tilde", "\\widetilde"}, {"acute", "\\acute"},
    {"grave", "\\grave"}, {"dot", "\\dot"}, {"ddot", "\\ddot"}, {"bar", "\\overline"},
    {"vec", "\\overrightarrow"}, {"dyad", "\\overleftrightarrow"}, {"under", "\\underline"},
    {"arch", "\\overgroup"}, {"overline", "\\overline"},
}};

constexpr std::array<Entry, 3> FONTS = {{{"rm", "\\mathrm"}, {"it", "\\mathit"}, {"bold", "\\mathbf"}}};

// Arrays: the environment and, for an array, its column.
struct Layout {
    std::string_view word, environment, column;
};
constexpr std::array<Layout, 9> LAYOUTS = {{
    {"matrix", "matrix", ""}, {"pmatrix", "pmatrix", ""}, {"bmatrix", "bmatrix", ""},
    {"dmatrix", "vmatrix", ""}, {"cases", "cases", ""}, {"pile", "array", "c"},
    {"lpile", "array", "l"}, {"rpile", "array", "r"}, {"eqalign", "aligned", ""},
}};

// Constructs not converted: kept as the text of their script.
constexpr std::array<std::string_view, 8> UNCONVERTED = {"color", "rel", "buildrel", "ladder",
                                                         "slant", "longdiv", "bigg", "box"};

// Characters outside ASCII that have a LaTeX name; any other is text.
constexpr std::array<Entry, 25> UNICODE_SYMBOLS = {{
    {"×", "\\times"}, {"÷", "\\div"}, {"±", "\\pm"}, {"∓", "\\mp"}, {"≤", "\\le"}, {"≥", "\\ge"},
    {"≠", "\\ne"}, {"∞", "\\infty"}, {"·", "\\cdot"}, {"→", "\\to"}, {"←", "\\leftarrow"},
    {"↔", "\\leftrightarrow"}, {"⇒", "\\Rightarrow"}, {"∂", "\\partial"}, {"∇", "\\nabla"},
    {"∈", "\\in"}, {"°", "{}^{\\circ}"}, {"≈", "\\approx"}, {"≡", "\\equiv"}, {"∑", "\\sum"},
    {"∫", "\\int"}, {"∏", "\\prod"}, {"√", "\\surd"}, {"′", "\\prime"}, {"…", "\\ldots"},
}};
// clang-format on

// ASCII operators and punctuation.
std::string_view symbol_latex(std::string_view s) {
    // clang-format off
    static constexpr std::array<Entry, 19> TABLE = {{
        {"<", "\\lt"}, {">", "\\gt"}, {"|", "\\vert"}, {"||", "\\Vert"}, {"\\", "\\backslash"},
        {"%", "\\%"}, {"$", "\\text{\\textdollar}"}, {"<=", "\\le"}, {">=", "\\ge"}, {"!=", "\\ne"},
        {"==", "\\equiv"}, {"<<", "\\ll"}, {">>", "\\gg"}, {"<<<", "\\lll"}, {">>>", "\\ggg"},
        {"->", "\\to"}, {"<->", "\\leftrightarrow"}, {"+-", "\\pm"}, {"-+", "\\mp"},
    }};
    // clang-format on
    if (auto latex = look_up(TABLE, s)) return *latex;
    if (s == "~") return "~";
    if (s == "`") return "\\,";
    return s;  // + - = ( ) [ ] , ; : . ! ? ' / * @
}

// --- the parser --------------------------------------------------------------------------

// Where a sequence ends, besides the end of the script.
struct Stops {
    bool close = false;  // "}": the sequence is a group's
    bool right = false;  // "right": the body of "left"
    bool cells = false;  // "&" and "#": a cell of an array
};

class Parser {
public:
    explicit Parser(std::string_view script) : lex_(script) {}

    Node script() {
        Node node = sequence(Stops{});
        // What stops the top level is only the end.
        return node;
    }

private:
    // A nesting level taken for the life of a construct.
    struct Level {
        explicit Level(std::size_t& depth) : depth_(depth) { ++depth_; }
        ~Level() { --depth_; }
        Level(const Level&) = delete;
        Level& operator=(const Level&) = delete;
        std::size_t& depth_;
    };
    bool too_deep() const { return depth_ >= MAX_EQUATION_DEPTH; }

    bool stops_at(const Token& t, const Stops& stops) {
        if (t.kind == Tok::End) return true;
        if (stops.close && t.kind == Tok::Close) return true;
        if (stops.cells && (t.kind == Tok::Column || t.kind == Tok::Row)) return true;
        return stops.right && is_word(t, "right");
    }

    // Whether `t` is the keyword `word` (lower case), in any case.
    static bool is_word(const Token& t, std::string_view word) {
        if (t.kind != Tok::Word || t.text.size() != word.size()) return false;
        for (std::size_t k = 0; k < word.size(); ++k) {
            const char c = t.text[k];
            if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != word[k]) return false;
        }
        return true;
    }

    // Items until a stop; "over" and "atop" take the items on either side;
    // "#" outside an array breaks the line; a font word sets the rest.
    Node sequence(const Stops& stops) {
        std::vector<Node> lines;
        std::vector<Node> items;
        std::size_t fractions = 0;  // "over"s in a row, each nesting the one before
        while (!stops_at(lex_.peek(), stops)) {
            const Token t = lex_.peek();
            if (t.kind == Tok::Row) {
                lex_.take();
                lines.push_back(Node::of(Node::Kind::Seq, std::move(items)));
                items.clear();
                continue;
            }
            if (t.kind == Tok::Column) {  // alignment outside an array: nothing to align
                lex_.take();
                continue;
            }
            if (is_word(t, "over") || is_word(t, "atop")) {
                lex_.take();
                if (++fractions > MAX_EQUATION_DEPTH) {  // too deep a chain: a slash
                    items.push_back(Node::atom("/"));
                    continue;
                }
                Node numerator = items.empty() ? Node{} : std::move(items.back());
                if (!items.empty()) items.pop_back();
                Node denominator = scripted(stops);
                items.push_back(Node::of(is_word(t, "over") ? Node::Kind::Frac : Node::Kind::Atop,
                                         {std::move(numerator), std::move(denominator)}));
                continue;
            }
            if (t.kind == Tok::Word) {
                if (const auto font = look_up(FONTS, lower(t.text))) {
                    lex_.take();
                    if (too_deep()) continue;
                    Level level(depth_);
                    items.push_back(Node::of(Node::Kind::Font, {sequence(stops)}, std::string(*font)));
                    continue;
                }
            }
            fractions = 0;
            items.push_back(scripted(stops));
        }
        Node last = Node::of(Node::Kind::Seq, std::move(items));
        if (lines.empty()) return last;
        lines.push_back(std::move(last));
        return Node::of(Node::Kind::Lines, std::move(lines));
    }

    // An atom with its scripts, at most one of each slot; a slot taken
    // again starts scripts of its own after it, on an empty base
    // ("x^2^3" is x², then ³), which keeps the tree flat.
    static std::uint8_t script_slot(const Token& t) {
        if (t.kind == Tok::Sub) return SUB;
        if (t.kind == Tok::Sup) return SUP;
        if (t.kind != Tok::Word || t.text.size() > 4) return 0;
        if (is_word(t, "sub") || is_word(t, "from")) return SUB;
        if (is_word(t, "sup") || is_word(t, "to")) return SUP;
        if (is_word(t, "lsub")) return LEFT_SUB;
        if (is_word(t, "lsup")) return LEFT_SUP;
        return 0;
    }

    Node scripted(const Stops& stops) {
        Node base = atom(stops);
        if (script_slot(lex_.peek()) == 0) return base;  // most atoms have none
        std::vector<Node> parts;
        Node scripts = Node::of(Node::Kind::Scripts, {std::move(base), Node{}, Node{}, Node{}, Node{}});
        for (;;) {
            const std::uint8_t slot = script_slot(lex_.peek());
            if (slot == 0) break;
            lex_.take();
            if (scripts.slots & slot) {
                parts.push_back(std::move(scripts));
                scripts = Node::of(Node::Kind::Scripts, {Node{}, Node{}, Node{}, Node{}, Node{}});
            }
            const std::size_t index = slot == SUB ? 1 : slot == SUP ? 2 : slot == LEFT_SUB ? 3 : 4;
            scripts.kids[index] = argument(stops);
            scripts.slots |= slot;
        }
        Node last = scripts.slots == 0 ? std::move(scripts.kids[0]) : std::move(scripts);
        if (parts.empty()) return last;
        parts.push_back(std::move(last));
        return Node::of(Node::Kind::Seq, std::move(parts));
    }

    // The text of the script from `begin` to where the lexer stands.
    std::string_view since(std::size_t begin) {
        const std::size_t end = lex_.peek().begin;
        return lex_.script().substr(begin, std::max(end, begin) - begin);
    }

    // A group too deep to read: its script, up to its closing brace, as text.
    Node skip_group(std::size_t begin) {
        std::size_t open = 1;
        while (open > 0 && lex_.peek().kind != Tok::End) {
            const Token t = lex_.take();
            if (t.kind == Tok::Open) ++open;
            if (t.kind == Tok::Close) --open;
        }
        return Node::text_of(since(begin));
    }

    Node group() {
        const Token open = lex_.take();
        if (too_deep()) return skip_group(open.begin);
        Level level(depth_);
        Node body = sequence(Stops{true, false, false});
        if (lex_.peek().kind == Tok::Close) lex_.take();
        return Node::of(Node::Kind::Group, {std::move(body)});
    }

    // A construct's argument: an atom, or nothing when the script ends or
    // another construct's boundary comes first.
    Node argument(const Stops& stops) {
        if (too_deep()) return Node{};
        Level level(depth_);
        return atom(stops);
    }

    std::string delimiter() {
        const Token& t = lex_.peek();
        std::string_view found;
        if (t.kind == Tok::Symbol) {
            // clang-format off
            static constexpr std::array<Entry, 10> TABLE = {{
                {"(", "("}, {")", ")"}, {"[", "["}, {"]", "]"}, {"|", "\\vert"}, {"||", "\\Vert"},
                {".", "."}, {"/", "/"}, {"<", "\\langle"}, {">", "\\rangle"},
            }};
            // clang-format on
            if (auto d = look_up(TABLE, t.text)) found = *d;
        } else if (t.kind == Tok::Open) {
            found = "\\{";
        } else if (t.kind == Tok::Close) {
            found = "\\}";
        } else if (t.kind == Tok::Word) {
            // clang-format off
            static constexpr std::array<Entry, 8> TABLE = {{
                {"lbrace", "\\{"}, {"rbrace", "\\}"}, {"langle", "\\langle"}, {"rangle", "\\rangle"},
                {"lceil", "\\lceil"}, {"rceil", "\\rceil"}, {"lfloor", "\\lfloor"}, {"rfloor", "\\rfloor"},
            }};
            // clang-format on
            if (auto d = look_up(TABLE, lower(t.text))) found = *d;
        }
        if (found.empty()) return ".";  // no delimiter: an empty one, nothing taken
        lex_.take();
        return std::string(found);
    }

    Node array(const Layout& layout, std::size_t begin) {
        if (lex_.peek().kind != Tok::Open) return Node::text_of(since(begin));
        const Token open = lex_.take();
        if (too_deep()) return skip_group(open.begin);
        Level level(depth_);
        std::vector<Node> rows;
        std::vector<Node> cells;
        for (;;) {
            cells.push_back(sequence(Stops{true, false, true}));
            const Tok kind = lex_.peek().kind;
            if (kind == Tok::Column) {
                lex_.take();
                continue;
            }
            rows.push_back(Node::of(Node::Kind::Seq, std::move(cells)));
            cells.clear();
            if (kind != Tok::Row) break;
            lex_.take();
        }
        if (lex_.peek().kind == Tok::Close) lex_.take();
        return Node::of(Node::Kind::Array, std::move(rows), std::string(layout.environment),
                        std::string(layout.column));
    }

    Node word(const Stops& stops) {
        const Token t = lex_.peek();
        const std::string name = lower(t.text);
        if (name == "over" || name == "atop" || name == "sub" || name == "sup" || name == "from" || name == "to" ||
            name == "lsub" || name == "lsup") {
            return Node{};  // an infix word with nothing before it: the caller takes it
        }
        lex_.take();
        if (name == "sqrt") return Node::of(Node::Kind::Sqrt, {argument(stops)});
        if (name == "root") {
            Node index = argument(stops);
            if (is_word(lex_.peek(), "of")) lex_.take();
            Node body = argument(stops);
            return Node::of(Node::Kind::Root, {std::move(index), std::move(body)});
        }
        if (name == "left") {
            if (too_deep()) return Node::text_of(t.text);
            Level level(depth_);
            std::string open = delimiter();
            Node body = sequence(Stops{stops.close, true, stops.cells});
            std::string close = ".";
            if (is_word(lex_.peek(), "right")) {
                lex_.take();
                close = delimiter();
            }
            return Node::of(Node::Kind::Delimited, {std::move(body)}, std::move(open), std::move(close));
        }
        if (name == "right") {  // no "left" before it: the delimiter alone
            const std::string d = delimiter();
            return d == "." ? Node{} : Node::atom(d);
        }
        if (name == "overbrace" || name == "underbrace") {
            Node body = argument(stops);
            Node label = argument(stops);
            return Node::of(Node::Kind::Brace, {std::move(body), std::move(label)}, "\\" + name);
        }
        if (auto accent = look_up(ACCENTS, name)) {
            return Node::of(Node::Kind::Accent, {argument(stops)}, std::string(*accent));
        }
        for (const Layout& layout : LAYOUTS) {
            if (layout.word == name) return array(layout, t.begin);
        }
        if (std::find(UNCONVERTED.begin(), UNCONVERTED.end(), name) != UNCONVERTED.end()) {
            if (lex_.peek().kind == Tok::Open) group();
            return Node::text_of(since(t.begin));
        }
        if (auto g = greek(t.text)) return Node::atom(*g);
        if (auto s = look_up(CASED_SYMBOLS, t.text)) return Node::atom(*s);
        if (auto s = look_up(BIG_OPERATORS, name)) return Node::atom(*s);
        if (auto s = look_up(FUNCTIONS, name)) return Node::atom(*s);
        if (auto s = look_up(SYMBOLS, name)) return Node::atom(*s);
        return Node::atom(t.text);  // letters: variables
    }

    Node atom(const Stops& stops) {
        const Token t = lex_.peek();
        if (stops_at(t, stops)) return Node{};
        switch (t.kind) {
            case Tok::Open: return group();
            case Tok::Word: return word(stops);
            case Tok::Number: lex_.take(); return Node::atom(t.text);
            case Tok::Quoted: lex_.take(); return Node::text_of(t.text);
            case Tok::Close:  // a brace closing nothing: shown
                lex_.take();
                return Node::atom("\\}");
            case Tok::Symbol: lex_.take(); return Node::atom(symbol_latex(t.text));
            case Tok::Other: {
                lex_.take();
                if (auto s = look_up(UNICODE_SYMBOLS, t.text)) return Node::atom(*s);
                if (auto g = unicode_greek(t.text)) return Node::atom(*g);
                // A run of other characters (Hangul, CJK, ...) is one text.
                std::size_t end = t.end;
                while (lex_.peek().kind == Tok::Other && !look_up(UNICODE_SYMBOLS, lex_.peek().text) &&
                       !unicode_greek(lex_.peek().text)) {
                    end = lex_.take().end;
                }
                return Node::text_of(lex_.script().substr(t.begin, end - t.begin));
            }
            case Tok::Row:
            case Tok::Column:
            case Tok::Sup:
            case Tok::Sub:
            case Tok::End: return Node{};
        }
        return Node{};
    }

    // Greek letters written as themselves (α-ω, Α-Ω) read as LaTeX
    // commands, which every renderer has glyphs for.
    static std::optional<std::string_view> unicode_greek(std::string_view c) {
        const Utf8Char u = decode_utf8_char(c);
        if (u.length == 0) return std::nullopt;
        static constexpr std::array<std::string_view, 24> NAMES = {"alpha",  "beta", "gamma", "delta", "epsilon",
                                                                   "zeta",   "eta",  "theta", "iota",  "kappa",
                                                                   "lambda", "mu",   "nu",    "xi",    "omicron",
                                                                   "pi",     "rho",  "sigma", "tau",   "upsilon",
                                                                   "phi",    "chi",  "psi",   "omega"};
        char32_t v = u.value;
        bool capital = false;
        if (v >= 0x391 && v <= 0x3A9 && v != 0x3A2) {
            capital = true;
            v += 0x20;
        }
        if (v < 0x3B1 || v > 0x3C9 || v == 0x3C2) return std::nullopt;
        const std::size_t index = v - 0x3B1 - (v > 0x3C2 ? 1 : 0);
        for (const Greek& g : GREEK) {
            if (g.name == NAMES[index]) return capital ? g.capital : g.small;
        }
        return std::nullopt;
    }

    Lexer lex_;
    std::size_t depth_ = 0;
};

}  // namespace

Node parse_script(std::string_view script) { return Parser(script).script(); }

}  // namespace brindle::equation
