// Markdown assembly: the text each kind of block adds and the final trim.
#include <gtest/gtest.h>

#include <string>

#include "brindle/convert.h"

namespace brindle {
namespace {

Table one_cell_table(std::string text) {
    Table table;
    table.rows.emplace_back().push_back(TableCell{std::move(text)});
    return table;
}

TEST(Markdown, NoBlocksGiveTheEmptyString) { EXPECT_EQ(assemble_markdown({}), ""); }

TEST(Markdown, ParagraphsAreTrimmedAndSeparatedByAnEmptyLine) {
    EXPECT_EQ(assemble_markdown({Paragraph{"  Hello  "}}), "Hello");
    EXPECT_EQ(assemble_markdown({Paragraph{"A"}, Paragraph{"\u00A0B\u3000"}}), "A\n\nB");
}

TEST(Markdown, LineFeedsInsideABlockStay) {
    EXPECT_EQ(assemble_markdown({Paragraph{"a\nb"}, Paragraph{"c"}}), "a\nb\n\nc");
}

TEST(Markdown, BlankParagraphAddsNothing) {
    EXPECT_EQ(assemble_markdown({Paragraph{"A"}, Paragraph{" \t\u2028 "}, Paragraph{"B"}}), "A\n\nB");
}

TEST(Markdown, EquationIsADisplayBlockOfItsTrimmedScript) {
    EXPECT_EQ(assemble_markdown({Paragraph{"Hello"}, Equation{"x^2 "}}), "Hello\n\n$$\nx^2\n$$");
    EXPECT_EQ(assemble_markdown({Equation{"   "}}), "$$\n\n$$");
    EXPECT_EQ(assemble_markdown({Equation{" a "}, Paragraph{"b"}}), "$$\na\n$$\n\nb");
}

TEST(Markdown, ImagePlaceholderWithAndWithoutCaption) {
    EXPECT_EQ(assemble_markdown({Image{""}}), "[이미지]");
    EXPECT_EQ(assemble_markdown({Image{"Figure 1"}}), "[이미지: Figure 1]");
    EXPECT_EQ(assemble_markdown({Image{""}, Image{"b"}}), "[이미지]\n\n[이미지: b]");
}

TEST(Markdown, TablesEndWithTheirOwnEmptyLine) {
    EXPECT_EQ(assemble_markdown({Paragraph{"p"}, one_cell_table("x"), one_cell_table("y"), Paragraph{"q"}}),
              "p\n\n|x|\n|---|\n\n|y|\n|---|\n\nq");
}

TEST(Markdown, DocumentEndingInATableEndsWithItsLastRow) {
    Table table = one_cell_table("h");
    table.rows.emplace_back().push_back(TableCell{"v "});
    EXPECT_EQ(assemble_markdown({table}), "|h|\n|---|\n|v |");
}

TEST(Markdown, TableWithoutCellsAddsOneLineFeed) {
    Table empty;
    empty.rows.resize(2);
    EXPECT_EQ(assemble_markdown({Paragraph{"a"}, empty, Paragraph{"b"}}), "a\n\n\nb");
}

TEST(Markdown, OnlyTheEndOfTheWholeTextIsTrimmed) {
    // A table without cells is the one block that can start the text with
    // white space; that line feed stays.
    Table empty;
    empty.rows.resize(1);
    EXPECT_EQ(assemble_markdown({empty, Paragraph{"a"}}), "\na");
    EXPECT_EQ(assemble_markdown({Paragraph{"a"}, empty}), "a");
}

}  // namespace
}  // namespace brindle
