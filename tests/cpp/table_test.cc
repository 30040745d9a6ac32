// Table controls: cell placement, flattening of paragraphs, fields and
// nested tables, the nesting bound, the records consumed in every degraded
// case, and the size bound.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "brindle/format.h"
#include "brindle/limits.h"
#include "brindle/table.h"
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

using Texts = std::vector<std::vector<std::string>>;

Texts cell_texts(const Table& table) {
    Texts texts;
    for (const auto& row : table.rows) {
        auto& out = texts.emplace_back();
        for (const TableCell& cell : row) out.push_back(cell.text);
    }
    return texts;
}

// A cell of a table whose records are at `level`: list header, paragraph
// header and one paragraph of text one level deeper.
void add_cell(std::vector<HwpRecord>& records, std::uint16_t level, std::u16string_view text) {
    records.push_back(list_header(level));
    records.push_back(record(HWPTAG_PARA_HEADER, level));
    records.push_back(para_text(static_cast<std::uint16_t>(level + 1), text));
}

// Every test below puts the table's control header at index 0, level 1, so
// the table's own records are at level 2 and the parser starts at index 1.
TableParse parse_at_1(const std::vector<HwpRecord>& records, std::int32_t depth = 0) {
    return parse_table(records, 1, 1, depth);
}

std::vector<HwpRecord> table_start(std::uint16_t rows, std::initializer_list<std::uint16_t> counts) {
    return {ctrl_header(1, CTRL_TABLE), table_record(2, rows, counts)};
}

// --- placement ---------------------------------------------------------------

TEST(TablePlacement, CellsFillRowsInRecordOrder) {
    auto records = table_start(2, {2, 2});
    for (auto text : {u"a", u"b", u"c", u"d"}) add_cell(records, 2, text);
    records.push_back(record(HWPTAG_PARA_HEADER, 0));

    const TableParse parsed = parse_at_1(records);
    ASSERT_TRUE(parsed.table);
    EXPECT_EQ(cell_texts(*parsed.table), (Texts{{"a", "b"}, {"c", "d"}}));
    // The table record and 4 cells of 3 records; the level-0 record is not taken.
    EXPECT_EQ(parsed.consumed, 13u);
}

TEST(TablePlacement, RowSpanLeavesTheLowerRowShort) {
    // 2 x 2 with the top-left cell spanning both rows: the single cell of row
    // 1, shown in the second column, is placed first in its row.
    auto records = table_start(2, {2, 1});
    for (auto text : {u"span", u"b", u"d"}) add_cell(records, 2, text);

    const TableParse parsed = parse_at_1(records);
    ASSERT_TRUE(parsed.table);
    EXPECT_EQ(cell_texts(*parsed.table), (Texts{{"span", "b"}, {"d"}}));
}

TEST(TablePlacement, CaptionBeforeTheTableRecordIsInNoCell) {
    std::vector<HwpRecord> records = {ctrl_header(1, CTRL_TABLE), list_header(2),
                                      para_text(3, u"Caption"), table_record(2, 1, {1})};
    add_cell(records, 2, u"x");

    const TableParse parsed = parse_at_1(records);
    ASSERT_TRUE(parsed.table);
    EXPECT_EQ(cell_texts(*parsed.table), (Texts{{"x"}}));
    EXPECT_EQ(parsed.consumed, 6u);
}

TEST(TablePlacement, TableUnderAControlAtAnyLevel) {
    // A table control at level 5: its records are at level 6.
    std::vector<HwpRecord> records = {para_text(1, u"ignored"), ctrl_header(5, CTRL_TABLE),
                                      table_record(6, 1, {1})};
    add_cell(records, 6, u"deep");
    records.push_back(para_text(3, u"after"));

    const TableParse parsed = parse_table(records, 2, 5, 0);
    ASSERT_TRUE(parsed.table);
    EXPECT_EQ(cell_texts(*parsed.table), (Texts{{"deep"}}));
    EXPECT_EQ(parsed.consumed, 4u);
}

// --- flattening ----------------------------------------------------------------

TEST(TableFlattening, ParagraphsAreTrimmedAndJoinedBySingleSpaces) {
    auto records = table_start(1, {1});
    records.push_back(list_header(2));
    records.push_back(para_text(3, u"  first "));
    records.push_back(para_text(3, u""));
    records.push_back(para_text(3, u"second"));

    const TableParse parsed = parse_at_1(records);
    ASSERT_TRUE(parsed.table);
    EXPECT_EQ(cell_texts(*parsed.table), (Texts{{"first second"}}));
}

TEST(TableFlattening, ParagraphOfOnlyControlsAddsNothing) {
    ByteWriter tab_only;
    tab_only.control(9);
    auto records = table_start(1, {1});
    records.push_back(list_header(2));
    records.push_back(record(HWPTAG_PARA_TEXT, 3, tab_only.take()));
    records.push_back(para_text(3, u"x"));

    const TableParse parsed = parse_at_1(records);
    ASSERT_TRUE(parsed.table);
    EXPECT_EQ(cell_texts(*parsed.table), (Texts{{"x"}}));
}

// A nested table (control at `level`) of three one-cell rows: 'p', empty, 'q'.
void add_nested_pq(std::vector<HwpRecord>& records, std::uint16_t level) {
    const auto inner = static_cast<std::uint16_t>(level + 1);
    records.push_back(ctrl_header(level, CTRL_TABLE));
    records.push_back(table_record(inner, 3, {1, 1, 1}));
    add_cell(records, inner, u"p");
    records.push_back(list_header(inner));
    add_cell(records, inner, u"q");
}

TEST(TableFlattening, NestedTableTextFollowsTheParagraphBeforeIt) {
    auto records = table_start(1, {1});
    records.push_back(list_header(2));
    records.push_back(para_text(3, u"x"));
    add_nested_pq(records, 3);
    records.push_back(record(HWPTAG_PARA_HEADER, 2));
    records.push_back(para_text(3, u"y"));

    const TableParse parsed = parse_at_1(records);
    ASSERT_TRUE(parsed.table);
    EXPECT_EQ(cell_texts(*parsed.table), (Texts{{"x p q y"}}));
    EXPECT_EQ(parsed.consumed, records.size() - 1);
}

TEST(TableFlattening, CellHoldingOnlyANestedTable) {
    auto records = table_start(1, {1});
    records.push_back(list_header(2));
    add_nested_pq(records, 3);

    const TableParse parsed = parse_at_1(records);
    ASSERT_TRUE(parsed.table);
    EXPECT_EQ(cell_texts(*parsed.table), (Texts{{"p q"}}));
}

TEST(TableFlattening, EquationsAndDrawingObjectsAddNothing) {
    ByteWriter script;
    script.u32(0).u16(3).utf16(u"x^2");
    auto records = table_start(1, {1});
    records.push_back(list_header(2));
    records.push_back(para_text(3, u"before"));
    records.push_back(ctrl_header(3, CTRL_EQUATION));
    records.push_back(record(HWPTAG_EQEDIT, 4, script.take()));
    records.push_back(ctrl_header(3, CTRL_DRAWING));
    records.push_back(record(HWPTAG_SHAPE_COMPONENT, 4));
    records.push_back(list_header(4));
    records.push_back(para_text(5, u"text box"));
    records.push_back(para_text(3, u"after"));

    const TableParse parsed = parse_at_1(records);
    ASSERT_TRUE(parsed.table);
    EXPECT_EQ(cell_texts(*parsed.table), (Texts{{"before after"}}));
}

TEST(TableFlattening, ClickHereFieldRendersAsInABodyParagraph) {
    auto records = table_start(1, {1});
    records.push_back(list_header(2));
    records.push_back(para_with_field(3, u"To: ", u"Kim", u"."));
    records.push_back(click_here_ctrl(3, u"Type here"));
    records.push_back(field_name_record(4, u"Name"));

    const TableParse parsed = parse_at_1(records);
    ASSERT_TRUE(parsed.table);
    EXPECT_EQ(cell_texts(*parsed.table), (Texts{{"To: {{Name: Type here --> Kim}}."}}));
    EXPECT_EQ(parsed.consumed, 5u);
}

TEST(TableFlattening, FieldNameRecordMustBeOneLevelBelowItsHeader) {
    // Header at level 3, name at level 5: the name is empty and the tag-87
    // record is passed over as an ordinary record.
    auto records = table_start(1, {1});
    records.push_back(list_header(2));
    records.push_back(para_with_field(3, u"", u"Kim", u""));
    records.push_back(click_here_ctrl(3, u"Type here"));
    records.push_back(field_name_record(5, u"Name"));

    const TableParse parsed = parse_at_1(records);
    ASSERT_TRUE(parsed.table);
    EXPECT_EQ(cell_texts(*parsed.table), (Texts{{"{{: Type here --> Kim}}"}}));
    EXPECT_EQ(parsed.consumed, 5u);
}

TEST(TableFlattening, FieldAfterATableFindsNoParagraph) {
    // The nested table ends the paragraph, so the field is written as its
    // plain content and its header is skipped with its name record.
    auto records = table_start(1, {1});
    records.push_back(list_header(2));
    records.push_back(para_with_field(3, u"a", u"Kim", u"b"));
    records.push_back(ctrl_header(3, CTRL_TABLE));
    records.push_back(table_record(4, 1, {1}));
    add_cell(records, 4, u"n");
    records.push_back(click_here_ctrl(3, u"Type here"));
    records.push_back(field_name_record(4, u"Name"));

    const TableParse parsed = parse_at_1(records);
    ASSERT_TRUE(parsed.table);
    EXPECT_EQ(cell_texts(*parsed.table), (Texts{{"aKimb n"}}));
    EXPECT_EQ(parsed.consumed, records.size() - 1);
}

TEST(TableFlattening, NothingCarriesOverBetweenCells) {
    // The first cell's paragraph has a field but the '%clk' header comes in
    // the second cell, which has no paragraph pending at that point.
    auto records = table_start(1, {2});
    records.push_back(list_header(2));
    records.push_back(para_with_field(3, u"", u"Kim", u""));
    records.push_back(list_header(2));
    records.push_back(click_here_ctrl(3, u"Type here"));
    records.push_back(field_name_record(4, u"Name"));
    records.push_back(para_text(3, u"second"));

    const TableParse parsed = parse_at_1(records);
    ASSERT_TRUE(parsed.table);
    EXPECT_EQ(cell_texts(*parsed.table), (Texts{{"Kim", "second"}}));
}

// --- nesting depth -------------------------------------------------------------

// One-cell tables nested `count` deep, the outermost control at `level`; the
// cell of table k holds 'tk' and then table k + 1. The deepest cell that
// holds a further table also gets 'tail' after it.
void add_chain(std::vector<HwpRecord>& records, std::uint16_t level, int k, int count) {
    const auto inner = static_cast<std::uint16_t>(level + 1);
    const auto para = static_cast<std::uint16_t>(level + 2);
    records.push_back(ctrl_header(level, CTRL_TABLE));
    records.push_back(table_record(inner, 1, {1}));
    records.push_back(list_header(inner));
    const std::string name = "t" + std::to_string(k);
    records.push_back(para_text(para, std::u16string(name.begin(), name.end())));
    if (k + 1 < count) {
        add_chain(records, para, k + 1, count);
        if (k + 2 == count) records.push_back(para_text(para, u"tail"));
    }
}

TEST(TableNesting, FourLevelsContributeAndTheFifthIsSkipped) {
    std::vector<HwpRecord> records;
    add_chain(records, 1, 0, 5);
    records.push_back(record(HWPTAG_PARA_HEADER, 0));

    const TableParse parsed = parse_at_1(records);
    ASSERT_TRUE(parsed.table);
    // 't4' sits in the table of depth 4; 'tail' follows it in depth 3.
    EXPECT_EQ(cell_texts(*parsed.table), (Texts{{"t0 t1 t2 t3 tail"}}));
    EXPECT_EQ(parsed.consumed, records.size() - 2);
}

TEST(TableNesting, DepthDecidesWhetherACellsTableIsRead) {
    std::vector<HwpRecord> records;
    add_chain(records, 1, 0, 2);

    const TableParse at_two = parse_at_1(records, 2);
    ASSERT_TRUE(at_two.table);
    EXPECT_EQ(cell_texts(*at_two.table), (Texts{{"t0 t1 tail"}}));

    const TableParse at_max = parse_at_1(records, MAX_TABLE_DEPTH);
    ASSERT_TRUE(at_max.table);
    EXPECT_EQ(cell_texts(*at_max.table), (Texts{{"t0 tail"}}));
    EXPECT_EQ(at_max.consumed, 8u);
    EXPECT_EQ(at_two.consumed, 8u);
}

// --- consumed counts -------------------------------------------------------------

TEST(TableConsumed, NoTableRecordConsumesTheControl) {
    const std::vector<HwpRecord> records = {ctrl_header(1, CTRL_TABLE), list_header(2),
                                            para_text(3, u"x"), record(HWPTAG_PARA_HEADER, 0)};
    const TableParse parsed = parse_at_1(records);
    EXPECT_FALSE(parsed.table);
    EXPECT_EQ(parsed.consumed, 2u);
}

TEST(TableConsumed, NoTableRecordBeforeTheEndOfTheList) {
    const std::vector<HwpRecord> records = {ctrl_header(1, CTRL_TABLE), list_header(2),
                                            table_record(3, 1, {1})};
    const TableParse parsed = parse_at_1(records);
    EXPECT_FALSE(parsed.table);  // the table record is one level too deep
    EXPECT_EQ(parsed.consumed, 2u);
}

TEST(TableConsumed, EmptyControlConsumesNothing) {
    const std::vector<HwpRecord> records = {ctrl_header(1, CTRL_TABLE), para_text(1, u"next")};
    EXPECT_EQ(parse_at_1(records).consumed, 0u);
    EXPECT_EQ(parse_table(records, 2, 1, 0).consumed, 0u);
}

TEST(TableConsumed, ShortTableRecordTakesOnlyUpToItself) {
    ByteWriter short_payload;
    short_payload.zeros(4).u16(1).zeros(11);  // 17 bytes
    const std::vector<HwpRecord> records = {ctrl_header(1, CTRL_TABLE), list_header(2),
                                            para_text(3, u"caption"),
                                            record(HWPTAG_TABLE, 2, short_payload.take()),
                                            list_header(2), para_text(3, u"cell")};
    const TableParse parsed = parse_at_1(records);
    EXPECT_FALSE(parsed.table);
    // Caption list, its paragraph and the table record; the caller reads the cell.
    EXPECT_EQ(parsed.consumed, 3u);
}

TEST(TableConsumed, EighteenByteRecordGivesRowsWithoutCells) {
    const std::vector<HwpRecord> records = {ctrl_header(1, CTRL_TABLE), table_record(2, 2, {}),
                                            list_header(2), para_text(3, u"dropped"),
                                            para_text(1, u"next")};
    const TableParse parsed = parse_at_1(records);
    ASSERT_TRUE(parsed.table);
    EXPECT_EQ(cell_texts(*parsed.table), (Texts{{}, {}}));
    EXPECT_EQ(parsed.consumed, 3u);
}

TEST(TableConsumed, ZeroRowsGiveNoTableButTakeTheControl) {
    auto records = table_start(0, {});
    add_cell(records, 2, u"a");
    records.push_back(para_text(1, u"next"));
    const TableParse parsed = parse_at_1(records);
    EXPECT_FALSE(parsed.table);
    EXPECT_EQ(parsed.consumed, 4u);
}

TEST(TableConsumed, RowsBeyondTheCountsInThePayloadHaveNoCells) {
    // Three rows but a 22-byte payload: counts for rows 0 and 1 only.
    auto records = table_start(3, {1, 1});
    ASSERT_EQ(records[1].size(), 22u);
    for (auto text : {u"a", u"b", u"c"}) add_cell(records, 2, text);

    const TableParse parsed = parse_at_1(records);
    ASSERT_TRUE(parsed.table);
    EXPECT_EQ(cell_texts(*parsed.table), (Texts{{"a"}, {"b"}, {}}));
    // Cell 'c' is surplus: dropped, but its records are taken.
    EXPECT_EQ(parsed.consumed, 10u);
}

TEST(TableConsumed, MissingCellHeadersLeaveTheRestEmpty) {
    auto records = table_start(2, {3, 2});
    add_cell(records, 2, u"a");
    add_cell(records, 2, u"b");
    records.push_back(para_text(1, u"next"));

    const TableParse parsed = parse_at_1(records);
    ASSERT_TRUE(parsed.table);
    EXPECT_EQ(cell_texts(*parsed.table), (Texts{{"a", "b", ""}, {"", ""}}));
    EXPECT_EQ(parsed.consumed, 7u);
}

TEST(TableConsumed, OtherRecordInPlaceOfACellHeaderEndsTheCells) {
    // A record at the table's level that is not a list header: no cell is
    // matched from there on, and the record is dropped with what follows.
    auto records = table_start(1, {2});
    add_cell(records, 2, u"a");
    records.push_back(record(HWPTAG_PARA_HEADER, 2));
    records.push_back(list_header(2));
    records.push_back(para_text(3, u"b"));
    records.push_back(para_text(1, u"next"));

    const TableParse parsed = parse_at_1(records);
    ASSERT_TRUE(parsed.table);
    // The paragraph header at level 2 belongs to cell 'a', so 'b' is reached.
    EXPECT_EQ(cell_texts(*parsed.table), (Texts{{"a", "b"}}));

    std::vector<HwpRecord> stray = table_start(1, {1});
    stray.push_back(record(HWPTAG_SHAPE_COMPONENT, 2));
    add_cell(stray, 2, u"late");
    const TableParse none = parse_at_1(stray);
    ASSERT_TRUE(none.table);
    EXPECT_EQ(cell_texts(*none.table), (Texts{{""}}));
    EXPECT_EQ(none.consumed, 5u);
}

TEST(TableConsumed, SurplusCellsAreDroppedWithTheirContent) {
    auto records = table_start(1, {1});
    for (auto text : {u"a", u"b", u"c"}) add_cell(records, 2, text);
    records.push_back(record(HWPTAG_PARA_HEADER, 0));

    const TableParse parsed = parse_at_1(records);
    ASSERT_TRUE(parsed.table);
    EXPECT_EQ(cell_texts(*parsed.table), (Texts{{"a"}}));
    EXPECT_EQ(parsed.consumed, 10u);
}

// --- size bound ----------------------------------------------------------------

TEST(TableLimit, GridAtTheBoundIsBuilt) {
    // 32768 rows padded to 128 columns: 4194304 grid cells, exactly the bound.
    const auto records = table_start(32768, {128});
    const TableParse parsed = parse_at_1(records);
    ASSERT_TRUE(parsed.table);
    EXPECT_EQ(parsed.table->rows.size(), 32768u);
    EXPECT_EQ(parsed.table->rows[0].size(), 128u);
    EXPECT_EQ(parsed.table->rows[1].size(), 0u);
}

TEST(TableLimit, GridOverTheBoundThrows) {
    // One more column: 32768 * 129 = 4227072.
    const auto records = table_start(32768, {128, 129});
    try {
        parse_at_1(records);
        FAIL() << "expected LimitExceeded";
    } catch (const LimitExceeded& e) {
        EXPECT_EQ(std::string(e.what()),
                  "table declares 32768 rows of up to 129 cells (4227072 grid cells); "
                  "at most 4194304 are supported");
    }
}

TEST(TableLimit, DeclaredCellsOverTheBoundThrow) {
    // 65 rows of 65535 cells: 4259775 declared cells.
    std::vector<HwpRecord> records = {ctrl_header(1, CTRL_TABLE)};
    ByteWriter w;
    w.u32(0).u16(65).u16(0).zeros(10);
    for (int k = 0; k < 65; ++k) w.u16(65535);
    records.push_back(record(HWPTAG_TABLE, 2, w.take()));
    EXPECT_THROW(parse_at_1(records), LimitExceeded);
}

// --- flush_cell_paragraph ----------------------------------------------------------

TEST(TableCellFlush, AppendsTrimmedTextWithOneSpace) {
    std::string cell = "a";
    std::optional<PendingParagraph> pending = PendingParagraph{{"\t b \n", {}}, {}};
    flush_cell_paragraph(pending, cell);
    EXPECT_EQ(cell, "a b");
    EXPECT_FALSE(pending);

    flush_cell_paragraph(pending, cell);  // nothing pending: nothing happens
    EXPECT_EQ(cell, "a b");

    pending = PendingParagraph{{" \u3000 ", {}}, {}};
    flush_cell_paragraph(pending, cell);  // blank after trimming
    EXPECT_EQ(cell, "a b");
    EXPECT_FALSE(pending);
}

}  // namespace
}  // namespace brindle
