// A full-profile paragraph as Markdown: one pass over its text that escapes
// the document's characters and puts at each control's anchor what the
// control adds (link brackets, note references, automatic numbers); then
// the click-here fields in place of their marks, as the exact profile
// renders them; then the trim and the line starts. And link destinations.
#include <algorithm>
#include <vector>

#include "model/markdown_escape.h"
#include "model/paragraph.h"
#include "text.h"

namespace brindle {
namespace {

// The entries of one kind of control, taken in order by their anchors.
class Queue {
public:
    explicit Queue(const std::vector<std::string>& entries) : entries_(entries) {}
    const std::string* next() { return taken_ < entries_.size() ? &entries_[taken_++] : nullptr; }

private:
    const std::vector<std::string>& entries_;
    std::size_t taken_ = 0;
};

// How many times `c` occurs in `text`, counted up to `limit` (memchr finds
// each, where counting would look at every byte).
std::size_t count_up_to(std::string_view text, char c, std::size_t limit) {
    std::size_t n = 0;
    for (std::size_t p = text.find(c); p != std::string_view::npos && n < limit; p = text.find(c, p + 1)) ++n;
    return n;
}

// Line breaks one after another would leave a blank line, which ends a
// Markdown paragraph (and a list item): the lines of one paragraph stay
// together, each break a line feed, the empty lines between them dropped.
void drop_blank_lines(std::string& text, std::size_t from) {
    if (text.find('\n', from) == std::string::npos) return;
    std::string kept;
    kept.reserve(text.size() - from);
    for (std::size_t line = from; line <= text.size();) {
        std::size_t end = text.find('\n', line);
        if (end == std::string::npos) end = text.size();
        if (text.find_first_not_of(" \t", line) < end) {  // not blank
            if (!kept.empty()) kept.push_back('\n');
            kept.append(text, line, end - line);
        }
        line = end + 1;
    }
    if (kept.size() == text.size() - from) return;
    text.resize(from);
    text.append(kept);
}

// Append the paragraph's text escaped by `rules`, with what its controls add
// put at their anchors, and the inline equations no anchor took after it.
void append_anchored_text(std::string& out, const OpenParagraph& paragraph, EscapeRules rules) {
    const ParagraphText& para = paragraph.text.para;
    const ParagraphControls& controls = paragraph.controls;
    Queue links(controls.links), notes(controls.notes), numbers(controls.numbers), equations(controls.equations);
    std::string insert;
    std::string link_target;  // of the open link
    bool link_open = false;
    std::size_t link_start = 0;  // where the open link's text begins in `out`
    std::size_t pos = 0;

    // Escape the text up to `offset`, before `insert` (or the paragraph's
    // end, when `insert` is empty).
    auto emit = [&](std::size_t offset) {
        offset = std::clamp(offset, pos, para.text.size());
        rules.after = insert.empty() ? '\0' : insert.front();
        rules.link = link_open;
        append_markdown_text(out, std::string_view(para.text).substr(pos, offset - pos), rules);
        pos = offset;
    };
    auto close_link = [&] {
        if (out.size() == link_start) {
            out.pop_back();  // no text: no link, only its "["
        } else {
            out.append("](");
            append_link_destination(out, link_target);
            out.push_back(')');
        }
        link_open = false;
    };

    for (const ControlAnchor& anchor : para.anchors) {
        insert.clear();
        bool opens = false, closes = false;
        if (anchor.kind == AnchorKind::LinkStart) {
            const std::string* target = links.next();
            if (target != nullptr && !target->empty() && !link_open) {
                link_target = *target;
                insert = "[";
                opens = true;
            }
        } else if (anchor.kind == AnchorKind::FieldEnd) {
            if (link_open) {
                insert = "]";
                closes = true;
            }
        } else if (anchor.kind == AnchorKind::Note) {
            if (const std::string* label = notes.next()) insert = "[^" + *label + "]";
        } else if (anchor.kind == AnchorKind::Equation) {
            if (const std::string* latex = equations.next(); latex != nullptr && !latex->empty()) {
                insert = "$" + *latex + "$";
            }
        } else if (anchor.kind == AnchorKind::AutoNumber) {
            const std::string* number = numbers.next();
            if (number != nullptr && !number->empty()) {
                // The number's own characters (prefix, suffix) are text too.
                EscapeRules number_rules = rules;
                number_rules.after = UNKNOWN_NEXT;
                append_markdown_text(insert, *number, number_rules);
            }
        }
        if (insert.empty()) continue;
        emit(anchor.offset);
        if (closes) {
            close_link();
        } else {
            out.append(insert);
            if (opens) {
                link_open = true;
                link_start = out.size();
            }
        }
    }
    insert = link_open ? "]" : std::string();
    emit(para.text.size());
    if (link_open) close_link();  // a link running past the paragraph ends with it
    // Inline equations whose anchors the text did not hold end the text.
    for (const std::string* latex = equations.next(); latex != nullptr; latex = equations.next()) {
        if (latex->empty()) continue;
        out.append(" $");
        out.append(*latex);
        out.push_back('$');
    }
}

}  // namespace

void append_full_paragraph(std::string& destination, const OpenParagraph& paragraph, TextContext context) {
    const ParagraphText& para = paragraph.text.para;

    // Without fields the text is written straight into `destination`;
    // with them it goes through the field rendering first. Most paragraphs
    // hold no control that adds to their text: those are escaped whole, and
    // hold a line feed only if their text does; most of those hold nothing
    // to escape either, nor a tilde or a line feed, and are copied. (No room
    // is made beyond the text: a cell's short text stays in the string's
    // own buffer.)
    const bool fields = !para.field_texts.empty();
    const bool plain = !fields && para.anchors.empty() && paragraph.controls.equations.empty();
    const bool inert = plain && is_inert_markdown_text(para.text);

    // Two tildes anywhere could pair into strikethrough; a line feed lets a
    // "|" line start a table.
    std::size_t tildes = 0;
    bool lines = false;
    if (!inert) {
        tildes = count_up_to(para.text, '~', 2);
        lines = para.text.find('\n') != std::string::npos;
        for (const std::string& field : para.field_texts) {
            tildes += count_up_to(field, '~', 2 - tildes);
            lines = lines || field.find('\n') != std::string::npos;
        }
    }
    EscapeRules rules;
    rules.context = context;
    rules.tildes = tildes >= 2;
    rules.pipes = context == TextContext::Body && lines;

    const std::size_t begin = destination.size();
    std::string scratch;
    std::string& out = fields ? scratch : destination;
    if (inert) {
        out.append(para.text);
    } else if (plain) {
        out.reserve(out.size() + para.text.size() + para.text.size() / 8);
        append_markdown_text(out, para.text, rules);
    } else {
        out.reserve(out.size() + para.text.size() + para.text.size() / 8);
        append_anchored_text(out, paragraph, rules);
    }
    const bool breaks = !plain || lines;

    // Fields: their contents and descriptions are the document's text.
    if (fields) {
        rules.after = UNKNOWN_NEXT;
        rules.link = false;
        auto escaped = [&](std::string_view text) {
            std::string e;
            append_markdown_text(e, text, rules);
            return e;
        };
        std::vector<std::string> contents;
        contents.reserve(para.field_texts.size());
        for (const std::string& field : para.field_texts) contents.push_back(escaped(field));
        std::vector<ClickHereField> described;
        described.reserve(paragraph.text.fields.size());
        for (const ClickHereField& field : paragraph.text.fields) {
            described.push_back({escaped(field.name), escaped(field.direction), field.modified});
        }
        destination.append(render_paragraph(scratch, contents, described));
    }

    // Trim what was appended, then make its line starts (or line breaks,
    // in a cell) what Markdown needs.
    const std::string_view appended = std::string_view(destination).substr(begin);
    const std::string_view kept = trim(appended);
    destination.resize(begin + static_cast<std::size_t>(kept.data() - appended.data()) + kept.size());
    destination.erase(begin, static_cast<std::size_t>(kept.data() - appended.data()));
    if (context == TextContext::Cell) {
        if (!breaks) return;
        for (std::size_t p = destination.find('\n', begin); p != std::string::npos; p = destination.find('\n', p)) {
            destination.replace(p, 1, "<br>");
        }
    } else {
        if (breaks) drop_blank_lines(destination, begin);
        escape_line_starts(destination, begin);
        if (context == TextContext::Heading) escape_heading_end(destination);
    }
}

void append_link_destination(std::string& out, std::string_view target) {
    const bool bare =
        std::none_of(target.begin(), target.end(), [](char c) { return c == ' ' || c == '<' || c == '>'; });
    if (!bare) out.push_back('<');
    for (const char c : target) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            // No line may break a destination: controls are percent-encoded.
            static constexpr char hex[] = "0123456789ABCDEF";
            out.push_back('%');
            out.push_back(hex[static_cast<unsigned char>(c) >> 4]);
            out.push_back(hex[static_cast<unsigned char>(c) & 0xF]);
            continue;
        }
        const bool special = bare ? (c == '(' || c == ')' || c == '\\') : (c == '<' || c == '>' || c == '\\');
        if (special) out.push_back('\\');
        out.push_back(c);
    }
    if (!bare) out.push_back('>');
}

}  // namespace brindle
