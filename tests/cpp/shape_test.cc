// Equation and drawing-object controls: which record supplies the script,
// when a drawing object is a picture, where its caption and text come from,
// and how many records each handler consumes.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "hwp/equation.h"
#include "hwp/format.h"
#include "hwp/record.h"
#include "hwp/shape.h"
#include "test_support.h"

namespace brindle {
namespace {

using namespace brindle::test;
using Recs = std::vector<HwpRecord>;

// HWPTAG_EQEDIT: properties, declared length, script, trailing font data.
HwpRecord eqedit(std::uint16_t level, std::u16string_view script, int declared = -1) {
    ByteWriter w;
    w.u32(0).u16(static_cast<std::uint16_t>(declared < 0 ? script.size() : declared)).utf16(script).u16(10);
    return record(HWPTAG_EQEDIT, level, w.take());
}
HwpRecord shape(std::uint16_t level) { return record(HWPTAG_SHAPE_COMPONENT, level); }
HwpRecord picture(std::uint16_t level, std::size_t size) {
    return record(HWPTAG_SHAPE_COMPONENT_PICTURE, level, ByteBuffer(size, 0));
}
HwpRecord other(std::uint16_t level) { return record(99, level); }

// Each control's records follow a header at index 0, level 1, and are
// followed by a level-1 paragraph that is not theirs.
Recs control(std::uint32_t id, Recs body) { return cat({{ctrl_header(1, id)}, body, {para_text(1, u"next")}}); }

TEST(ParseEquation, Cases) {
    const struct {
        const char* what;
        Recs body;
        std::optional<std::string> script;
        std::size_t consumed;
    } cases[] = {
        {"script kept untrimmed", {eqedit(2, u" x^2 ")}, " x^2 ", 1},
        {"records around the script", {list_header(2), eqedit(2, u"a+b"), other(3), other(2)}, "a+b", 4},
        {"blank script", {eqedit(2, u"   ")}, "   ", 1},
        {"declared length 0", {eqedit(2, u"x", 0), other(3)}, std::nullopt, 2},
        {"declared length past the payload", {eqedit(2, u"abc", 7)}, std::nullopt, 1},
        {"payload under 6 bytes", {record(HWPTAG_EQEDIT, 2, ByteBuffer(5, 1))}, std::nullopt, 1},
        {"lone surrogate", {eqedit(2, std::u16string{u'x', char16_t{0xD800}})}, std::nullopt, 1},
        {"script record two levels down", {other(2), eqedit(3, u"x")}, std::nullopt, 2},
        {"no script record", {other(2), other(4)}, std::nullopt, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const EquationParse parsed = parse_equation(control(CTRL_EQUATION, c.body), 1, 1);
        EXPECT_EQ(parsed.script, c.script);
        EXPECT_EQ(parsed.consumed, c.consumed);
    }
    // Length filling the payload exactly: 6 + 2 * 2 bytes.
    ByteWriter exact;
    exact.u32(0).u16(2).utf16(u"ab");
    EXPECT_EQ(parse_equation(control(CTRL_EQUATION, {record(HWPTAG_EQEDIT, 2, exact.take())}), 1, 1).script, "ab");
}

TEST(CollectShape, Cases) {
    // clang-format off
    const struct {
        const char* what;
        Recs body;
        std::string block;  // as test::describe writes it; empty for none
        std::size_t consumed;
    } cases[] = {
        {"picture with caption",
         {list_header(2), para_text(3, u" Figure 1 "), para_text(3, u"  "), para_text(3, u"a cat"), shape(2),
          picture(3, 73)},
         "I:Figure 1 a cat", 6},
        {"picture without caption", {shape(2), picture(3, 200)}, "I:", 2},
        {"72-byte picture record", {shape(2), picture(3, 72)}, "", 2},
        {"last picture record decides: small", {shape(2), shape(3), picture(4, 80), shape(3), picture(4, 60)}, "", 5},
        {"last picture record decides: big", {shape(2), picture(3, 60), picture(3, 80)}, "I:", 3},
        {"text box paragraphs",
         {shape(2), list_header(3), para_text(4, u" a"), para_text(4, u"\u3000"), para_text(4, u"b ")}, "P:a\nb", 5},
        {"text at any depth", {shape(2), shape(3), list_header(4), para_text(5, u"box"), ctrl_header(5, CTRL_TABLE),
                               list_header(6), para_text(7, u"cell")}, "P:box\ncell", 7},
        {"text box drops its caption", {list_header(2), para_text(3, u"caption"), shape(2), list_header(3),
                                        para_text(4, u"inside")}, "P:inside", 5},
        {"caption alone", {list_header(2), para_text(3, u"line"), para_text(3, u"art"), shape(2), picture(3, 10)},
         "P:line art", 5},
        {"no shape component one level down",
         {list_header(2), para_text(3, u"caption"), shape(3), picture(3, 100)}, "", 4},
        {"text without field marks", {shape(2), para_with_field(3, u"x", u"abc", u"y")}, "P:xabcy", 2},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ShapeParse parsed = collect_shape(control(CTRL_DRAWING, c.body), 1, 1);
        ASSERT_LE(parsed.blocks.size(), 1u);  // the exact rules yield one block at most
        EXPECT_EQ(parsed.blocks.empty() ? "" : describe(parsed.blocks.front()), c.block);
        EXPECT_EQ(parsed.consumed, c.consumed);
    }
}

}  // namespace
}  // namespace brindle
