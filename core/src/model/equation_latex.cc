// The equation script's tree written as LaTeX.
#include "model/equation_latex.h"

#include <cstdint>
#include <string>

#include "model/equation_script.h"
#include "text.h"

namespace brindle {
namespace {

using equation::Node;

bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// --- LaTeX -------------------------------------------------------------------------------

// Characters in \text{...}: LaTeX's specials by their text-mode names,
// and "<", ">", "|" too, so that no Markdown reader takes them for HTML or
// a table's cell boundary.
void append_text(std::string& out, std::string_view chars) {
    out.append("\\text{");
    for (const char c : chars) {
        switch (c) {
            case '\\': out.append("\\textbackslash{}"); break;
            case '{': out.append("\\{"); break;
            case '}': out.append("\\}"); break;
            case '$': out.append("\\textdollar{}"); break;
            case '&': out.append("\\&"); break;
            case '#': out.append("\\#"); break;
            case '^': out.append("\\textasciicircum{}"); break;
            case '_': out.append("\\_"); break;
            case '%': out.append("\\%"); break;
            case '~': out.append("\\textasciitilde{}"); break;
            case '<': out.append("\\textless{}"); break;
            case '>': out.append("\\textgreater{}"); break;
            case '|': out.append("\\textbar{}"); break;
            default:
                // Control characters and line breaks are spaces.
                out.push_back(static_cast<unsigned char>(c) < 0x20 ? ' ' : c);
        }
    }
    out.push_back('}');
}

class Writer {
public:
    explicit Writer(std::string& out) : out_(out) {}

    void write(const Node& n) {
        switch (n.kind) {
            case Node::Kind::Seq:
                for (const Node& kid : n.kids) write(kid);
                break;
            case Node::Kind::Group: braced(n.kids[0]); break;
            case Node::Kind::Atom: piece(n.text); break;
            case Node::Kind::Text:
                append_text(out_, n.text);
                command_open_ = false;
                break;
            case Node::Kind::Frac:
                piece("\\frac");
                braced(n.kids[0]);
                braced(n.kids[1]);
                break;
            case Node::Kind::Atop:
                piece("\\genfrac{}{}{0pt}{}");
                braced(n.kids[0]);
                braced(n.kids[1]);
                break;
            case Node::Kind::Sqrt:
                piece("\\sqrt");
                braced(n.kids[0]);
                break;
            case Node::Kind::Root:
                piece("\\sqrt[");
                write(n.kids[0]);
                raw(']');
                braced(n.kids[1]);
                break;
            case Node::Kind::Scripts: scripts(n); break;
            case Node::Kind::Accent:
            case Node::Kind::Font:
                piece(n.text);
                braced(n.kids[0]);
                break;
            case Node::Kind::Brace:
                piece(n.text);
                braced(n.kids[0]);
                raw(n.text == "\\overbrace" ? '^' : '_');
                braced(n.kids[1]);
                break;
            case Node::Kind::Delimited:
                piece("\\left");
                piece(n.text);
                write(n.kids[0]);
                piece("\\right");
                piece(n.extra);
                break;
            case Node::Kind::Array: array(n); break;
            case Node::Kind::Lines:
                piece("\\begin{gathered}");
                for (std::size_t k = 0; k < n.kids.size(); ++k) {
                    if (k > 0) piece("\\\\");
                    write(n.kids[k]);
                }
                piece("\\end{gathered}");
                break;
        }
    }

private:
    // A piece of LaTeX, spaced from a command name before it that would
    // otherwise run into its letters.
    void piece(std::string_view latex) {
        if (latex.empty()) return;
        if (command_open_ && is_letter(latex.front())) out_.push_back(' ');
        out_.append(latex);
        // Whether the piece ends in a command's name (letters after a
        // backslash), which a letter after it would run on.
        std::size_t k = latex.size();
        while (k > 0 && is_letter(latex[k - 1])) --k;
        command_open_ = k > 0 && k < latex.size() && latex[k - 1] == '\\';
    }

    void raw(char c) {
        out_.push_back(c);
        command_open_ = false;
    }

    // `n` as one argument: a group is one already.
    void braced(const Node& n) {
        const Node* inner = &n;
        while (inner->kind == Node::Kind::Seq && inner->kids.size() == 1) inner = &inner->kids[0];
        if (inner->kind == Node::Kind::Group) return write(*inner);
        raw('{');
        write(n);
        raw('}');
    }

    void scripts(const Node& n) {
        if (n.slots & (equation::LEFT_SUB | equation::LEFT_SUP)) {
            piece("{}");
            if (n.slots & equation::LEFT_SUB) {
                raw('_');
                braced(n.kids[3]);
            }
            if (n.slots & equation::LEFT_SUP) {
                raw('^');
                braced(n.kids[4]);
            }
        }
        const Node& base = n.kids[0];
        // A symbol or a group takes scripts as it is; anything else (a
        // construct, a symbol written with scripts of its own, a space,
        // which TeX gives no scripts) in braces.
        const bool bare = base.kind == Node::Kind::Group ||
                          (base.kind == Node::Kind::Atom && base.text.find_first_of("^_") == std::string::npos &&
                           base.text != "\\not" && base.text != "\\," && base.text != "~");
        if (bare) {
            write(base);
        } else {
            braced(base);
        }
        if (n.slots & equation::SUB) {
            raw('_');
            braced(n.kids[1]);
        }
        if (n.slots & equation::SUP) {
            raw('^');
            braced(n.kids[2]);
        }
    }

    void array(const Node& n) {
        const bool is_array = n.text == "array";
        // Cases have two columns, a one-column pile one: cells past them
        // join the last column.
        const std::size_t columns = n.text == "cases" ? 2 : is_array ? 1 : SIZE_MAX;
        piece("\\begin{" + n.text + "}");
        if (is_array) piece("{" + n.extra + "}");
        for (std::size_t r = 0; r < n.kids.size(); ++r) {
            if (r > 0) piece("\\\\");
            const std::vector<Node>& cells = n.kids[r].kids;
            for (std::size_t c = 0; c < cells.size(); ++c) {
                if (c > 0) piece(c < columns ? "&" : "\\quad");
                write(cells[c]);
            }
        }
        piece("\\end{" + n.text + "}");
    }

    std::string& out_;
    bool command_open_ = false;
};

}  // namespace

std::string equation_to_latex(std::string_view script) {
    const Node tree = equation::parse_script(script);
    std::string out;
    Writer(out).write(tree);
    return std::string(trim(out));
}

}  // namespace brindle
