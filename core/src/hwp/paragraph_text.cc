// Decoding of HWPTAG_PARA_TEXT payloads: UTF-16LE code units with the
// paragraph's controls embedded as codes below 32, turned into UTF-8 in one
// pass, with click-here field contents optionally lifted out behind marks.
#include "hwp/paragraph_text.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "hwp/format.h"
#include "hwp/plain_run.h"
#include "text.h"

namespace brindle {

namespace {

// What a one-unit control writes in the full profile: a line break a line
// feed, the non-breaking and fixed-width spaces a space, the rest nothing.
constexpr char char_control_text(std::uint16_t u) {
    if (u == CHAR_LINE_BREAK) return '\n';
    if (u == CHAR_NON_BREAKING_SPACE || u == CHAR_FIXED_WIDTH_SPACE) return ' ';
    return '\0';
}

// What the model makes of an anchored control's place.
constexpr AnchorKind anchor_kind(std::uint16_t code, std::uint32_t id) {
    if (code == CODE_FIELD_START && id == CTRL_HYPERLINK) return AnchorKind::LinkStart;
    if (code == CODE_FIELD_END) return AnchorKind::FieldEnd;
    if (code == CODE_NOTE) return AnchorKind::Note;
    if (code == CODE_AUTO_NUMBER) return AnchorKind::AutoNumber;
    if (id == CTRL_EQUATION) return AnchorKind::Equation;
    return AnchorKind::Other;
}

// The 8-unit controls that stand for an object with a control header of
// its own (every 8-unit code but the inline ones, 4-9, 19 and 20), and the
// field end, whose places the full profile keeps.
constexpr bool is_anchored_control(std::uint16_t u) { return !(u >= 5 && u <= 9) && u != 19 && u != 20; }

// The scanning core of both decoders. With kLiftFields, characters between
// a '%clk' field start and the next field end go to out.field_texts and a
// mark takes their place in out.text; without it, codes 3 and 4 are
// ordinary 8-unit controls and everything goes to out.text. With kFull
// (which implies kLiftFields), tabs, line breaks and special spaces become
// characters and the anchored controls are recorded.
template <bool kLiftFields, bool kFull = false>
void decode_units(Bytes payload, ParagraphText& out) {
    const std::size_t units = payload.size() / 2;  // a final odd byte is ignored
    // Each unit becomes at most three bytes (a surrogate pair, two units,
    // four): room for that spares a real paragraph any regrowth, while a
    // huge one starts at its lower bound and grows geometrically.
    out.text.reserve(units <= 65536 ? 3 * units + PLAIN_RUN_SLACK : units);

    bool field_open = false;
    std::string field;  // content of the open field
    auto unit = [&](std::size_t m) { return read_u16(payload, 2 * m); };

    std::size_t m = 0;
    while (m < units) {
        const std::uint16_t u = unit(m);
        if (u < 32) {
            if (is_char_control(u)) {
                if constexpr (kFull) {
                    if (const char c = char_control_text(u)) (field_open ? field : out.text).push_back(c);
                }
                ++m;
                continue;
            }
            const bool complete = m + CONTROL_UNITS <= units;
            if constexpr (kFull) {
                if (u == CODE_TAB) {
                    (field_open ? field : out.text).push_back(' ');
                } else if (is_anchored_control(u) && !(u == CODE_FIELD_END && field_open)) {
                    const std::uint32_t id = m + 3 <= units ? read_u32(payload, 2 * m + 2) : 0;
                    const bool opens_field = u == CODE_FIELD_START && !field_open && complete && id == CTRL_CLICK_HERE;
                    if (!opens_field) {
                        out.anchors.push_back({static_cast<std::uint32_t>(out.text.size()), anchor_kind(u, id)});
                    }
                }
            }
            if constexpr (kLiftFields) {
                if (u == CODE_FIELD_START) {
                    if (!complete) break;
                    // The id sits in the two units after the code, inside the
                    // 16 bytes just checked.
                    if (!field_open && read_u32(payload, 2 * m + 2) == CTRL_CLICK_HERE) {
                        field_open = true;
                        field.clear();
                    }
                } else if (u == CODE_FIELD_END && field_open) {
                    // Closing needs only the code, so a cut-short end still closes.
                    append_field_mark(out.text, out.field_texts.size());
                    out.field_texts.push_back(std::move(field));
                    field = std::string();
                    field_open = false;
                }
            }
            if (!complete) break;  // a truncated control ends the text
            m += CONTROL_UNITS;
            continue;
        }

        if (!is_high_surrogate(u) && !is_low_surrogate(u)) {
            std::string& to = kLiftFields && field_open ? field : out.text;
            m += append_plain_run(to, payload.subspan(2 * m, 2 * (units - m)));
            continue;
        }
        char32_t c = u;
        if (is_low_surrogate(u)) {  // not preceded by a high surrogate: dropped
            ++m;
            continue;
        }
        if (is_high_surrogate(u)) {
            if (m + 1 >= units || !is_low_surrogate(unit(m + 1))) {
                ++m;  // lone high surrogate: dropped, the next unit is read normally
                continue;
            }
            c = combine_surrogates(c, unit(m + 1));
            ++m;
        }
        ++m;
        append_utf8(kLiftFields && field_open ? field : out.text, c);
    }

    // A field never closed keeps its characters in the text, without a mark.
    if (field_open) out.text.append(field);
}

}  // namespace

ParagraphText decode_para_text(Bytes payload, Profile profile, std::string buffer) {
    ParagraphText out;
    out.text = std::move(buffer);
    out.text.clear();
    if (profile == Profile::Full) {
        decode_units<true, true>(payload, out);
    } else {
        decode_units<true>(payload, out);
    }
    return out;
}

std::string decode_plain_para_text(Bytes payload) {
    ParagraphText out;
    decode_units<false>(payload, out);
    return std::move(out.text);
}

}  // namespace brindle
