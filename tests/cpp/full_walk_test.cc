// The full profile's walk and assembly over synthetic sections: what each
// control adds to its paragraph's Markdown, and where its blocks go.
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

std::string full(const Recs& records, Definitions info = {}) {
    WalkContext context(Profile::Full, std::move(info));
    BlockList blocks;
    walk_section(records, blocks, context);
    return assemble_markdown(std::move(blocks), context.take_notes());
}

// A body paragraph: its header (naming paragraph shape `shape`) and its text.
Recs para(ByteWriter text, std::uint16_t shape = 0) {
    return {para_header(0, shape), record(HWPTAG_PARA_TEXT, 1, text.take())};
}
Recs para(std::u16string_view text, std::uint16_t shape = 0) { return para(ByteWriter().utf16(text), shape); }

// A control at level 1 with a u32 `field` after its id, owning a paragraph
// list of one paragraph (a note, a header or footer).
Recs owning(std::uint32_t id, std::uint32_t field, std::u16string_view text) {
    return {ctrl_header(1, id, ByteWriter().u32(field).take()), list_header(2), para_header(2), para_text(3, text)};
}

// A table control at level 1: a caption "Cap" on side 0-3 (left, right,
// top, bottom; none when negative), then the table record with its rows,
// declared columns and cells per row.
Recs table(std::uint16_t rows, std::uint16_t columns, std::initializer_list<std::uint16_t> counts, int side = -1) {
    Recs out = {ctrl_header(1, CTRL_TABLE)};
    if (side >= 0) {
        ByteBuffer owner = ByteWriter().u16(1).u16(0).u32(0).u32(std::uint32_t(side)).zeros(8).take();
        out = cat({out, {record(HWPTAG_LIST_HEADER, 2, owner), para_header(2), para_text(3, u"Cap")}});
    }
    ByteWriter w;
    w.u32(0).u16(rows).u16(columns).zeros(10);
    for (std::uint16_t count : counts) w.u16(count);
    return cat({out, {record(HWPTAG_TABLE, 2, w.take())}});
}
// A cell's list header (column, row, column span, row span) and a paragraph.
Recs cell_at(std::uint16_t column, std::uint16_t row, std::uint16_t columns, std::uint16_t rows,
             std::u16string_view text) {
    ByteWriter w;
    w.u16(1).u16(0).u32(0).u16(column).u16(row).u16(columns).u16(rows).zeros(16);
    return {record(HWPTAG_LIST_HEADER, 2, w.take()), para_header(2), para_text(3, text)};
}

// A cell's list header at `level` for the cell at (`column`, `row`).
HwpRecord list_header_at(std::uint16_t level, std::uint16_t column, std::uint16_t row) {
    ByteWriter w;
    w.u16(1).u16(0).u32(0).u16(column).u16(row).u16(1).u16(1).zeros(16);
    return record(HWPTAG_LIST_HEADER, level, w.take());
}

TEST(FullWalk, ClickHereFieldAfterTheSectionDefinition) {
    ByteWriter w;
    w.control(2, CTRL_SECTION).utf16(u"a").control(3, CTRL_CLICK_HERE).utf16(u"Kim").control(4).utf16(u"b");
    const Recs records = cat({para(w),
                              {ctrl_header(1, CTRL_SECTION, ByteBuffer(20, 0)), click_here_ctrl(1, u"Type here"),
                               field_name_record(2, u"Name")}});
    EXPECT_EQ(full(records), "a{{Name: Type here --> Kim}}b");
    BlockList exact;  // the exact rules end the paragraph at the 'secd' header
    walk_section(records, exact);
    ASSERT_EQ(exact.size(), 1u);
    EXPECT_EQ(describe(exact[0]), "P:aKimb");
}

TEST(FullWalk, WhatControlsAddToTheirParagraphs) {
    const auto text = [](std::u16string_view s) { return ByteWriter().utf16(s); };
    const Recs tbl = para(ByteWriter().control(11, CTRL_TABLE));
    ByteWriter link;
    link.u32(0).u8(0).u16(20).utf16(u"http\\://a.com;1;0;0;");
    const struct {
        const char* what;
        Recs records;
        const char* markdown;
    } cases[] = {
        {"tab, line break, non-breaking space",
         para(text(u"a").control(9).utf16(u"b").u16(10).utf16(u"c").u16(30).utf16(u"d")), "a b\nc d"},
        {"table after all of its paragraph's text",
         cat({para(text(u"a ").control(11, CTRL_TABLE).utf16(u"b")), table(1, 2, {2}), cell_at(0, 0, 1, 1, u"x"),
              cell_at(1, 0, 1, 1, u"y")}),
         "a b\n\n|x|y|\n|---|---|"},
        {"a table of one cell is its content",
         cat({para(text(u"a").control(11, CTRL_TABLE)),
              table(1, 1, {1}),
              cell_at(0, 0, 1, 1, u"x"),
              {para_header(2, 1), para_text(3, u"y")}}),
         "a\n\nx\n\n1. y"},
        {"footnote", cat({para(text(u"word").control(17, CTRL_FOOTNOTE).utf16(u".")), owning(CTRL_FOOTNOTE, 1, u"x")}),
         "word[^1].\n\n[^1]: x"},
        {"notes numbered alike; endnotes after footnotes",
         cat({para(text(u"a").control(17).utf16(u"b").control(17).utf16(u"c").control(17)),
              owning(CTRL_FOOTNOTE, 1, u"x"), owning(CTRL_ENDNOTE, 1, u"z"), owning(CTRL_FOOTNOTE, 1, u"y")}),
         "a[^1]b[^e1]c[^1-2]\n\n[^1]: x\n\n[^1-2]: y\n\n[^e1]: z"},
        {"hyperlink",
         cat({para(text(u"see ").control(3, CTRL_HYPERLINK).utf16(u"site").control(4).utf16(u".")),
              {ctrl_header(1, CTRL_HYPERLINK, link.buffer())}}),
         "see [site](http://a.com)."},
        {"header, and footer on even pages",
         cat({para(ByteWriter().control(16).control(16).utf16(u"Body")), owning(CTRL_HEADER, 0, u"Title"),
              owning(CTRL_FOOTER, 1, u"F")}),
         "Body\n\n> 머리말: Title\n\n> 꼬리말 (짝수 쪽): F"},
        {"caption above", cat({tbl, table(1, 2, {2}, 2), cell_at(0, 0, 1, 1, u"x"), cell_at(1, 0, 1, 1, u"y")}),
         "Cap\n\n|x|y|\n|---|---|"},
        {"caption below", cat({tbl, table(1, 2, {2}, 3), cell_at(0, 0, 1, 1, u"x"), cell_at(1, 0, 1, 1, u"y")}),
         "|x|y|\n|---|---|\n\nCap"},
        {"caption of a one-column table, which is its content",
         cat({tbl, table(2, 1, {1, 1}, 2), cell_at(0, 0, 1, 1, u"x"), cell_at(0, 1, 1, 1, u"y")}), "Cap\n\nx\n\ny"},
        {"caption of a frame", cat({tbl, table(1, 1, {1}, 0), cell_at(0, 0, 1, 1, u"x")}), "Cap\n\nx"},
        {"merged cells: a column where only a span passes is not written",
         cat({tbl, table(2, 4, {2, 2}), cell_at(0, 0, 2, 1, u"A"), cell_at(2, 0, 1, 2, u"B"), cell_at(0, 1, 1, 1, u"C"),
              cell_at(1, 1, 1, 1, u"D")}),
         "|A||B|\n|---|---|---|\n|C|D||"},
        {"cell of two paragraphs",
         cat({tbl,
              table(1, 2, {2}),
              cell_at(0, 0, 1, 1, u"a"),
              {para_header(2), para_text(3, u"b")},
              cell_at(1, 0, 1, 1, u"c")}),
         "|a<br>b|c|\n|---|---|"},
        {"a cell whose paragraph holds only a table keeps it for its body form",
         cat({tbl,
              table(2, 1, {1, 1}),
              cell_at(0, 0, 1, 1, u"x"),
              {list_header_at(2, 0, 1), para_header(2),
               record(HWPTAG_PARA_TEXT, 3, ByteWriter().control(11, CTRL_TABLE).take()), ctrl_header(3, CTRL_TABLE),
               record(HWPTAG_TABLE, 4, ByteWriter().u32(0).u16(1).u16(2).zeros(10).u16(2).take()),
               list_header_at(4, 0, 0), para_header(4), para_text(5, u"p"), list_header_at(4, 1, 0), para_header(4),
               para_text(5, u"q")}}),
         "x\n\n|p|q|\n|---|---|"},
        {"blank paragraphs of a one-column table write nothing",
         cat({tbl,
              table(2, 1, {1, 1}),
              cell_at(0, 0, 1, 1, u" "),
              {para_header(2), para_text(3, u"x")},
              cell_at(0, 1, 1, 1, u"y"),
              {para_header(2), para_text(3, u"  ")}}),
         "x\n\ny"},
        {"numbered paragraphs", cat({para(u"a", 1), para(u"b", 1), para(u"c", 2)}), "1. a\n\n2. b\n\n<!-- -->\n\n5. c"},
        {"outline headings by the section's numbering",
         cat({para(ByteWriter().control(2).utf16(u"Title").u16(10).utf16(u"two #"), 3),
              {ctrl_header(1, CTRL_SECTION, ByteWriter().zeros(14).u16(1).take())},
              para(u"Sub", 4)}),
         "# 1. Title two \\#\n\n## 1.1. Sub"},
    };
    Definitions info;
    info.paragraph_shapes = {
        {}, {HeadKind::Number, 0, 1}, {HeadKind::Number, 0, 2}, {HeadKind::Outline, 0, 0}, {HeadKind::Outline, 1, 0}};
    info.numberings = {numbering({"^1.", "^1.^2."}), numbering({"^1."}, {}, {5})};
    for (const auto& c : cases) EXPECT_EQ(full(c.records, info), c.markdown) << c.what;
}

}  // namespace
}  // namespace brindle
