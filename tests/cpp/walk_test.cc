// The section walk: which records become blocks and in what order, when a
// click-here header describes a field, and how controls are handed off or
// skipped.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "brindle/convert.h"
#include "brindle/format.h"
#include "test_support.h"

namespace brindle {
namespace {

using test::ByteWriter;
using test::click_here_ctrl;
using test::ctrl_header;
using test::field_name_record;
using test::list_header;
using test::para_text;
using test::para_with_field;
using test::record;
using test::table_record;

constexpr std::uint32_t CTRL_SECTION_DEF = make_ctrl_id('s', 'e', 'c', 'd');
constexpr std::uint32_t CTRL_HEADER_AREA = make_ctrl_id('h', 'e', 'a', 'd');

// Blocks written as short strings, so whole sequences compare at once:
// "P:text", "T:rows", "E:script", "I:caption".
std::vector<std::string> describe(const BlockList& blocks) {
    std::vector<std::string> out;
    for (const ContentBlock& block : blocks) {
        if (const auto* p = std::get_if<Paragraph>(&block)) {
            out.push_back("P:" + p->text);
        } else if (const auto* t = std::get_if<Table>(&block)) {
            out.push_back("T:" + std::to_string(t->rows.size()));
        } else if (const auto* e = std::get_if<Equation>(&block)) {
            out.push_back("E:" + e->script);
        } else {
            out.push_back("I:" + std::get<Image>(block).caption);
        }
    }
    return out;
}

std::vector<std::string> walk(const std::vector<HwpRecord>& records) {
    BlockList blocks;
    walk_section(records, blocks);
    return describe(blocks);
}

using Blocks = std::vector<std::string>;

HwpRecord eqedit(std::uint16_t level, std::u16string_view script) {
    ByteWriter w;
    w.u32(0).u16(static_cast<std::uint16_t>(script.size())).utf16(script);
    return record(HWPTAG_EQEDIT, level, w.take());
}

// --- paragraphs and order ----------------------------------------------------------

TEST(WalkParagraphs, OneBlockPerNonBlankLevelOneText) {
    ByteWriter controls_only;
    controls_only.control(9).u16(13);
    const std::vector<HwpRecord> records = {
        record(HWPTAG_PARA_HEADER, 0), para_text(1, u"first"),
        record(HWPTAG_PARA_HEADER, 0), para_text(1, u" \u3000 "),
        record(HWPTAG_PARA_HEADER, 0), record(HWPTAG_PARA_TEXT, 1, controls_only.take()),
        record(HWPTAG_PARA_HEADER, 0), para_text(1, u"  second "),
    };
    // Stored untrimmed; assembly trims.
    EXPECT_EQ(walk(records), (Blocks{"P:first", "P:  second "}));
}

TEST(WalkParagraphs, TextBelowLevelOneIsIgnored) {
    const std::vector<HwpRecord> records = {para_text(0, u"zero"), para_text(2, u"two"), para_text(1, u"one")};
    EXPECT_EQ(walk(records), (Blocks{"P:one"}));
}

TEST(WalkParagraphs, EmptySectionGivesNoBlocks) { EXPECT_EQ(walk({}), Blocks{}); }

TEST(WalkOrder, ParagraphPrecedesTheTableAnchoredInIt) {
    ByteWriter total;
    total.utf16(u"Total:").control(11, CTRL_TABLE);
    const std::vector<HwpRecord> records = {
        record(HWPTAG_PARA_HEADER, 0),
        record(HWPTAG_PARA_TEXT, 1, total.take()),
        record(68, 1),
        ctrl_header(1, CTRL_TABLE),
        table_record(2, 1, {2}),
        list_header(2),
        record(HWPTAG_PARA_HEADER, 2),
        para_text(3, u"a"),
        list_header(2),
        para_text(3, u"b"),
        record(HWPTAG_PARA_HEADER, 0),
        para_text(1, u"  "),
        record(HWPTAG_PARA_HEADER, 0),
        para_text(1, u"End"),
    };
    BlockList blocks;
    walk_section(records, blocks);
    EXPECT_EQ(describe(blocks), (Blocks{"P:Total:", "T:1", "P:End"}));
    const Table& table = std::get<Table>(blocks[1]);
    ASSERT_EQ(table.rows[0].size(), 2u);
    EXPECT_EQ(table.rows[0][1].text, "b");
}

TEST(WalkOrder, ControlsFollowTheirParagraphInRecordOrder) {
    const std::vector<HwpRecord> records = {
        para_text(1, u"text"),
        ctrl_header(1, CTRL_DRAWING), record(HWPTAG_SHAPE_COMPONENT, 2),
        record(HWPTAG_SHAPE_COMPONENT_PICTURE, 3, ByteBuffer(100, 0)),
        ctrl_header(1, CTRL_EQUATION), eqedit(2, u"x^2"),
        ctrl_header(1, CTRL_TABLE), table_record(2, 1, {0}),
        para_text(1, u"next"),
    };
    EXPECT_EQ(walk(records), (Blocks{"P:text", "I:", "E:x^2", "T:1", "P:next"}));
}

TEST(WalkOrder, LastRecordIsAControlHeader) {
    const std::vector<HwpRecord> records = {para_text(1, u"p"), ctrl_header(1, CTRL_SECTION_DEF)};
    EXPECT_EQ(walk(records), (Blocks{"P:p"}));
}

// --- skipping ------------------------------------------------------------------------

TEST(WalkSkip, UnknownControlsAreSkippedWithTheirRecords) {
    // A header area holding a paragraph and an equation: neither is output.
    const std::vector<HwpRecord> records = {
        para_text(1, u"body"),
        ctrl_header(1, CTRL_HEADER_AREA), list_header(2), para_text(3, u"header text"),
        ctrl_header(3, CTRL_EQUATION), eqedit(4, u"hidden"),
        para_text(1, u"after"),
    };
    EXPECT_EQ(walk(records), (Blocks{"P:body", "P:after"}));
}

TEST(WalkSkip, ShortControlHeaderIsUnrecognised) {
    const std::vector<HwpRecord> records = {para_text(1, u"a"), record(HWPTAG_CTRL_HEADER, 1, {'l', 'b', 't'}),
                                            ctrl_header(2, CTRL_EQUATION), eqedit(3, u"x"), para_text(1, u"b")};
    EXPECT_EQ(walk(records), (Blocks{"P:a", "P:b"}));
}

TEST(WalkSkip, TableWithoutTableRecordConsumesItsRecords) {
    const std::vector<HwpRecord> records = {ctrl_header(1, CTRL_TABLE), list_header(2),
                                            ctrl_header(3, CTRL_EQUATION), eqedit(4, u"lost"),
                                            para_text(1, u"after")};
    EXPECT_EQ(walk(records), (Blocks{"P:after"}));
}

TEST(WalkSkip, ShortTableRecordLeavesTheCellsToTheWalk) {
    // The walk resumes after the 17-byte table record: the cell's text is not
    // at level 1 and is ignored, but the equation header in it is handled.
    ByteWriter short_table;
    short_table.zeros(17);
    const std::vector<HwpRecord> records = {ctrl_header(1, CTRL_TABLE), record(HWPTAG_TABLE, 2, short_table.take()),
                                            list_header(2), para_text(3, u"cell"),
                                            ctrl_header(3, CTRL_EQUATION), eqedit(4, u"y")};
    EXPECT_EQ(walk(records), (Blocks{"E:y"}));
}

// --- click-here fields -----------------------------------------------------------------

TEST(WalkFields, HeaderAndNameDescribeTheField) {
    const std::vector<HwpRecord> records = {para_with_field(1, u"Dear ", u"Kim", u","),
                                            click_here_ctrl(1, u"Type here"), field_name_record(2, u"Name")};
    EXPECT_EQ(walk(records), (Blocks{"P:Dear {{Name: Type here --> Kim}},"}));
}

TEST(WalkFields, FieldsAreMatchedByOrder) {
    ByteWriter text;
    text.control(3, CTRL_CLICK_HERE).utf16(u"one").control(4).utf16(u"+");
    text.control(3, CTRL_CLICK_HERE).utf16(u"two").control(4);
    const std::vector<HwpRecord> records = {record(HWPTAG_PARA_TEXT, 1, text.take()),
                                            click_here_ctrl(1, u"first", true), field_name_record(2, u"A"),
                                            click_here_ctrl(1, u"two"), field_name_record(2, u"B")};
    EXPECT_EQ(walk(records), (Blocks{"P:{{A: first --> one}}+{{B: two}}"}));
}

TEST(WalkFields, NameRecordTwoLevelsDownIsNotTaken) {
    // The tag-87 record at level 3 is not the name; it is then passed over
    // as an ordinary record and the paragraph stays pending.
    const std::vector<HwpRecord> records = {para_with_field(1, u"", u"Kim", u""), click_here_ctrl(1, u"Type here"),
                                            field_name_record(3, u"Name"), para_text(1, u"next")};
    EXPECT_EQ(walk(records), (Blocks{"P:{{: Type here --> Kim}}", "P:next"}));
}

TEST(WalkFields, ShortNameRecordGivesAnEmptyName) {
    const std::vector<HwpRecord> records = {para_with_field(1, u"", u"Kim", u""), click_here_ctrl(1, u"Kim"),
                                            record(HWPTAG_CTRL_DATA, 2, ByteBuffer(11, 0))};
    EXPECT_EQ(walk(records), (Blocks{"P:{{: Kim}}"}));
}

TEST(WalkFields, HeaderBeyondTheParagraphsFieldsFlushesIt) {
    // Two fields, three headers: the third ends the paragraph and is skipped
    // with its records, the equation among them included.
    ByteWriter text;
    text.control(3, CTRL_CLICK_HERE).utf16(u"a").control(4).control(3, CTRL_CLICK_HERE).utf16(u"b").control(4);
    const std::vector<HwpRecord> records = {
        record(HWPTAG_PARA_TEXT, 1, text.take()),
        click_here_ctrl(1, u""), field_name_record(2, u"X"),
        click_here_ctrl(1, u""), field_name_record(2, u"Y"),
        click_here_ctrl(1, u""), field_name_record(2, u"Z"), ctrl_header(2, CTRL_EQUATION), eqedit(3, u"no"),
        para_text(1, u"next"),
    };
    EXPECT_EQ(walk(records), (Blocks{"P:{{X}}{{Y}}", "P:next"}));
}

TEST(WalkFields, HeaderWithoutPendingParagraphIsSkipped) {
    const std::vector<HwpRecord> records = {click_here_ctrl(1, u"Type here"), field_name_record(2, u"Name"),
                                            ctrl_header(2, CTRL_EQUATION), eqedit(3, u"no"), para_text(1, u"p")};
    EXPECT_EQ(walk(records), (Blocks{"P:p"}));
}

TEST(WalkFields, AnotherControlFirstLeavesTheFieldAsPlainText) {
    const std::vector<HwpRecord> records = {para_with_field(1, u"a", u"Kim", u"b"), ctrl_header(1, CTRL_SECTION_DEF),
                                            click_here_ctrl(1, u"Type here"), field_name_record(2, u"Name")};
    EXPECT_EQ(walk(records), (Blocks{"P:aKimb"}));
}

TEST(WalkFields, FieldCaseOnlyAtLevelOne) {
    // A '%clk' header at level 2 is skipped with its subtree and ends the
    // paragraph, whose field is then written as its plain content.
    const std::vector<HwpRecord> records = {para_with_field(1, u"a", u"Kim", u"b"), click_here_ctrl(2, u"Type here"),
                                            field_name_record(3, u"Name")};
    EXPECT_EQ(walk(records), (Blocks{"P:aKimb"}));
}

TEST(WalkFields, EquationAtLevelTwoAfterAFieldIsHandled) {
    const std::vector<HwpRecord> records = {para_with_field(1, u"v = ", u"1", u""), click_here_ctrl(1, u""),
                                            field_name_record(2, u"N"), ctrl_header(2, CTRL_EQUATION),
                                            eqedit(3, u"v")};
    EXPECT_EQ(walk(records), (Blocks{"P:v = {{N}}", "E:v"}));
}

// --- flush_paragraph -------------------------------------------------------------------

TEST(WalkFlush, RendersKeepsUntrimmedAndClearsThePending) {
    BlockList blocks;
    std::optional<PendingParagraph> pending = PendingParagraph{{" x ", {}}, {}};
    flush_paragraph(pending, blocks);
    EXPECT_FALSE(pending);
    flush_paragraph(pending, blocks);  // nothing pending
    pending = PendingParagraph{{"\t\n", {}}, {}};
    flush_paragraph(pending, blocks);  // blank: discarded
    EXPECT_FALSE(pending);
    EXPECT_EQ(describe(blocks), (Blocks{"P: x "}));
}

}  // namespace
}  // namespace brindle
