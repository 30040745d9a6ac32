// Pipe-table rendering: header row, delimiter line, padding of short rows,
// and the escaping of "|" and line feeds inside cells.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "brindle/table.h"

namespace brindle {
namespace {

Table make_table(std::vector<std::vector<std::string>> rows) {
    Table table;
    for (auto& row : rows) {
        auto& cells = table.rows.emplace_back();
        for (auto& text : row) cells.push_back(TableCell{std::move(text)});
    }
    return table;
}

std::string rendered(const Table& table) {
    std::string out;
    render_table(out, table);
    return out;
}

TEST(TableRender, WorkedExample) {
    const Table table = make_table({{"Name", "Value"}, {"a|b", "one\ntwo"}, {"x"}});
    EXPECT_EQ(rendered(table),
              "|Name|Value|\n"
              "|---|---|\n"
              "|a\\|b|one two|\n"
              "|x||\n"
              "\n");
}

TEST(TableRender, OneRowIsHeaderAndDelimiterOnly) {
    EXPECT_EQ(rendered(make_table({{"x", "y"}})), "|x|y|\n|---|---|\n\n");
}

TEST(TableRender, ShortRowsArePaddedAtTheRight) {
    EXPECT_EQ(rendered(make_table({{"a", "b", "c"}, {"p"}})), "|a|b|c|\n|---|---|---|\n|p|||\n\n");
}

TEST(TableRender, EmptyFirstRowStillHeadsTheTable) {
    EXPECT_EQ(rendered(make_table({{}, {"p", "q"}})), "|||\n|---|---|\n|p|q|\n\n");
}

TEST(TableRender, RowsWithoutCellsGiveOneLineFeed) {
    EXPECT_EQ(rendered(make_table({{}, {}})), "\n");
}

TEST(TableRender, NoRowsGiveNothing) {
    EXPECT_EQ(rendered(Table{}), "");
}

TEST(TableRender, AllCellsEmpty) {
    EXPECT_EQ(rendered(make_table({{"", "", ""}, {"", "", ""}})), "||||\n|---|---|---|\n||||\n\n");
}

TEST(TableRender, AppendsToWhatIsThere) {
    std::string out = "before\n\n";
    render_table(out, make_table({{"x"}}));
    render_table(out, make_table({{"y"}}));
    EXPECT_EQ(out, "before\n\n|x|\n|---|\n\n|y|\n|---|\n\n");
}

TEST(TableRender, CellTextIsWrittenUnpadded) {
    EXPECT_EQ(rendered(make_table({{" a ", "한글"}})), "| a |한글|\n|---|---|\n\n");
}

TEST(TableEscape, OnlyBarsAndLineFeedsChange) {
    EXPECT_EQ(escape_cell_text("a|b|c"), "a\\|b\\|c");
    EXPECT_EQ(escape_cell_text("ends in \\"), "ends in \\");
    EXPECT_EQ(escape_cell_text("one\ntwo\r\nthree"), "one two\r three");
    EXPECT_EQ(escape_cell_text("*_\t`"), "*_\t`");
    EXPECT_EQ(escape_cell_text("||\n\n"), "\\|\\|  ");
    EXPECT_EQ(escape_cell_text(""), "");
}

}  // namespace
}  // namespace brindle
