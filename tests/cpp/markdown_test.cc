// Markdown assembly: the text each kind of block adds and the final trim.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

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

// The text with page markers or without, and the pages recorded.
struct Assembled {
    std::string text;
    std::vector<std::pair<std::uint32_t, std::size_t>> pages;
};

Assembled assembled(BlockList blocks, bool markers) {
    std::vector<PageStart> pages;
    MarkdownMap map{nullptr, &pages, markers};
    Assembled out{assemble_markdown(std::move(blocks), {}, &map), {}};
    for (const PageStart& page : pages) out.pages.emplace_back(page.page, page.offset);
    return out;
}

using Starts = std::vector<std::pair<std::uint32_t, std::size_t>>;

TEST(AssembleMarkdown, PagesAreRecordedAndMarkedOnlyWhenAsked) {
    // Page 2's first block writes nothing: it begins with the next.
    const BlockList blocks = {
        NewPage{1},     Paragraph{"a"}, NewPage{2}, Table{}, Paragraph{"b"}, NewPage{3}, HeaderFooter{"머리말", 1},
        Paragraph{"h"}, Paragraph{"c"}};
    EXPECT_EQ(assemble_markdown(blocks), "a\n\nb\n\n> 머리말: h\n\nc");
    const Assembled plain = assembled(blocks, false);
    EXPECT_EQ(plain.text, "a\n\nb\n\n> 머리말: h\n\nc");
    EXPECT_EQ(plain.pages, (Starts{{1, 0}, {2, 3}, {3, 6}}));
    const Assembled marked = assembled(blocks, true);
    EXPECT_EQ(marked.text, "<!-- page 1 -->\n\na\n\n<!-- page 2 -->\n\nb\n\n<!-- page 3 -->\n\n> 머리말: h\n\nc");
    EXPECT_EQ(marked.pages,
              (Starts{{1, 0}, {2, marked.text.find("<!-- page 2")}, {3, marked.text.find("<!-- page 3")}}));

    // A marker ends a list: the item after it shows its own number, without
    // the mark that keeps a renderer from renumbering it.
    Paragraph first("one", ParagraphHead{HeadKind::Number, 0, "1."});
    Paragraph third("three", ParagraphHead{HeadKind::Number, 0, "3."});
    EXPECT_EQ(assembled({first, NewPage{2}, third}, false).text, "1. one\n\n<!-- -->\n\n3. three");
    EXPECT_EQ(assembled({first, NewPage{2}, third}, true).text, "1. one\n\n<!-- page 2 -->\n\n3. three");
}

}  // namespace
}  // namespace brindle
