// Markdown assembly: every content block becomes its text followed by an
// empty line, all in one buffer whose trailing white space is cut at the end.
//
// Full-profile blocks add: a paragraph's number, bullet or heading marks
// before its text; the blocks of a page header or footer as a quote under
// its label; where each page begins, recorded for a parse and marked
// "<!-- page N -->" when asked for; and after the body, the definitions of
// the notes.
#include <algorithm>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "model/markdown.h"
#include "model/markdown_escape.h"
#include "model/table.h"
#include "text.h"

namespace brindle {
namespace {

// Separates blocks: the line feed that ends the block's text, then an empty line.
constexpr std::string_view BLOCK_END = "\n\n";

// Headings go six levels deep; deeper outline levels stay at six.
constexpr std::size_t MAX_HEADING_LEVEL = 6;

// Ends an ordered list where the next item's number does not follow on, so
// that a renderer does not number it anew.
constexpr std::string_view LIST_BREAK = "<!-- -->\n\n";

// "<!-- page N -->" before the first block of each page, when asked for.
constexpr std::string_view PAGE_MARKER_OPEN = "<!-- page ";
constexpr std::string_view PAGE_MARKER_CLOSE = " -->\n\n";

// An ordered list item's marker: one to nine digits, then "." or ")".
struct ListMarker {
    std::uint32_t number = 0;
    char delimiter = 0;  // 0: not an ordered list item
};

ListMarker list_marker(std::string_view number) {
    ListMarker marker;
    if (number.size() < 2 || number.size() > 10) return marker;
    const char delimiter = number.back();
    if (delimiter != '.' && delimiter != ')') return marker;
    std::uint32_t value = 0;
    for (const char c : number.substr(0, number.size() - 1)) {
        if (c < '0' || c > '9') return marker;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return {value, delimiter};
}

class Writer {
public:
    explicit Writer(std::string& out, MarkdownMap* map = nullptr) : out_(out), map_(map) {}

    void block(const ContentBlock& block) {
        const PageOpening page = open_page();
        std::visit([this](const auto& b) { write(b); }, block);
        close_page(page);
    }

    // Something else was written: no list goes on past it.
    void end_list() { last_ = {}; }

    // A page begun before a block begins with what the block writes: its
    // start is recorded there, and marked when the map asks for markers. A
    // page whose blocks write nothing begins with the next that does.
    struct PageOpening {
        std::size_t start = std::string::npos;  // npos: no page begins here
        std::size_t body = 0;                   // where the block's own text starts
    };
    PageOpening open_page() { return page_pending_ ? open_pending_page() : PageOpening{}; }
    void close_page(const PageOpening& page) {
        if (page.start != std::string::npos) close_pending_page(page);
    }

private:
    PageOpening open_pending_page() {
        const std::size_t start = out_.size();
        if (map_->page_markers) {
            out_.append(PAGE_MARKER_OPEN);
            out_.append(std::to_string(page_));
            out_.append(PAGE_MARKER_CLOSE);
            last_ = {};  // the marker ends a list; the next item shows its own number
        }
        return {start, out_.size()};
    }

    void close_pending_page(const PageOpening& page) {
        if (out_.size() == page.body) {
            out_.resize(page.start);
            return;
        }
        if (map_->pages != nullptr) map_->pages->push_back(PageStart{page_, page.start});
        page_pending_ = false;
    }

    void write(const NewPage& b) {
        if (map_ == nullptr) return;
        page_pending_ = true;
        page_ = b.number;
    }

    void write(const Paragraph& b) {
        const std::string_view text = trim(b.text);
        if (text.empty()) return;
        if (b.heading > 0) return write_heading(b, text);
        const ParagraphHead& head = b.head;
        ListMarker marker;
        switch (head.kind) {
            case HeadKind::None: break;
            case HeadKind::Outline:
                out_.append(std::min<std::size_t>(head.level + 1, MAX_HEADING_LEVEL), '#');
                out_.push_back(' ');
                if (!head.number.empty()) {
                    append_number_text(head.number);
                    out_.push_back(' ');
                }
                break;
            case HeadKind::Bullet: out_.append("- "); break;
            case HeadKind::Number:
                marker = list_marker(head.number);
                if (marker.delimiter != 0) {
                    // A list item: the renderer shows its number only if it
                    // does not follow on from an item just before it.
                    if (last_.delimiter == marker.delimiter && marker.number != last_.number + 1) {
                        out_.append(LIST_BREAK);
                    }
                    out_.append(head.number);
                    out_.push_back(' ');
                } else if (!head.number.empty()) {
                    std::string number;
                    append_number_text(number, head.number);
                    out_.append(escape_line_starts(number));
                    out_.push_back(' ');
                }
                break;
        }
        out_.append(text);
        out_.append(BLOCK_END);
        last_ = marker;
    }

    void write(const Table& b) {
        render_table(out_, b);
        last_ = {};
    }

    void write(const Equation& b) {
        // A display block even when the script is blank (by the exact
        // rules; LaTeX is never blank).
        out_.append("$$\n");
        out_.append(trim(b.script));
        out_.append("\n$$");
        out_.append(BLOCK_END);
        last_ = {};
    }

    void write(const Image& b) {
        append_image_placeholder(out_, b);
        out_.append(BLOCK_END);
        last_ = {};
    }

    void write(const HeaderFooter&) {}  // written with its blocks, by write_margin

    void append_number_text(std::string_view number) { append_number_text(out_, number); }
    static void append_number_text(std::string& out, std::string_view number) {
        append_markdown_text(out, number, EscapeRules{TextContext::Heading, true, false, false, ' '});
    }

    // A heading: its marks, the number its numbering gives it, its text
    // (one line; an outline paragraph's was written for a heading, any
    // other's has a closing "#" sequence escaped here).
    void write_heading(const Paragraph& b, std::string_view text) {
        const std::size_t level = std::min<std::size_t>(b.heading, MAX_HEADING_LEVEL);
        if (map_ != nullptr && map_->outline != nullptr) {
            std::string plain = b.head.kind == HeadKind::Bullet ? std::string() : b.head.number;
            if (!plain.empty()) plain.push_back(' ');
            plain.append(unescape_markdown(text));
            map_->outline->push_back(OutlineEntry{static_cast<std::uint8_t>(level), std::move(plain), out_.size()});
        }
        out_.append(level, '#');
        out_.push_back(' ');
        if (b.head.kind != HeadKind::Bullet && !b.head.number.empty()) {
            append_number_text(b.head.number);
            out_.push_back(' ');
        }
        if (b.head.kind == HeadKind::Outline) {
            out_.append(text);
        } else {
            std::string heading(text);
            escape_heading_end(heading);
            out_.append(heading);
        }
        out_.append(BLOCK_END);
        last_ = {};
    }

    std::string& out_;
    MarkdownMap* map_;
    ListMarker last_;            // the ordered list item just written, if any
    bool page_pending_ = false;  // page_ begins with the next block that writes something
    std::uint32_t page_ = 0;
};

// Blocks written into a buffer of their own, to be indented or quoted.
std::string render_blocks(std::span<const ContentBlock> blocks) {
    std::string text;
    Writer writer(text);
    for (const ContentBlock& block : blocks) writer.block(block);
    text.resize(trim_end(text).size());
    return text;
}

// Every line of `text` after `first` (the first line) or `rest` (the others;
// empty lines get `rest` without its trailing spaces).
void append_prefixed(std::string& out, std::string_view text, std::string_view first, std::string_view rest) {
    bool first_line = true;
    while (true) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        const std::string_view prefix = first_line ? first : rest;
        out.append(line.empty() ? trim_end(prefix) : prefix);
        out.append(line);
        out.push_back('\n');
        first_line = false;
        if (end == text.size()) break;
        text.remove_prefix(end + 1);
    }
}

// A page header or footer: its blocks as a quote, the label first ("> 머리말:
// text" when it opens with a plain paragraph, on a line of its own before
// anything else).
void write_margin(std::string& out, const HeaderFooter& margin, std::span<const ContentBlock> blocks) {
    const std::string text = render_blocks(blocks);
    if (text.empty()) return;
    const auto* first = std::get_if<Paragraph>(&blocks.front());
    const bool inline_label = first != nullptr && first->head.kind == HeadKind::None;
    std::string quoted = margin.label + ":";
    quoted.append(inline_label ? " " : "\n\n");
    quoted.append(text);
    append_prefixed(out, quoted, "> ", "> ");
    out.push_back('\n');
}

// A note's definition: its label, then its blocks, the lines after the
// first indented so that they stay in the note.
void write_note(std::string& out, const NoteDefinition& note) {
    const std::string text = render_blocks(note.blocks);
    append_prefixed(out, text, "[^" + note.label + "]: ", "    ");
    out.push_back('\n');
}

// Near the Markdown's length: every block's text with room for the marks
// around it, so that the output is made once instead of copied as it grows.
std::size_t estimated_size(std::span<const ContentBlock> blocks, std::span<const NoteDefinition> notes) {
    constexpr std::size_t MARKS = 8;  // a block's end, a head's marks, a table row's bars
    std::size_t size = 0;
    for (const ContentBlock& block : blocks) {
        if (const auto* paragraph = std::get_if<Paragraph>(&block)) {
            size += paragraph->text.size() + paragraph->head.number.size() + MARKS;
        } else if (const auto* table = std::get_if<Table>(&block)) {
            for (const auto& row : table->rows) {
                size += row.size() + MARKS;
                for (const TableCell& cell : row) size += cell.text.size();
            }
            size += 4 * table->columns + MARKS;
        } else if (const auto* equation = std::get_if<Equation>(&block)) {
            size += equation->script.size() + MARKS;
        } else {
            size += MARKS;
        }
    }
    for (const NoteDefinition& note : notes) size += note.label.size() + estimated_size(note.blocks, {});
    return size;
}

}  // namespace

void append_image_placeholder(std::string& out, const Image& image) {
    if (!image.target.empty()) {
        // The caption is escaped text already; only a bracket it leaves bare
        // could end the image's description early.
        out.append("![");
        std::size_t backslashes = 0;
        for (const char c : image.caption) {
            if ((c == '[' || c == ']') && backslashes % 2 == 0) out.push_back('\\');
            backslashes = c == '\\' ? backslashes + 1 : 0;
            out.push_back(c);
        }
        out.append("](");
        out.append(image.target);
        out.push_back(')');
        return;
    }
    if (image.caption.empty() && image.linked_path.empty()) {
        out.append("[이미지]");
        return;
    }
    out.append("[이미지: ");
    out.append(image.caption);
    if (!image.linked_path.empty()) {
        if (!image.caption.empty()) out.append(" (");
        out.append(image.linked_path);
        if (!image.caption.empty()) out.push_back(')');
    }
    out.push_back(']');
}

std::string assemble_markdown(BlockList blocks, std::span<const NoteDefinition> notes, MarkdownMap* map) {
    std::string out;
    out.reserve(estimated_size(blocks, notes));
    Writer writer(out, map);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        if (const auto* margin = std::get_if<HeaderFooter>(&blocks[i])) {
            const std::size_t count = std::min<std::size_t>(margin->block_count, blocks.size() - i - 1);
            const auto page = writer.open_page();
            write_margin(out, *margin, std::span<const ContentBlock>(blocks).subspan(i + 1, count));
            writer.close_page(page);
            writer.end_list();
            i += count;
            continue;
        }
        writer.block(blocks[i]);
    }
    for (const NoteDefinition& note : notes) write_note(out, note);
    out.resize(trim_end(out).size());
    return out;
}

}  // namespace brindle
