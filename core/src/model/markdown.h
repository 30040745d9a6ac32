// Markdown assembly: the document's blocks, and the definitions of its notes
// after them, as one text.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "brindle/parsed_document.h"
#include "model/content_block.h"
#include "model/walk_context.h"

namespace brindle {

// A picture as the Markdown shows it: "[이미지]", "[이미지: caption]", a
// linked picture's path in the same brackets, or, for a picture handed out
// as a file, "![caption](target)".
void append_image_placeholder(std::string& out, const Image& image);

// What assembly records of the text it writes, for a parse: the headings
// and where the pages begin; and whether it marks the pages in the text.
struct MarkdownMap {
    std::vector<OutlineEntry>* outline = nullptr;
    std::vector<PageStart>* pages = nullptr;
    bool page_markers = false;
};

// The Markdown text of a document's blocks (consumed), followed by the
// definitions of its notes (footnotes, then endnotes), trimmed at the end.
std::string assemble_markdown(BlockList blocks, std::span<const NoteDefinition> notes = {}, MarkdownMap* map = nullptr);

}  // namespace brindle
