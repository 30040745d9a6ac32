// Content blocks: what the section walk produces and Markdown assembly
// consumes.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "model/numbering.h"
#include "model/table.h"

namespace brindle {

// How a paragraph looks beyond its text, by the definitions it names
// (full profile): what the passes over a document's blocks weigh.
struct ParagraphLook {
    static constexpr std::uint16_t NONE = 0xFFFF;
    std::uint16_t character_shape = NONE;  // the shape most of its characters have
    std::uint16_t paragraph_shape = NONE;
    std::uint16_t style = NONE;
};

// Where a paragraph stands: in the body itself; in a table of the body read
// as its content (a frame around text, the rows of a form or a layout grid);
// or anywhere else (a cell's text, an object, a caption, a note, a page
// header or footer).
enum class Origin : std::uint8_t { Other, Body, Frame };

struct Paragraph {
    Paragraph(std::string text = {}, ParagraphHead head = {}) : text(std::move(text)), head(std::move(head)) {}

    std::string text;    // as produced; never blank after trimming
    ParagraphHead head;  // full profile: the number or bullet written before it
    // Full profile.
    ParagraphLook look;
    Origin origin = Origin::Other;
    std::uint8_t heading = 0;  // written as a heading of this level (1-6); 0: none
};

struct Equation {
    explicit Equation(std::string script = {}, bool latex = false) : script(std::move(script)), latex(latex) {}

    std::string script;  // as decoded, untrimmed; or, with `latex`, its LaTeX
    bool latex = false;  // full profile: written as display math
};

struct Image {
    explicit Image(std::string caption = {}) : caption(std::move(caption)) {}

    std::string caption;  // trimmed; empty when the picture has none
    // A parsed document's picture: the link to its file, or the path of a
    // picture kept outside the document (Markdown-escaped); both empty for
    // the placeholder alone.
    std::string target;
    std::string linked_path;
};

// Full profile: a page header or footer, whose content is the next
// `block_count` blocks of the list; written apart from the body.
struct HeaderFooter {
    std::string label;  // "머리말", "꼬리말 (짝수 쪽)", ...
    std::uint32_t block_count = 0;
};

// Full profile: where a page of the document's last layout begins, before
// the first block standing on it. Only the body's top-level list holds
// these, and only where the document stores its layout.
struct NewPage {
    std::uint32_t number = 1;
};

// Alternatives in the order Paragraph, Table, Equation, Image, HeaderFooter,
// NewPage.
using ContentBlock = std::variant<Paragraph, Table, Equation, Image, HeaderFooter, NewPage>;
using BlockList = std::vector<ContentBlock>;

}  // namespace brindle
