// Equation controls ('eqed'): the script text of the HWPTAG_EQEDIT record
// directly beneath the control header.
#include <algorithm>
#include <string>

#include "hwp/caption.h"
#include "hwp/equation.h"
#include "hwp/format.h"
#include "text.h"

namespace brindle {
namespace {

// HWPTAG_EQEDIT payload: properties (4), script length in UTF-16 units (2),
// the script, then font and version data we do not need.
constexpr std::size_t EQEDIT_LENGTH_OFFSET = 4;
constexpr std::size_t EQEDIT_SCRIPT_OFFSET = 6;

// The script, or nothing when it is empty, cut short or not valid UTF-16.
std::optional<std::string> read_script(Bytes payload) {
    if (payload.size() < EQEDIT_SCRIPT_OFFSET) return std::nullopt;
    const std::size_t units = read_u16(payload, EQEDIT_LENGTH_OFFSET);
    if (units == 0 || payload.size() < EQEDIT_SCRIPT_OFFSET + 2 * units) return std::nullopt;
    return decode_utf16_strict(payload.subspan(EQEDIT_SCRIPT_OFFSET, 2 * units));
}

}  // namespace

EquationParse parse_equation(Records records, std::size_t start, std::uint16_t level) {
    WalkContext context;
    return parse_equation(records, start, level, context, TextContext::Body);
}

EquationParse parse_equation(Records records, std::size_t start, std::uint16_t level, WalkContext& context,
                             TextContext place) {
    const std::size_t n = records.size();
    start = std::min(start, n);
    const std::uint32_t child_level = std::uint32_t{level} + 1;
    EquationParse result;
    bool captioned = false;
    std::size_t i = start;
    while (i < n && records[i].level > level) {
        const HwpRecord& r = records[i];
        if (r.level == child_level && r.tag_id == HWPTAG_EQEDIT) {
            result.script = read_script(r.bytes());
            // The rest of the control is consumed whether or not the script
            // was usable.
            i = skip_subtree(records, i + 1, level);
            break;
        }
        // The full profile keeps a caption, which comes before the script.
        if (context.full() && r.level == child_level && r.tag_id == HWPTAG_LIST_HEADER && !captioned) {
            captioned = true;
            i = take_caption(records, i, result.caption, context, place);
            continue;
        }
        ++i;
    }
    result.consumed = i - start;
    return result;
}

std::size_t take_equation(Records records, std::size_t header, OpenParagraph* paragraph, BlockList& out,
                          WalkContext& context, TextContext place) {
    const HwpRecord& control = records[header];
    EquationParse eq = parse_equation(records, header + 1, control.level, context, place);
    // The object's attributes (after the control id): bit 0, placed as a
    // character of the line.
    const bool in_line = (read_u32_or(control.bytes(), 4, 0) & OBJECT_TREAT_AS_CHAR) != 0;
    append_equation(paragraph, out, eq.script.value_or(std::string()), in_line, std::move(eq.caption));
    return header + 1 + eq.consumed;
}

}  // namespace brindle
