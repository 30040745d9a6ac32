// Paragraph lists of a section part, walked as the HWP walk walks a
// section's records: a paragraph's text is decoded first, then its
// controls are taken in order. The exact rules end the paragraph at the
// first control that is not a click-here field it is waiting for, and
// write the blocks of tables, equations and drawing objects after it; the
// full profile keeps it open through all its controls, whose notes, links
// and numbers go into its text and whose blocks follow it.
#include "owpml/walk.h"

#include <algorithm>
#include <iterator>

#include "brindle/limits.h"
#include "model/numbering.h"
#include "owpml/names.h"
#include "owpml/page_layout.h"
#include "text.h"

namespace brindle::owpml {
namespace {

// A field's parameter by name (hp:parameters > hp:stringParam name=...).
std::string parameter(Element field_begin, std::string_view kind, std::string_view key) {
    const Element parameters = field_begin.child(Ns::Paragraph, name::PARAMETERS);
    if (!parameters) return {};
    for (Element p : parameters.children()) {
        if (p.is(Ns::Paragraph, kind) && p.attribute("name") == key) return p.text();
    }
    return {};
}

// UTF-8 to UTF-16LE code units, for the command readers shared with the
// binary format, where commands are UTF-16 and lengths count its units.
ByteBuffer utf16le(std::string_view text) {
    ByteBuffer out;
    out.reserve(2 * text.size());
    const auto unit = [&](char32_t u) {
        out.push_back(static_cast<std::uint8_t>(u & 0xFF));
        out.push_back(static_cast<std::uint8_t>(u >> 8));
    };
    while (!text.empty()) {
        const Utf8Char c = decode_utf8_char(text);
        if (c.length == 0) {
            text.remove_prefix(1);
            continue;
        }
        if (c.value >= 0x10000) {
            unit(0xD800 + ((c.value - 0x10000) >> 10));
            unit(0xDC00 + ((c.value - 0x10000) & 0x3FF));
        } else {
            unit(c.value);
        }
        text.remove_prefix(c.length);
    }
    return out;
}

// A click-here field is one whose kind (its "Prop" parameter, the byte the
// binary format keeps after its properties) is 9, as there.
constexpr std::string_view CLICK_HERE_KIND = "9";

// The first character of an attribute, as a one-character prefix or suffix.
void append_first_char(std::string& out, std::string_view text) {
    const Utf8Char c = decode_utf8_char(text);
    if (c.length > 0 && c.value >= 0x20) out.append(text.substr(0, c.length));
}

// An automatic number as the caption shows it: the numbers of pictures,
// tables and equations; page and note numbers depend on the layout or
// repeat a note's label, so they are not written.
std::string read_auto_number(Element auto_number) {
    const std::string_view type = auto_number.attribute("numType");
    if (type != "PICTURE" && type != "TABLE" && type != "EQUATION") return {};
    const Element format = auto_number.child(Ns::Paragraph, name::AUTO_NUMBER_FORMAT);
    std::string out;
    if (format) append_first_char(out, format.attribute("prefixChar"));
    append_number(out, auto_number.number("num", 0),
                  number_shape_of(format ? format.attribute("type") : std::string_view()));
    if (format) append_first_char(out, format.attribute("suffixChar"));
    return out;
}

std::string margin_label(ControlKind kind, Element margin) {
    std::string label = kind == ControlKind::Header ? "머리말" : "꼬리말";
    const std::string_view pages = margin.attribute("applyPageType");
    if (pages == "EVEN") label += " (짝수 쪽)";
    if (pages == "ODD") label += " (홀수 쪽)";
    return label;
}

class ParagraphWalk {
public:
    ParagraphWalk(Element p, const ListWalk& walk)
        : p_(p),
          walk_(walk),
          full_(walk.context.full()),
          layout_(full_ && !walk.bounded && walk.context.pages.counting()) {}

    void run() {
        if (layout_) read_paragraph_layout(p_, walk_.context.pages.begin_paragraph(walk_.blocks.size()));
        DecodedParagraph decoded = decode_paragraph(p_, walk_.context.profile, true, &walk_.context.definitions);
        refs_ = decoded.refs;
        open_.emplace(OpenParagraph{PendingParagraph{std::move(decoded.text), {}}, {}, decoded.look});
        for (const Control& control : decoded.controls) take(control);
        finish();
    }

private:
    void take(const Control& control) {
        if (layout_) read_layout_control(control, walk_.context.pages.paragraph(), walk_.context.pages);
        if (control.kind == ControlKind::ClickHere && open_ && open_->text.wants_field()) {
            open_->text.fields.push_back(describe_click_here(control.element));
            record_form_field(walk_.context, open_->text);
            return;
        }
        // The exact rules end the paragraph here; the full profile keeps it
        // open and puts the control's blocks after it.
        if (!full_ && open_) {
            flush_paragraph(open_->text, walk_.blocks);
            open_.reset();
        }
        WalkContext& context = walk_.context;
        BlockList& out = full_ && open_ ? open_->controls.trailing : walk_.blocks;
        switch (control.kind) {
            case ControlKind::Table: {
                TableBlocks table = parse_table(control.element, 0, context, walk_.place);
                if (walk_.headings) mark_origin(table.frame, Origin::Frame);
                if (table.table) table.frame.emplace_back(std::move(*table.table));
                append_captioned(out, std::move(table.caption), std::move(table.frame));
                break;
            }
            case ControlKind::Drawing: {
                BlockList blocks = collect_shape(control.element, context, walk_.place);
                std::move(blocks.begin(), blocks.end(), std::back_inserter(out));
                break;
            }
            case ControlKind::Equation: {
                if (full_) {
                    take_equation(control.element, open_ ? &*open_ : nullptr, out, context, walk_.place);
                    break;
                }
                BlockList blocks = collect_equation(control.element, context, walk_.place);
                std::move(blocks.begin(), blocks.end(), std::back_inserter(out));
                break;
            }
            default:
                if (full_)
                    take_paragraph_control(control, open_ ? &open_->controls : nullptr, out, context, !walk_.bounded);
                break;
        }
    }

    void finish() {
        if (!full_) {
            if (open_) flush_paragraph(open_->text, walk_.blocks);
            return;
        }
        // The number is taken after the controls: the section definition in
        // a section's first paragraph sets the outline numbering it is
        // numbered by.
        ParagraphHead head = paragraph_head(refs_, walk_.context);
        // A body paragraph's page is known now, before its blocks are written.
        if (layout_) walk_.context.pages.place_paragraph(walk_.blocks);
        if (open_) emit_paragraph(*open_, std::move(head), walk_.headings, walk_.place, walk_.blocks);
        if (!walk_.bounded) take_hoisted_margins(walk_.context, walk_.blocks);
        if (layout_) walk_.context.pages.end_paragraph(walk_.blocks);
    }

    Element p_;
    const ListWalk& walk_;
    ParagraphRefs refs_;
    const bool full_;
    const bool layout_;  // full profile: a body paragraph, which tells the pages where it begins
    std::optional<OpenParagraph> open_;
};

}  // namespace

ClickHereField describe_click_here(Element field_begin) {
    ClickHereField field;
    field.name = field_begin.attribute_text("name");
    // The guide text and the modified flag are read as the binary format's
    // header is: only for a field of the click-here kind.
    if (parameter(field_begin, name::INTEGER_PARAMETER, name::PROPERTIES) == CLICK_HERE_KIND) {
        const ByteBuffer command = utf16le(parameter(field_begin, name::STRING_PARAMETER, name::COMMAND));
        field.direction = read_click_here_direction(command);
        field.modified = field_begin.attribute("dirty") == "1";
    }
    return field;
}

ParagraphHead paragraph_head(ParagraphRefs refs, WalkContext& context) {
    // The binary format names shapes by u16 and styles by u8.
    return context.numbering.head(static_cast<std::uint16_t>(std::min<std::uint32_t>(refs.shape, 0xFFFF)),
                                  static_cast<std::uint8_t>(std::min<std::uint32_t>(refs.style, 0xFF)),
                                  context.outline_numbering);
}

void walk_list(Element list, const ListWalk& walk) {
    if (!walk.bounded && walk.context.full()) walk.context.pages.begin_section();
    for (Element p : list.children()) {
        if (p.is(Ns::Paragraph, name::PARAGRAPH)) ParagraphWalk(p, walk).run();
    }
}

void walk_sub_list(Element sub_list, BlockList& blocks, WalkContext& context, TextContext place) {
    if (!sub_list) return;
    if (context.list_depth >= MAX_LIST_DEPTH) {
        context.warn_lists_too_deep();
        return;
    }
    ++context.list_depth;
    walk_list(sub_list, ListWalk{true, false, place, blocks, context});
    --context.list_depth;
}

void take_paragraph_control(const Control& control, ParagraphControls* controls, BlockList& out, WalkContext& context,
                            bool margins) {
    const Element e = control.element;
    switch (control.kind) {
        case ControlKind::Footnote:
        case ControlKind::Endnote: {
            const bool endnote = control.kind == ControlKind::Endnote;
            std::vector<NoteDefinition>& notes = endnote ? context.endnotes : context.footnotes;
            const std::uint16_t start =
                endnote ? context.definitions.endnote_start : context.definitions.footnote_start;
            // The number the document stores; counted on from the start
            // number where it stores none.
            const std::size_t index = notes.size();
            std::uint32_t number = e.number("number", 0);
            if (number == 0) number = start + static_cast<std::uint32_t>(index);
            // The definition takes its place before its content is walked, so
            // that notes inside it are defined after it.
            notes.push_back({context.note_label(endnote, number), {}});
            if (controls != nullptr) controls->notes.push_back(notes[index].label);
            BlockList blocks;
            walk_sub_list(e.child(Ns::Paragraph, name::SUB_LIST), blocks, context, TextContext::Body);
            notes[index].blocks = std::move(blocks);
            break;
        }
        case ControlKind::Header:
        case ControlKind::Footer: {
            BlockList blocks;
            walk_sub_list(e.child(Ns::Paragraph, name::SUB_LIST), blocks, context, TextContext::Body);
            append_margin(margins ? out : context.hoisted_margins, margin_label(control.kind, e), std::move(blocks));
            break;
        }
        case ControlKind::Hyperlink:
            if (controls != nullptr) {
                controls->links.push_back(
                    link_target_from_command(parameter(e, name::STRING_PARAMETER, name::COMMAND)));
            }
            break;
        case ControlKind::AutoNumber:
            if (controls != nullptr) controls->numbers.push_back(read_auto_number(e));
            break;
        case ControlKind::Section:
            // Some writers keep the section's page headers and footers in its
            // definition rather than in controls of their own.
            for (Element child : e.children()) {
                if (child.is(Ns::Paragraph, name::HEADER)) {
                    take_paragraph_control({child, ControlKind::Header}, controls, out, context, margins);
                } else if (child.is(Ns::Paragraph, name::FOOTER)) {
                    take_paragraph_control({child, ControlKind::Footer}, controls, out, context, margins);
                }
            }
            if (!e.attribute("outlineShapeIDRef").empty()) {
                context.outline_numbering = static_cast<std::uint16_t>(
                    std::min<std::uint32_t>(e.number("outlineShapeIDRef", context.outline_numbering), 0xFFFF));
            }
            break;
        default: break;
    }
}

}  // namespace brindle::owpml
