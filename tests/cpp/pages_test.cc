// Pages from the saved lines: the counter's rules (lines going up, breaks,
// columns, new column layouts, equal tops, a line hung below the body,
// sections, paragraphs without lines), and where the marker puts NewPage
// blocks and when it takes them out again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/pages.h"
#include "test_support.h"

namespace brindle {
namespace {

constexpr std::int64_t BODY = 10000;

LineSegment line(std::int32_t top, std::int32_t height = 1000) { return {top, height, LINE_SEGMENT_OPENS_LINE}; }

struct Para {
    std::vector<LineSegment> lines;
    bool page_break = false;
    bool column_break = false;
    std::uint16_t columns = 0;
    std::int32_t tallest_object = 0;
};

ParagraphLayout layout(const Para& p) {
    return ParagraphLayout{p.page_break, p.column_break, p.columns, p.tallest_object, p.lines};
}

// The page of each paragraph of one section.
std::vector<std::uint32_t> pages(std::initializer_list<Para> paragraphs) {
    PageCounter counter;
    counter.begin_section();
    counter.set_body_height(BODY);
    std::vector<std::uint32_t> out;
    for (const Para& p : paragraphs) out.push_back(counter.place(layout(p)).page);
    return out;
}

using Pages = std::vector<std::uint32_t>;

TEST(PageCounter, ALineAboveTheOneBeforeStartsAPage) {
    // The paragraph across two pages stays on the page of its first line.
    EXPECT_EQ(pages({{{line(0), line(1600)}}, {{line(3200), line(0)}}, {{line(1600)}}, {{line(0)}}}),
              (Pages{1, 1, 2, 3}));
    // Segments that do not open a line (text flowing around an object) are
    // not lines; a writer that marks no segment has one segment per line.
    EXPECT_EQ(
        pages({{{line(5000), {0, 1000, 0}}}, {{line(6000)}}, {{{7000, 1000, 0}, {0, 1000, 0}}}, {{{1000, 1000, 0}}}}),
        (Pages{1, 1, 1, 2}));
}

TEST(PageCounter, BreaksStartPagesWhereverTheLineStands) {
    // One line a page, every line at the top: only the flags tell.
    EXPECT_EQ(pages({{{line(0)}, true}, {{line(0)}, true}, {{line(0)}, true}, {{line(0)}}}), (Pages{1, 2, 3, 3}));
    // A column break without a column left.
    EXPECT_EQ(pages({{{line(0)}}, {{line(1600)}, false, true}}), (Pages{1, 2}));
}

TEST(PageCounter, ColumnsAreNotPages) {
    // Two columns: the first line going up moves to the second column, the
    // next one to a new page, whose region has two columns again.
    EXPECT_EQ(pages({{{line(0), line(1600), line(3200)}, false, false, 2},
                     {{line(0), line(1600)}},
                     {{line(0)}},
                     {{line(1600)}},
                     {{line(0)}}}),
              (Pages{1, 1, 2, 2, 2}));
    // Column breaks: to the next column, then to a new page.
    EXPECT_EQ(pages({{{line(0)}, false, false, 2}, {{line(0)}, false, true}, {{line(0)}, false, true}}),
              (Pages{1, 1, 2}));
}

TEST(PageCounter, ANewColumnLayoutStaysOnThePageWhileItFits) {
    // Each region's lines restart at 0 below the one before: regions 3000
    // and 2000 high leave room for another; with it 4500 high, the fourth
    // region's first line does not fit in the body of 10000.
    EXPECT_EQ(pages({{{line(0), line(1000), line(2000)}, false, false, 1},
                     {{line(0), line(1000)}, false, false, 2},
                     {{line(0)}, false, false, 1},
                     {{line(0), line(3500)}},
                     {{line(0)}, false, false, 2}}),
              (Pages{1, 1, 1, 1, 2}));
}

TEST(PageCounter, EqualTopsStartAPageOnlyWhenTheyCannotShareIt) {
    // At the region's top, after a page-high object or line; not after a
    // short one, nor when stacked below the top.
    EXPECT_EQ(pages({{{line(0)}, false, false, 0, 9500}, {{line(0)}}, {{line(0)}}}), (Pages{1, 2, 2}));
    EXPECT_EQ(pages({{{line(0, 9500)}}, {{line(0)}}}), (Pages{1, 2}));
    EXPECT_EQ(pages({{{line(0)}}, {{line(9000, 9500)}}, {{line(9000)}}}), (Pages{1, 1, 1}));
}

TEST(PageCounter, ALineHungBelowTheBodyOpensTheNextPage) {
    PageCounter counter;
    counter.begin_section();
    counter.set_body_height(BODY);
    counter.place(layout({{line(0), line(8000)}}));
    EXPECT_EQ(counter.place(layout({{line(10200)}})).page, 1u);
    const PageCounter::Placement next = counter.place(layout({{line(2240)}}));
    EXPECT_EQ(next.page, 2u);
    EXPECT_TRUE(next.previous_moves);
    // A new page at the top: the line below the body was not pushed there.
    counter.place(layout({{line(10200)}}));
    EXPECT_FALSE(counter.place(layout({{line(0)}})).previous_moves);
    // The hung line first in its own paragraph moves that paragraph.
    EXPECT_EQ(pages({{{line(0), line(9000)}}, {{line(10200), line(1200)}}}), (Pages{1, 2}));
}

TEST(PageCounter, SectionsStartPagesAndParagraphsWithoutLinesFollow) {
    PageCounter counter;
    counter.begin_section();
    for (const Para& p : {Para{{line(0)}}, Para{}, Para{{line(6000)}}, Para{}}) {
        EXPECT_EQ(counter.place(layout(p)).page, 1u);
    }
    counter.begin_section();
    // The section's first paragraph is on its first page with lines or
    // without, and its first line does not start another.
    EXPECT_EQ(counter.place(layout({})).page, 2u);
    EXPECT_EQ(counter.place(layout({{line(8000)}})).page, 2u);
    EXPECT_EQ(counter.place(layout({{line(500)}})).page, 3u);
    counter.begin_section();
    EXPECT_EQ(counter.place(layout({{line(500)}})).page, 4u);
}

// A paragraph of the body: its layout, then the blocks it writes, all or
// the first of them (as when an object comes before any text) before it is
// placed.
void paragraph(PageMarker& marker, BlockList& blocks, const Para& p, std::initializer_list<std::string> texts,
               bool one_before = false) {
    ParagraphLayout& layout = marker.begin_paragraph(blocks.size());
    layout.lines = p.lines;
    layout.page_break = p.page_break;
    auto text = texts.begin();
    if (one_before && text != texts.end()) blocks.emplace_back(Paragraph{*text++});
    marker.place_paragraph(blocks);
    for (; text != texts.end(); ++text) blocks.emplace_back(Paragraph{*text});
    marker.end_paragraph(blocks);
}

std::vector<std::string> described(const BlockList& blocks) {
    std::vector<std::string> out;
    for (const ContentBlock& block : blocks) out.push_back(test::describe(block));
    return out;
}

using Described = std::vector<std::string>;

TEST(PageMarker, EachPageIsMarkedBeforeItsFirstBlock) {
    PageMarker marker;
    BlockList blocks;
    marker.begin_section();
    marker.set_body_height(BODY);
    paragraph(marker, blocks, {{line(0)}}, {"a"});
    paragraph(marker, blocks, {{line(9000)}}, {});           // ends page 1, shows nothing
    paragraph(marker, blocks, {{line(0)}}, {});              // opens page 2, shows nothing
    paragraph(marker, blocks, {{line(1600)}}, {"b", "b2"});  // page 2's first block
    paragraph(marker, blocks, {{line(0)}, true}, {"c", "c2"}, true);
    paragraph(marker, blocks, {{line(10200)}}, {"d"});  // hung below the body of page 3 ...
    paragraph(marker, blocks, {{line(2240)}}, {"e"});   // ... opens page 4
    paragraph(marker, blocks, {}, {});                  // no lines, nothing shown
    marker.finish(blocks);
    EXPECT_EQ(described(blocks),
              (Described{"N:1", "P:a", "N:2", "P:b", "P:b2", "N:3", "P:c", "P:c2", "N:4", "P:d", "P:e"}));
}

TEST(PageMarker, NoMarksWithoutTheWholeLayout) {
    // A paragraph that shows something without its lines: none at all.
    PageMarker marker;
    BlockList blocks;
    marker.begin_section();
    paragraph(marker, blocks, {{line(0)}}, {"a"});
    marker.begin_section();
    paragraph(marker, blocks, {}, {"b"});
    marker.finish(blocks);
    EXPECT_EQ(described(blocks), (Described{"P:a", "P:b"}));

    // A section after one whose layout was lost (cut short): none either;
    // the last section lost keeps what it marked.
    for (const bool later_section : {true, false}) {
        PageMarker lost;
        BlockList kept;
        lost.begin_section();
        paragraph(lost, kept, {{line(0)}}, {"a"});
        lost.lose_layout();
        if (later_section) {
            lost.begin_section();
            paragraph(lost, kept, {{line(0)}}, {"b"});
        }
        lost.finish(kept);
        EXPECT_EQ(described(kept), later_section ? (Described{"P:a", "P:b"}) : (Described{"N:1", "P:a"}));
    }
}

}  // namespace
}  // namespace brindle
