// Pipe-table rendering: header row, delimiter line, padding of short rows,
// and the escaping of "|" and line feeds inside cells.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/table.h"

namespace brindle {
namespace {

std::string rendered(std::vector<std::vector<std::string>> rows) {
    Table table;
    for (auto& row : rows) {
        auto& cells = table.rows.emplace_back();
        for (auto& text : row) cells.push_back(TableCell{std::move(text)});
    }
    std::string out = "before\n";
    render_table(out, table);
    return out.substr(7);
}

TEST(RenderTable, Layouts) {
    EXPECT_EQ(rendered({{"Name", "Value"}, {"a|b", "one\ntwo"}, {"x"}}),
              "|Name|Value|\n|---|---|\n|a\\|b|one two|\n|x||\n\n");
    EXPECT_EQ(rendered({{"x", "y"}}), "|x|y|\n|---|---|\n\n");
    EXPECT_EQ(rendered({{"a", "b", "c"}, {"p"}}), "|a|b|c|\n|---|---|---|\n|p|||\n\n");
    EXPECT_EQ(rendered({{}, {"p", "q"}}), "|||\n|---|---|\n|p|q|\n\n");
    EXPECT_EQ(rendered({{"", "", ""}, {"", "", ""}}), "||||\n|---|---|---|\n||||\n\n");
    EXPECT_EQ(rendered({{" a ", "한글"}}), "| a |한글|\n|---|---|\n\n");  // never padded or trimmed
    EXPECT_EQ(rendered({{}, {}}), "\n");
    EXPECT_EQ(rendered({}), "");
}

TEST(RenderTable, EscapeChangesOnlyBarsAndLineFeeds) {
    EXPECT_EQ(escape_cell_text("a|b|c"), "a\\|b\\|c");
    EXPECT_EQ(escape_cell_text("one\ntwo\r\nend\\"), "one two\r end\\");
    EXPECT_EQ(escape_cell_text("||\n\n*_\t`"), "\\|\\|  *_\t`");
    EXPECT_EQ(escape_cell_text("\na|b\nc|\n|"), " a\\|b c\\| \\|");  // the two bytes taking turns
    EXPECT_EQ(escape_cell_text(""), "");
}

}  // namespace
}  // namespace brindle
