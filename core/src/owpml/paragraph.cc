// A paragraph's runs read in one pass into the model's paragraph text, as
// the HWP decoder reads a paragraph's code units: characters, the inline
// marks of hp:t (tabs, breaks, special spaces), and every control in the
// order it stands, its place kept where the full profile writes something
// there. A click-here field's content is lifted out between its start and
// the next field end, as in the binary format.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <string>

#include "model/symbol_fonts.h"
#include "owpml/names.h"
#include "owpml/walk.h"
#include "text.h"

namespace brindle::owpml {
namespace {

// Drawing objects: shapes, pictures, groups, OLE objects and charts.
constexpr std::array<std::string_view, 12> DRAWING_OBJECTS = {
    "pic", "rect", "ellipse", "arc", "polygon", "curve", "line", "connectLine", "container", "ole", "textart", "chart",
};

bool is_drawing(const Element& e) {
    return e.ns() == Ns::Paragraph &&
           std::find(DRAWING_OBJECTS.begin(), DRAWING_OBJECTS.end(), e.local()) != DRAWING_OBJECTS.end();
}

class Decoder {
public:
    Decoder(Profile profile, bool lift, const Definitions* definitions)
        : full_(profile == Profile::Full), lift_(lift || full_), definitions_(full_ ? definitions : nullptr) {}

    void run(Element run) {
        if (!full_) {
            for (Element item : run.children()) run_item(item);
            return;
        }
        run_ = run;
        run_font_known_ = false;
        // The run whose text is longest gives the paragraph its character
        // shape (its bytes stand for its characters).
        const std::size_t before = out_.text.text.size() + field_.size();
        for (Element item : run.children()) run_item(item);
        const std::size_t added = out_.text.text.size() + field_.size() - before;
        if (added > longest_run_ || out_.look.character_shape == ParagraphLook::NONE) {
            longest_run_ = added;
            out_.look.character_shape = static_cast<std::uint16_t>(
                std::min<std::uint32_t>(run.number("charPrIDRef", ParagraphLook::NONE), 0xFFFF));
        }
    }

    // The paragraph's own references, its paragraph shape and style, in one
    // pass over its attributes: for its look and for its number.
    void look(Element p) {
        bool shape_seen = false, style_seen = false;  // the first of a name counts, as by name
        for (pugi::xml_attribute a = p.node().first_attribute(); a && !(shape_seen && style_seen);
             a = a.next_attribute()) {
            const char* name = a.name();
            std::uint32_t* ref = nullptr;
            std::uint16_t* look = nullptr;
            if (!shape_seen && name[0] == 'p' && std::strcmp(name, "paraPrIDRef") == 0) {
                shape_seen = true;
                ref = &out_.refs.shape;
                look = &out_.look.paragraph_shape;
            } else if (!style_seen && name[0] == 's' && std::strcmp(name, "styleIDRef") == 0) {
                style_seen = true;
                ref = &out_.refs.style;
                look = &out_.look.style;
            } else {
                continue;
            }
            std::uint32_t value = 0;
            const std::string_view text = a.value();
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (error != std::errc() || end != text.data() + text.size() || text.empty()) continue;
            *ref = value;
            *look = static_cast<std::uint16_t>(std::min<std::uint32_t>(value, 0xFFFF));
        }
    }

    DecodedParagraph take() {
        // A field never closed keeps its characters in the text, without a mark.
        if (field_open_) out_.text.text.append(field_);
        return std::move(out_);
    }

private:
    std::string& sink() { return field_open_ ? field_ : out_.text.text; }

    void anchor(AnchorKind kind) {
        if (full_) out_.text.anchors.push_back({static_cast<std::uint32_t>(out_.text.text.size()), kind});
    }

    void control(Element element, ControlKind kind) { out_.controls.push_back({element, kind}); }

    // The characters of a text node; what the binary format could not hold
    // as characters (controls below U+0020) and ill-formed bytes are left out.
    // Runs of kept characters are appended whole.
    void characters(std::string_view text) {
        if (deleted_) return;
        std::string& out = sink();
        std::size_t kept = 0, at = 0;
        while (at < text.size()) {
            const auto byte = static_cast<unsigned char>(text[at]);
            if (byte >= 0x20 && byte < 0x80) {
                ++at;
                continue;
            }
            const Utf8Char c = byte < 0x80 ? Utf8Char{byte, 1} : decode_utf8_char(text.substr(at));
            if (c.length != 0 && is_symbol_code(c.value) && definitions_ != nullptr) {
                if (const char32_t symbol = symbol_character(run_font(), c.value)) {
                    out.append(text.substr(kept, at - kept));
                    append_utf8(out, symbol);
                    at += c.length;
                    kept = at;
                    continue;
                }
            }
            if (c.length != 0 && c.value >= 0x20) {
                at += c.length;
                continue;
            }
            out.append(text.substr(kept, at - kept));
            at += c.length == 0 ? 1 : c.length;
            kept = at;
        }
        out.append(text.substr(kept));
    }

    // The symbol font the current run is set in, read when a symbol code
    // first asks for it.
    SymbolFont run_font() {
        if (!run_font_known_) {
            run_font_known_ = true;
            const std::uint32_t shape = run_.number("charPrIDRef", 0xFFFF);
            run_font_ =
                symbol_font_of(*definitions_, static_cast<std::uint16_t>(std::min<std::uint32_t>(shape, 0xFFFF)));
        }
        return run_font_;
    }

    void text_item(Element e) {
        if (e.ns() != Ns::Paragraph) return;
        const std::string_view n = e.local();
        if (n == name::DELETE_BEGIN) {
            deleted_ = true;
        } else if (n == name::DELETE_END) {
            deleted_ = false;
        } else if (deleted_ || !full_) {
            // The exact rules write no tab, break or special space.
        } else if (n == name::TAB || n == name::NON_BREAKING_SPACE || n == name::FIXED_WIDTH_SPACE) {
            sink().push_back(' ');
        } else if (n == name::LINE_BREAK) {
            sink().push_back('\n');
        }
        // Hyphens, highlighting and title marks add nothing.
    }

    void field_begin(Element e) {
        const std::string_view type = e.attribute("type");
        if (type == name::FIELD_CLICK_HERE && lift_ && !field_open_) {
            field_open_ = true;
            field_.clear();
        } else {
            anchor(type == name::FIELD_HYPERLINK ? AnchorKind::LinkStart : AnchorKind::Other);
        }
        control(e, type == name::FIELD_CLICK_HERE  ? ControlKind::ClickHere
                   : type == name::FIELD_HYPERLINK ? ControlKind::Hyperlink
                                                   : ControlKind::Other);
    }

    void field_end() {
        if (lift_ && field_open_) {
            append_field_mark(out_.text.text, out_.text.field_texts.size());
            out_.text.field_texts.push_back(std::move(field_));
            field_ = std::string();
            field_open_ = false;
            return;
        }
        anchor(AnchorKind::FieldEnd);
    }

    void ctrl_item(Element e) {
        if (e.ns() != Ns::Paragraph) return control(e, ControlKind::Other);
        const std::string_view n = e.local();
        if (n == name::FIELD_BEGIN) return field_begin(e);
        if (n == name::FIELD_END) return field_end();  // no control of its own
        if (n == name::FOOTNOTE || n == name::ENDNOTE) {
            anchor(AnchorKind::Note);
            return control(e, n == name::FOOTNOTE ? ControlKind::Footnote : ControlKind::Endnote);
        }
        if (n == name::AUTO_NUMBER || n == name::NEW_NUMBER) {
            // A new number's place is a number's place too, but it writes none.
            anchor(AnchorKind::AutoNumber);
            return control(e, n == name::AUTO_NUMBER ? ControlKind::AutoNumber : ControlKind::Other);
        }
        if (n == name::HEADER) return control(e, ControlKind::Header);
        if (n == name::FOOTER) return control(e, ControlKind::Footer);
        control(e, full_ && n == name::COLUMN_PROPERTIES ? ControlKind::Columns : ControlKind::Other);
    }

    void run_item(Element e) {
        if (e.ns() == Ns::Paragraph) {
            const std::string_view n = e.local();
            if (n == name::TEXT) {
                e.each_node([&](std::string_view text) { characters(text); }, [&](Element child) { text_item(child); });
                return;
            }
            if (n == name::CONTROL) {
                for (Element child : e.children()) ctrl_item(child);
                return;
            }
            if (n == name::SWITCH) {
                // The default branch is what every reader understands.
                if (Element chosen = e.child(Ns::Paragraph, name::SWITCH_DEFAULT)) {
                    for (Element child : chosen.children()) run_item(child);
                }
                return;
            }
            if (n == name::SECTION_PROPERTIES) return control(e, ControlKind::Section);
            if (n == name::TABLE) return control(e, ControlKind::Table);
            if (n == name::EQUATION) {
                anchor(AnchorKind::Equation);
                return control(e, ControlKind::Equation);
            }
            if (is_drawing(e)) return control(e, ControlKind::Drawing);
        }
        // Form objects, composed characters, ruby text and what else a
        // writer puts in a run: controls the walk passes over.
        control(e, ControlKind::Other);
    }

    const bool full_;
    const bool lift_;
    const Definitions* definitions_;  // full profile: for the fonts of symbol codes
    Element run_;
    bool run_font_known_ = false;
    SymbolFont run_font_ = SymbolFont::None;
    DecodedParagraph out_;
    bool field_open_ = false;
    bool deleted_ = false;
    std::string field_;  // content of the open field
    std::size_t longest_run_ = 0;
};

}  // namespace

DecodedParagraph decode_paragraph(Element p, Profile profile, bool lift, const Definitions* definitions) {
    Decoder decoder(profile, lift, definitions);
    if (profile == Profile::Full) decoder.look(p);
    // The runs alone: the line layout beside them is passed over unresolved.
    constexpr std::string_view RUNS[] = {name::RUN};
    p.each_child_named(RUNS, [&](std::size_t, Element run) {
        if (run.ns() == Ns::Paragraph) decoder.run(run);
    });
    return decoder.take();
}

}  // namespace brindle::owpml
