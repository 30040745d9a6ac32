// Table controls: cell placement, flattening, the nesting bound, the records
// consumed in every degraded case, and the size bound.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "brindle/limits.h"
#include "hwp/format.h"
#include "hwp/record.h"
#include "hwp/table.h"
#include "model/table.h"
#include "test_support.h"

namespace brindle {
namespace {

using namespace brindle::test;
using Recs = std::vector<HwpRecord>;
using Texts = std::vector<std::vector<std::string>>;

Texts cell_texts(const Table& table) {
    Texts texts;
    for (const auto& row : table.rows) {
        auto& out = texts.emplace_back();
        for (const TableCell& c : row) out.push_back(c.text);
    }
    return texts;
}

// A table control at `level` whose three one-cell rows hold 'p', nothing, 'q'.
Recs nested_pq(std::uint16_t level) {
    const auto d = static_cast<std::uint16_t>(level + 1);
    return cat({{ctrl_header(level, CTRL_TABLE), table_record(d, 3, {1, 1, 1})},
                cell(d, u"p"),
                {list_header(d)},
                cell(d, u"q")});
}

Recs field_para() { return {para_with_field(3, u"a", u"Kim", u"b"), click_here_ctrl(3, u"Type here")}; }

// The table record and cells of a table whose control header is at level 1.
Recs head(std::uint16_t rows, std::initializer_list<std::uint16_t> counts) { return {table_record(2, rows, counts)}; }
Recs cells(std::initializer_list<std::u16string_view> texts) {
    Recs out;
    for (auto text : texts) out = cat({out, cell(2, text)});
    return out;
}

struct Case {
    const char* what;
    Recs body;                  // the control's records, after a 'tbl ' header at level 1
    std::optional<Texts> rows;  // nothing: no table
    std::size_t consumed;
};

TEST(ParseTable, CasesInRecordOrder) {
    const Recs one_cell = {table_record(2, 1, {1}), list_header(2)};
    const Case cases[] = {
        {"2 x 2 in record order", cat({head(2, {2, 2}), cells({u"a", u"b", u"c", u"d"})}),
         Texts{{"a", "b"}, {"c", "d"}}, 9},
        {"row span: row 1's only cell comes first", cat({head(2, {2, 1}), cells({u"A", u"b", u"d"})}),
         Texts{{"A", "b"}, {"d"}}, 7},
        {"caption is in no cell", cat({cells({u"Caption"}), head(1, {1}), cells({u"x"})}), Texts{{"x"}}, 5},
        {"paragraphs trimmed, blank ones dropped",
         cat({one_cell, {para_text(3, u"  first "), para_text(3, u""), para_text(3, u"second")}}),
         Texts{{"first second"}}, 5},
        {"equation and drawing add nothing",
         cat({one_cell,
              {para_text(3, u"before"), ctrl_header(3, CTRL_EQUATION), record(HWPTAG_EQEDIT, 4),
               ctrl_header(3, CTRL_DRAWING), para_text(5, u"box"), para_text(3, u"after")}}),
         Texts{{"before after"}}, 8},
        {"nested table between paragraphs", cat({head(1, {1}), cells({u"x"}), nested_pq(3), {para_text(3, u"y")}}),
         Texts{{"x p q y"}}, 11},
        {"cell holding only a nested table", cat({one_cell, nested_pq(3)}), Texts{{"p q"}}, 9},
        {"click-here field, name one level down", cat({one_cell, field_para(), {field_name_record(4, u"Name")}}),
         Texts{{"a{{Name: Type here --> Kim}}b"}}, 5},
        {"name record two levels down is no name", cat({one_cell, field_para(), {field_name_record(5, u"Name")}}),
         Texts{{"a{{: Type here --> Kim}}b"}}, 5},
        {"table before the field ends its paragraph",
         cat({one_cell, {field_para()[0]}, nested_pq(3), {field_para()[1], field_name_record(4, u"N")}}),
         Texts{{"aKimb p q"}}, 12},
        {"no table record", cells({u"x"}), std::nullopt, 2},
        {"table record one level too deep", {list_header(2), table_record(3, 1, {1})}, std::nullopt, 2},
        {"17-byte table record", cat({cells({u"cap"}), {record(HWPTAG_TABLE, 2, ByteBuffer(17, 0))}, cells({u"x"})}),
         std::nullopt, 3},
        {"18 bytes, 2 rows: rows without cells", cat({head(2, {}), cells({u"x"})}), Texts{{}, {}}, 3},
        {"zero rows", cat({head(0, {}), cells({u"x"})}), std::nullopt, 3},
        {"3 rows, counts for 2; surplus cell dropped", cat({head(3, {1, 1}), cells({u"a", u"b", u"c"})}),
         Texts{{"a"}, {"b"}, {}}, 7},
        {"missing cell headers", cat({head(2, {3, 2}), cells({u"a", u"b"})}), Texts{{"a", "b", ""}, {"", ""}}, 5},
        {"other record where a cell header belongs",
         cat({head(1, {1}), {record(HWPTAG_SHAPE_COMPONENT, 2)}, cells({u"x"})}), Texts{{""}}, 4},
        {"surplus cells", cat({head(1, {1}), cells({u"a", u"b", u"c"})}), Texts{{"a"}}, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Recs records = cat({{ctrl_header(1, CTRL_TABLE)}, c.body, {para_text(1, u"next")}});
        const TableParse parsed = parse_table(records, 1, 1, 0);
        EXPECT_EQ(parsed.consumed, c.consumed);
        ASSERT_EQ(parsed.table.has_value(), c.rows.has_value());
        if (c.rows) {
            EXPECT_EQ(cell_texts(*parsed.table), *c.rows);
        }
    }
}

// One-cell tables nested `count` deep, the outermost control at `level`; the
// cell of table k holds 'tk', then table k + 1, and the second deepest cell
// 'tail' after it.
Recs chain(std::uint16_t level, int k, int count) {
    const auto d = static_cast<std::uint16_t>(level + 1);
    const std::string name = "t" + std::to_string(k);
    const std::u16string text(name.begin(), name.end());
    Recs out = cat({{ctrl_header(level, CTRL_TABLE), table_record(d, 1, {1})}, cell(d, text)});
    if (k + 1 < count) out = cat({out, chain(static_cast<std::uint16_t>(d + 1), k + 1, count)});
    if (k + 2 == count) out.push_back(para_text(static_cast<std::uint16_t>(d + 1), u"tail"));
    return out;
}

TEST(ParseTable, FourLevelsOfTablesContributeAndTheFifthIsSkipped) {
    const Recs records = chain(1, 0, 5);
    const TableParse parsed = parse_table(records, 1, 1, 0);
    ASSERT_TRUE(parsed.table);
    EXPECT_EQ(cell_texts(*parsed.table), (Texts{{"t0 t1 t2 t3 tail"}}));
    EXPECT_EQ(parsed.consumed, 4 * 5u);

    const Recs two = chain(1, 0, 2);
    EXPECT_EQ(cell_texts(*parse_table(two, 1, 1, 2).table), (Texts{{"t0 t1 tail"}}));
    EXPECT_EQ(cell_texts(*parse_table(two, 1, 1, MAX_TABLE_DEPTH).table), (Texts{{"t0 tail"}}));
}

TEST(ParseTable, GridBoundCountsRowsPaddedToTheWidest) {
    // 32768 rows x 128 columns is exactly 4194304 grid cells.
    const Recs at_bound = {ctrl_header(1, CTRL_TABLE), table_record(2, 32768, {128})};
    EXPECT_EQ(parse_table(at_bound, 1, 1, 0).table->rows.size(), 32768u);

    const Recs over = {ctrl_header(1, CTRL_TABLE), table_record(2, 32768, {1, 129})};
    try {
        parse_table(over, 1, 1, 0);
        ADD_FAILURE() << "no LimitExceeded";
    } catch (const LimitExceeded& e) {
        EXPECT_STREQ(e.what(),
                     "table declares 32768 rows of up to 129 cells (4227072 grid cells); "
                     "at most 4194304 are supported");
    }
}

TEST(ParseTable, DocumentBudgetIsSharedByAllTablesAndNestedOnes) {
    // Each table is charged its rows plus its grid: 2 rows of 3 cells = 8.
    const Recs table = {ctrl_header(1, CTRL_TABLE), table_record(2, 2, {3, 3})};
    WalkContext document;
    document.budget = TableBudget(20);
    EXPECT_TRUE(parse_table(table, 1, 1, 0, document).table);  // 12 left
    EXPECT_TRUE(parse_table(table, 1, 1, 0, document).table);  // 4 left
    EXPECT_THROW(parse_table(table, 1, 1, 0, document), LimitExceeded);

    // A nested table (1 row of 1 cell: 2) is charged to the same budget as
    // its parent (1 row of 1 cell: 2).
    const Recs nested = {ctrl_header(1, CTRL_TABLE), table_record(2, 1, {1}), list_header(2),
                         ctrl_header(2, CTRL_TABLE), table_record(3, 1, {1})};
    WalkContext three;
    three.budget = TableBudget(3);
    EXPECT_THROW(parse_table(nested, 1, 1, 0, three), LimitExceeded);
    WalkContext four;
    four.budget = TableBudget(4);
    EXPECT_TRUE(parse_table(nested, 1, 1, 0, four).table);
}

}  // namespace
}  // namespace brindle
