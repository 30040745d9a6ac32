// Markdown assembly: the text each kind of block adds and the final trim.
#include <gtest/gtest.h>

#include <string>

#include "model/markdown.h"

namespace brindle {
namespace {

Table table_of(std::vector<std::string> column) {
    Table table;
    for (auto& text : column) table.rows.emplace_back().push_back(TableCell{std::move(text)});
    return table;
}

TEST(AssembleMarkdown, Blocks) {
    EXPECT_EQ(assemble_markdown({}), "");
    EXPECT_EQ(assemble_markdown({Paragraph{"  Hello  "}}), "Hello");
    EXPECT_EQ(assemble_markdown({Paragraph{"A"}, Paragraph{" \t\u2028 "}, Paragraph{"\u00A0a\nb\u3000"}}), "A\n\na\nb");
    EXPECT_EQ(assemble_markdown({Paragraph{"Hello"}, Equation{"x^2 "}}), "Hello\n\n$$\nx^2\n$$");
    EXPECT_EQ(assemble_markdown({Equation{"   "}}), "$$\n\n$$");
    EXPECT_EQ(assemble_markdown({Image{""}, Image{"Figure 1"}}), "[이미지]\n\n[이미지: Figure 1]");
    EXPECT_EQ(assemble_markdown({Paragraph{"p"}, table_of({"x"}), table_of({"y"}), Paragraph{"q"}}),
              "p\n\n|x|\n|---|\n\n|y|\n|---|\n\nq");
}

TEST(AssembleMarkdown, OnlyTheEndOfTheWholeTextIsTrimmed) {
    EXPECT_EQ(assemble_markdown({table_of({"h", "v "})}), "|h|\n|---|\n|v |");
    // A table without cells adds a lone line feed: kept at the start.
    Table empty;
    empty.rows.resize(2);
    EXPECT_EQ(assemble_markdown({empty, Paragraph{"a"}, empty}), "\na");
}

}  // namespace
}  // namespace brindle
