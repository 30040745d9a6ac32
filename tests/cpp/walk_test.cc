// The section walk: which records become blocks and in what order, when a
// click-here header describes a field, and how controls are handed off or
// skipped.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hwp/format.h"
#include "hwp/record.h"
#include "hwp/walk.h"
#include "model/markdown.h"
#include "test_support.h"

namespace brindle {
namespace {

using namespace brindle::test;
using Recs = std::vector<HwpRecord>;
using Blocks = std::vector<std::string>;

constexpr std::uint32_t CTRL_SECTION_DEF = make_ctrl_id('s', 'e', 'c', 'd');

Blocks walk(const Recs& records) {
    BlockList blocks;
    walk_section(records, blocks);
    Blocks out;
    for (const ContentBlock& b : blocks) out.push_back(describe(b));
    return out;
}

HwpRecord eqedit(std::uint16_t level, std::u16string_view script) {
    ByteWriter w;
    w.u32(0).u16(static_cast<std::uint16_t>(script.size())).utf16(script);
    return record(HWPTAG_EQEDIT, level, w.take());
}

// A paragraph text with two click-here fields holding 'a' and 'b'.
HwpRecord two_fields() {
    ByteWriter w;
    w.control(3, CTRL_CLICK_HERE).utf16(u"a").control(4).utf16(u"+").control(3, CTRL_CLICK_HERE).utf16(u"b").control(4);
    return record(HWPTAG_PARA_TEXT, 1, w.take());
}

TEST(WalkSection, TextOfAParagraphPrecedesTheTableAnchoredInIt) {
    ByteWriter total;
    total.utf16(u"Total:").control(11, CTRL_TABLE);
    const Recs records = cat(
        {{record(HWPTAG_PARA_HEADER, 0), record(HWPTAG_PARA_TEXT, 1, total.take()), record(68, 1),
          ctrl_header(1, CTRL_TABLE), table_record(2, 1, {2})},
         cell(2, u"a"),
         cell(2, u"b"),
         {record(HWPTAG_PARA_HEADER, 0), para_text(1, u"  "), record(HWPTAG_PARA_HEADER, 0), para_text(1, u"End")}});
    BlockList blocks;
    walk_section(records, blocks);
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(describe(blocks[0]), "P:Total:");
    EXPECT_EQ(std::get<Table>(blocks[1]).rows[0][1].text, "b");
    EXPECT_EQ(describe(blocks[2]), "P:End");
}

TEST(WalkSection, Cases) {
    ByteWriter controls_only;
    controls_only.control(9).u16(13);
    const struct {
        const char* what;
        Recs records;
        Blocks blocks;
    } cases[] = {
        {"level-1 text only; blank dropped, kept untrimmed",
         {para_text(1, u"one"), para_text(1, u" \u3000 "), record(HWPTAG_PARA_TEXT, 1, controls_only.buffer()),
          para_text(0, u"zero"), para_text(2, u"two"), para_text(1, u" three ")},
         {"P:one", "P: three "}},
        {"controls in record order",
         {para_text(1, u"t"), ctrl_header(1, CTRL_DRAWING), record(HWPTAG_SHAPE_COMPONENT, 2),
          record(HWPTAG_SHAPE_COMPONENT_PICTURE, 3, ByteBuffer(73, 0)), ctrl_header(1, CTRL_EQUATION), eqedit(2, u"x"),
          ctrl_header(1, CTRL_TABLE), table_record(2, 1, {0}), para_text(1, u"n")},
         {"P:t", "I:", "E:x", "T:1", "P:n"}},
        {"last record a control header", {para_text(1, u"p"), ctrl_header(1, CTRL_SECTION_DEF)}, {"P:p"}},
        {"other controls skipped with their records",
         {ctrl_header(1, CTRL_SECTION_DEF), para_text(2, u"x"), ctrl_header(2, CTRL_EQUATION), eqedit(3, u"no"),
          record(HWPTAG_CTRL_HEADER, 1, {'l', 'b', 't'}), ctrl_header(2, CTRL_TABLE), para_text(1, u"p")},
         {"P:p"}},
        {"table yielding nothing still consumes",
         {ctrl_header(1, CTRL_TABLE), list_header(2), ctrl_header(3, CTRL_EQUATION), eqedit(4, u"no"),
          para_text(1, u"p")},
         {"P:p"}},
        {"17-byte table record leaves the cells to the walk",
         {ctrl_header(1, CTRL_TABLE), record(HWPTAG_TABLE, 2, ByteBuffer(17, 0)), list_header(2), para_text(3, u"cell"),
          ctrl_header(3, CTRL_EQUATION), eqedit(4, u"y")},
         {"E:y"}},
        {"field with name record",
         {para_with_field(1, u"Dear ", u"Kim", u","), click_here_ctrl(1, u"Type here"), field_name_record(2, u"Name")},
         {"P:Dear {{Name: Type here --> Kim}},"}},
        {"fields matched by order",
         {two_fields(), click_here_ctrl(1, u"x", true), field_name_record(2, u"A"), click_here_ctrl(1, u"b"),
          field_name_record(2, u"B")},
         {"P:{{A: x --> a}}+{{B: b}}"}},
        {"name record at level 3 is not taken",
         {para_with_field(1, u"", u"Kim", u""), click_here_ctrl(1, u"K"), field_name_record(3, u"Name"),
          para_text(1, u"n")},
         {"P:{{: K --> Kim}}", "P:n"}},
        {"short name record gives an empty name",
         {para_with_field(1, u"", u"Kim", u""), click_here_ctrl(1, u"Kim"),
          record(HWPTAG_CTRL_DATA, 2, ByteBuffer(11, 0))},
         {"P:{{: Kim}}"}},
        {"third header for two fields flushes and is skipped",
         {two_fields(), click_here_ctrl(1, u""), field_name_record(2, u"X"), click_here_ctrl(1, u""),
          field_name_record(2, u"Y"), click_here_ctrl(1, u""), ctrl_header(2, CTRL_EQUATION), eqedit(3, u"no")},
         {"P:{{X}}+{{Y}}"}},
        {"header with no paragraph pending",
         {click_here_ctrl(1, u"T"), field_name_record(2, u"N"), ctrl_header(2, CTRL_EQUATION), eqedit(3, u"no")},
         {}},
        {"another control first leaves the field plain",
         {para_with_field(1, u"a", u"Kim", u"b"), ctrl_header(1, CTRL_SECTION_DEF), click_here_ctrl(1, u"T"),
          field_name_record(2, u"N")},
         {"P:aKimb"}},
        {"field case only at level 1",
         {para_with_field(1, u"a", u"Kim", u"b"), click_here_ctrl(2, u"T"), field_name_record(3, u"N")},
         {"P:aKimb"}},
        {"equation at level 2 after a field",
         {para_with_field(1, u"v = ", u"1", u""), click_here_ctrl(1, u""), field_name_record(2, u"N"),
          ctrl_header(2, CTRL_EQUATION), eqedit(3, u"v")},
         {"P:v = {{N}}", "E:v"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(walk(c.records), c.blocks);
    }
}

}  // namespace
}  // namespace brindle
