// Equation and drawing-object controls: which record supplies the script,
// when a drawing object is a picture, where its caption and inner text come
// from, and how many records each handler consumes.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "brindle/convert.h"
#include "brindle/format.h"
#include "test_support.h"

namespace brindle {
namespace {

using test::ByteWriter;
using test::ctrl_header;
using test::list_header;
using test::para_text;
using test::para_with_field;
using test::record;

// An HWPTAG_EQEDIT record: properties, the declared length, the script
// units and some trailing font data.
HwpRecord eqedit(std::uint16_t level, std::u16string_view script, std::uint16_t declared) {
    ByteWriter w;
    w.u32(0).u16(declared).utf16(script).u16(10).u32(0);
    return record(HWPTAG_EQEDIT, level, w.take());
}

HwpRecord eqedit(std::uint16_t level, std::u16string_view script) {
    return eqedit(level, script, static_cast<std::uint16_t>(script.size()));
}

HwpRecord picture(std::uint16_t level, std::size_t size) {
    return record(HWPTAG_SHAPE_COMPONENT_PICTURE, level, ByteBuffer(size, 0));
}

HwpRecord shape_component(std::uint16_t level) { return record(HWPTAG_SHAPE_COMPONENT, level); }

// Every control below has its header at index 0, level 1.
EquationParse equation_at_1(const std::vector<HwpRecord>& records) {
    return parse_equation(records, 1, 1);
}

ShapeParse shape_at_1(const std::vector<HwpRecord>& records) { return collect_shape(records, 1, 1); }

// --- equations -------------------------------------------------------------------

TEST(Equation, ScriptIsReturnedUntrimmed) {
    const std::vector<HwpRecord> records = {ctrl_header(1, CTRL_EQUATION), eqedit(2, u" x^2 "),
                                            para_text(1, u"next")};
    const EquationParse parsed = equation_at_1(records);
    EXPECT_EQ(parsed.script, " x^2 ");
    EXPECT_EQ(parsed.consumed, 1u);
}

TEST(Equation, RecordsAroundTheScriptAreConsumed) {
    const std::vector<HwpRecord> records = {ctrl_header(1, CTRL_EQUATION), record(HWPTAG_LIST_HEADER, 2),
                                            eqedit(2, u"a+b"), record(99, 3), record(99, 2),
                                            record(HWPTAG_PARA_HEADER, 0)};
    const EquationParse parsed = equation_at_1(records);
    EXPECT_EQ(parsed.script, "a+b");
    EXPECT_EQ(parsed.consumed, 4u);
}

TEST(Equation, BlankScriptIsStillAScript) {
    const std::vector<HwpRecord> records = {ctrl_header(1, CTRL_EQUATION), eqedit(2, u"   ")};
    EXPECT_EQ(equation_at_1(records).script, "   ");
}

TEST(Equation, ZeroLengthGivesNothingButTakesTheControl) {
    const std::vector<HwpRecord> records = {ctrl_header(1, CTRL_EQUATION), eqedit(2, u"x", 0),
                                            record(99, 3), para_text(1, u"next")};
    const EquationParse parsed = equation_at_1(records);
    EXPECT_FALSE(parsed.script);
    EXPECT_EQ(parsed.consumed, 2u);
}

TEST(Equation, UnusableRecordsGiveNothing) {
    // Declared length running past the payload: 6 + 2*20 > 6 + 2*3 + 6.
    const std::vector<HwpRecord> past_end = {ctrl_header(1, CTRL_EQUATION), eqedit(2, u"abc", 20)};
    EXPECT_FALSE(equation_at_1(past_end).script);
    EXPECT_EQ(equation_at_1(past_end).consumed, 1u);

    // Five bytes cannot hold the length.
    const std::vector<HwpRecord> short_record = {ctrl_header(1, CTRL_EQUATION),
                                                 record(HWPTAG_EQEDIT, 2, ByteBuffer(5, 1))};
    EXPECT_FALSE(equation_at_1(short_record).script);

    // A lone high surrogate makes the whole script undecodable.
    const std::vector<HwpRecord> surrogate = {ctrl_header(1, CTRL_EQUATION),
                                              eqedit(2, std::u16string{u'x', char16_t{0xD800}, u'y'})};
    EXPECT_FALSE(equation_at_1(surrogate).script);
}

TEST(Equation, ScriptLengthExactlyFillingThePayload) {
    ByteWriter w;
    w.u32(0).u16(2).utf16(u"ab");  // 10 bytes, nothing after the script
    const std::vector<HwpRecord> records = {ctrl_header(1, CTRL_EQUATION), record(HWPTAG_EQEDIT, 2, w.take())};
    EXPECT_EQ(equation_at_1(records).script, "ab");
}

TEST(Equation, RecordTwoLevelsDownIsNotTheScript) {
    const std::vector<HwpRecord> records = {ctrl_header(1, CTRL_EQUATION), record(99, 2), eqedit(3, u"x"),
                                            para_text(1, u"next")};
    const EquationParse parsed = equation_at_1(records);
    EXPECT_FALSE(parsed.script);
    EXPECT_EQ(parsed.consumed, 2u);
}

TEST(Equation, NoScriptRecordConsumesUpToTheNextOuterRecord) {
    const std::vector<HwpRecord> records = {ctrl_header(1, CTRL_EQUATION), record(99, 2), record(99, 4),
                                            ctrl_header(1, CTRL_TABLE), eqedit(2, u"x")};
    const EquationParse parsed = equation_at_1(records);
    EXPECT_FALSE(parsed.script);
    EXPECT_EQ(parsed.consumed, 2u);
}

// --- drawing objects -------------------------------------------------------------

TEST(Shape, PictureWithCaption) {
    const std::vector<HwpRecord> records = {ctrl_header(1, CTRL_DRAWING), list_header(2),
                                            para_text(3, u"  Figure 1 "), para_text(3, u"   "),
                                            para_text(3, u"a cat"), shape_component(2), picture(3, 73),
                                            para_text(1, u"next")};
    const ShapeParse parsed = shape_at_1(records);
    ASSERT_TRUE(parsed.block);
    ASSERT_TRUE(std::holds_alternative<Image>(*parsed.block));
    EXPECT_EQ(std::get<Image>(*parsed.block).caption, "Figure 1 a cat");
    EXPECT_EQ(parsed.consumed, 6u);
}

TEST(Shape, PictureWithoutCaption) {
    const std::vector<HwpRecord> records = {ctrl_header(1, CTRL_DRAWING), shape_component(2),
                                            picture(3, 200)};
    const ShapeParse parsed = shape_at_1(records);
    ASSERT_TRUE(parsed.block);
    ASSERT_TRUE(std::holds_alternative<Image>(*parsed.block));
    EXPECT_EQ(std::get<Image>(*parsed.block).caption, "");
    EXPECT_EQ(parsed.consumed, 2u);
}

TEST(Shape, PictureRecordUnder73BytesIsNoPicture) {
    const std::vector<HwpRecord> records = {ctrl_header(1, CTRL_DRAWING), shape_component(2), picture(3, 72),
                                            para_text(1, u"next")};
    const ShapeParse parsed = shape_at_1(records);
    EXPECT_FALSE(parsed.block);
    EXPECT_EQ(parsed.consumed, 2u);
}

TEST(Shape, LastPictureRecordDecides) {
    const std::vector<HwpRecord> big_then_small = {ctrl_header(1, CTRL_DRAWING), shape_component(2),
                                                   shape_component(3), picture(4, 80),
                                                   shape_component(3), picture(4, 60)};
    EXPECT_FALSE(shape_at_1(big_then_small).block);
    EXPECT_EQ(shape_at_1(big_then_small).consumed, 5u);

    const std::vector<HwpRecord> small_then_big = {ctrl_header(1, CTRL_DRAWING), shape_component(2),
                                                   picture(4, 60), picture(4, 80)};
    ASSERT_TRUE(shape_at_1(small_then_big).block);
    EXPECT_TRUE(std::holds_alternative<Image>(*shape_at_1(small_then_big).block));
}

TEST(Shape, TextBoxParagraphsJoinedByLineFeeds) {
    const std::vector<HwpRecord> records = {ctrl_header(1, CTRL_DRAWING), shape_component(2), list_header(3),
                                            para_text(4, u" a"), para_text(4, u"\u3000"), para_text(4, u"b "),
                                            para_text(1, u"next")};
    const ShapeParse parsed = shape_at_1(records);
    ASSERT_TRUE(parsed.block);
    ASSERT_TRUE(std::holds_alternative<Paragraph>(*parsed.block));
    EXPECT_EQ(std::get<Paragraph>(*parsed.block).text, "a\nb");
    EXPECT_EQ(parsed.consumed, 5u);
}

TEST(Shape, TextFromAnyDepthBelowTheShape) {
    // A group holding a text box with a table inside it.
    const std::vector<HwpRecord> records = {ctrl_header(1, CTRL_DRAWING), shape_component(2),
                                            shape_component(3), list_header(4), para_text(5, u"box"),
                                            ctrl_header(5, CTRL_TABLE), list_header(7), para_text(8, u"cell")};
    const ShapeParse parsed = shape_at_1(records);
    ASSERT_TRUE(parsed.block);
    EXPECT_EQ(std::get<Paragraph>(*parsed.block).text, "box\ncell");
}

TEST(Shape, TextBoxWithCaptionKeepsOnlyItsText) {
    const std::vector<HwpRecord> records = {ctrl_header(1, CTRL_DRAWING), list_header(2),
                                            para_text(3, u"caption"), shape_component(2), list_header(3),
                                            para_text(4, u"inside")};
    const ShapeParse parsed = shape_at_1(records);
    ASSERT_TRUE(parsed.block);
    EXPECT_EQ(std::get<Paragraph>(*parsed.block).text, "inside");
}

TEST(Shape, CaptionAloneBecomesAParagraph) {
    const std::vector<HwpRecord> records = {ctrl_header(1, CTRL_DRAWING), list_header(2),
                                            para_text(3, u"line"), para_text(3, u"art"), shape_component(2),
                                            picture(3, 10)};
    const ShapeParse parsed = shape_at_1(records);
    ASSERT_TRUE(parsed.block);
    ASSERT_TRUE(std::holds_alternative<Paragraph>(*parsed.block));
    EXPECT_EQ(std::get<Paragraph>(*parsed.block).text, "line art");
}

TEST(Shape, NoShapeComponentOneLevelDownGivesNothing) {
    const std::vector<HwpRecord> records = {ctrl_header(1, CTRL_DRAWING), list_header(2),
                                            para_text(3, u"caption"), shape_component(3), picture(3, 100),
                                            para_text(1, u"next")};
    const ShapeParse parsed = shape_at_1(records);
    EXPECT_FALSE(parsed.block);
    EXPECT_EQ(parsed.consumed, 4u);

    const std::vector<HwpRecord> at_end = {ctrl_header(1, CTRL_DRAWING), list_header(2),
                                           para_text(3, u"caption")};
    EXPECT_FALSE(shape_at_1(at_end).block);
    EXPECT_EQ(shape_at_1(at_end).consumed, 2u);
}

TEST(Shape, TextIsDecodedWithoutFieldMarks) {
    const std::vector<HwpRecord> records = {ctrl_header(1, CTRL_DRAWING), shape_component(2),
                                            para_with_field(3, u"x", u"abc", u"y")};
    const ShapeParse parsed = shape_at_1(records);
    ASSERT_TRUE(parsed.block);
    EXPECT_EQ(std::get<Paragraph>(*parsed.block).text, "xabcy");
}

}  // namespace
}  // namespace brindle
