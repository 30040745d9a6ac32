// Drawing objects and equations. A drawing object (hp:pic, hp:rect, ...,
// hp:container for a group) holds its text in hp:drawText lists and its
// members as child objects; its caption is an hp:caption list.
//
// The exact rules read it as they read the binary format's records: the
// caption's paragraphs and then every other paragraph in the object, in the
// order the binary format keeps them (a paragraph's text before what its
// controls hold; an object's caption before its content), and one picture
// anywhere in it makes the whole object a picture. The full profile takes
// each picture and each text list in order, members of groups to any depth.
#include <algorithm>
#include <string>

#include "model/paragraph.h"
#include "owpml/names.h"
#include "owpml/walk.h"
#include "text.h"

namespace brindle::owpml {
namespace {

constexpr std::array<std::string_view, 11> SHAPES = {
    "pic", "rect", "ellipse", "arc", "polygon", "curve", "line", "connectLine", "container", "ole", "textart",
};

bool is_shape(const Element& e) {
    return e.ns() == Ns::Paragraph && std::find(SHAPES.begin(), SHAPES.end(), e.local()) != SHAPES.end();
}

void append_joined(std::string& joined, std::string_view text, char separator) {
    const std::string_view kept = trim(text);
    if (kept.empty()) return;
    if (!joined.empty()) joined.push_back(separator);
    joined.append(kept);
}

// Every paragraph below `e` in the binary format's order, each paragraph's
// own text (characters only, fields not lifted) joined by `separator`. The
// element's caption comes first; `skip` (the object's own caption) and
// field parameters (a memo's text) are left out.
void gather_text(Element e, const Element& skip, std::string& out, char separator) {
    if (e.is(Ns::Paragraph, name::PARAGRAPH)) {
        const DecodedParagraph decoded = decode_paragraph(e, Profile::Exact, false);
        append_joined(out, decoded.text.text, separator);
        for (const Control& control : decoded.controls) gather_text(control.element, skip, out, separator);
        return;
    }
    if (e.is(Ns::Paragraph, name::FIELD_BEGIN)) return;
    const Element caption = e.child(Ns::Paragraph, name::CAPTION);
    if (caption && caption.node() != skip.node()) gather_text(caption, skip, out, separator);
    for (Element child : e.children()) {
        if (child.node() == caption.node() || child.node() == skip.node()) continue;
        gather_text(child, skip, out, separator);
    }
}

bool holds_picture(Element e, const Element& skip) {
    if (e.node() == skip.node()) return false;
    if (e.is(Ns::Paragraph, name::PICTURE)) return true;
    for (Element child : e.children()) {
        if (holds_picture(child, skip)) return true;
    }
    return false;
}

BlockList collect_exact(Element object) {
    const Element caption = object.child(Ns::Paragraph, name::CAPTION);
    std::string caption_text;
    if (caption) gather_text(caption, Element(), caption_text, ' ');
    std::string inner;
    gather_text(object, caption ? caption : Element(), inner, '\n');
    BlockList blocks;
    if (holds_picture(object, caption)) {
        blocks.emplace_back(Image{std::move(caption_text)});
    } else if (!inner.empty()) {
        blocks.emplace_back(Paragraph{std::move(inner), {}});
    } else if (!caption_text.empty()) {
        blocks.emplace_back(Paragraph{std::move(caption_text), {}});
    }
    return blocks;
}

// Full profile: an object's pictures and text lists, its members' after it.
void collect_members(Element object, BlockList& blocks, WalkContext& context, TextContext place) {
    if (object.is(Ns::Paragraph, name::PICTURE)) {
        // hc:img names the manifest item that holds the picture.
        const Element image = object.child(Ns::Core, name::IMAGE);
        blocks.emplace_back(picture_block(context, image ? image.attribute(name::BINARY_ITEM) : "", place));
        return;
    }
    for (Element child : object.children()) {
        if (child.is(Ns::Paragraph, name::DRAW_TEXT)) {
            walk_sub_list(child.child(Ns::Paragraph, name::SUB_LIST), blocks, context, place);
        } else if (is_shape(child)) {
            collect_members(child, blocks, context, place);
        }
    }
}

}  // namespace

BlockList collect_shape(Element object, WalkContext& context, TextContext place) {
    if (!context.full()) return collect_exact(object);
    Caption caption;
    if (const Element element = object.child(Ns::Paragraph, name::CAPTION))
        take_caption(element, caption, context, place);
    BlockList content;
    collect_members(object, content, context, place);
    BlockList blocks;
    append_object(blocks, std::move(caption), std::move(content));
    return blocks;
}

void take_equation(Element equation, OpenParagraph* paragraph, BlockList& out, WalkContext& context,
                   TextContext place) {
    Caption caption;
    if (const Element element = equation.child(Ns::Paragraph, name::CAPTION))
        take_caption(element, caption, context, place);
    const Element script = equation.child(Ns::Paragraph, name::SCRIPT);
    const Element position = equation.child(Ns::Paragraph, name::POSITION);
    const bool in_line = position && position.attribute(name::TREAT_AS_CHAR) == "1";
    append_equation(paragraph, out, script ? script.text() : std::string(), in_line, std::move(caption));
}

BlockList collect_equation(Element equation, WalkContext& context, TextContext place) {
    Caption caption;
    if (context.full()) {
        if (const Element element = equation.child(Ns::Paragraph, name::CAPTION)) {
            take_caption(element, caption, context, place);
        }
    }
    BlockList script;
    // As decoded, untrimmed; an empty script is no equation.
    if (const Element element = equation.child(Ns::Paragraph, name::SCRIPT)) {
        std::string text = element.text();
        if (!text.empty()) script.emplace_back(Equation{std::move(text)});
    }
    BlockList blocks;
    append_captioned(blocks, std::move(caption), std::move(script));
    return blocks;
}

}  // namespace brindle::owpml
