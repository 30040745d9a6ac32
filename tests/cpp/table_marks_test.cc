// The marks of a schedule: empty cells shaded to carry a meaning written as
// a mark, in the columns and rows the grid writes; shading that only
// dresses a table (a grey header, a shaded corner, a form's shaded labels,
// a column shaded to be filled in, subtotal rows, greyed figures) gives
// none.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <variant>
#include <vector>

#include "model/table_layout.h"
#include "table_test_support.h"

namespace brindle {
namespace {

using test::place_text;
using test::texts;
using test::Texts;

constexpr Shade GREY = shade_of(FillBrush{0xD9D9D9});
constexpr Shade DARK = shade_of(FillBrush{0xB2B2B2});
constexpr Shade YELLOW = shade_of(FillBrush{0xFFFF00});

// The table lay_out writes, which must be the one take writes.
Texts laid_out(TableGrid grid, TableGrid same) {
    TableLayout layout = std::move(grid).lay_out();
    EXPECT_TRUE(layout.table.has_value());
    if (!layout.table) return {};
    const Texts written = texts(*layout.table);
    EXPECT_EQ(texts(std::move(same).take()), written);
    return written;
}

// A schedule of `tasks` rows under a header of months 1-4: row r's months
// are those of `bars[r]`, shaded `shade`, the others blank.
void schedule(TableGrid& grid, const std::vector<std::vector<std::size_t>>& bars, Shade shade, Shade header = GREY) {
    place_text(grid, {0, 0, 1, 1}, "과업", header);
    for (std::size_t c = 1; c <= 4; ++c) place_text(grid, {0, c, 1, 1}, std::to_string(c) + "월", header);
    for (std::size_t r = 0; r < bars.size(); ++r) {
        place_text(grid, {r + 1, 0, 1, 1}, "업무" + std::to_string(r + 1));
        for (std::size_t c = 1; c <= 4; ++c) {
            const bool bar = std::find(bars[r].begin(), bars[r].end(), c) != bars[r].end();
            place_text(grid, {r + 1, c, 1, 1}, "", bar ? shade : NO_SHADE);
        }
    }
}

TEST(TableMarks, AScheduleShowsTheMonthsItsTasksRun) {
    // The header is as grey as the bars: its cells hold text, and it is no
    // part of the body the marks are told in.
    const std::vector<std::vector<std::size_t>> bars = {{1, 2}, {2, 3}, {4}};
    TableGrid grid(4, 5), same(4, 5);
    schedule(grid, bars, GREY);
    schedule(same, bars, GREY);
    EXPECT_EQ(laid_out(std::move(grid), std::move(same)), (Texts{{"과업", "1월", "2월", "3월", "4월"},
                                                                 {"업무1", "■", "■", "", ""},
                                                                 {"업무2", "", "■", "■", ""},
                                                                 {"업무3", "", "", "", "■"}}));
}

TEST(TableMarks, BarsSpanningColumnsAndRowsAreWrittenWhereTheGridWritesThem) {
    // Months split in halves under a header spanning each pair; a bar drawn
    // as one cell over three months; a second grey in the bars' months; a
    // task's label spanning the two rows its bar is drawn in.
    const auto build = [](TableGrid& grid) {
        place_text(grid, {0, 0, 1, 1}, "과업");
        for (std::size_t m = 0; m < 4; ++m) place_text(grid, {0, 1 + 2 * m, 1, 2}, std::to_string(m + 1) + "월");
        place_text(grid, {1, 0, 1, 1}, "설계");
        place_text(grid, {1, 1, 1, 6}, "", GREY);  // months 1 to 3
        place_text(grid, {1, 7, 1, 2}, "");
        place_text(grid, {2, 0, 1, 1}, "시공");
        for (std::size_t c = 1; c < 9; ++c)
            place_text(grid, {2, c, 1, 1}, "", c == 5 ? DARK : c == 7 ? GREY : NO_SHADE);
        place_text(grid, {3, 0, 2, 1}, "보고");
        for (std::size_t c = 1; c < 9; ++c) place_text(grid, {3, c, 1, 1}, "");
        for (std::size_t c = 1; c < 9; ++c) place_text(grid, {4, c, 1, 1}, "", c == 8 ? GREY : NO_SHADE);
    };
    TableGrid grid(5, 9), same(5, 9);
    build(grid);
    build(same);
    EXPECT_EQ(laid_out(std::move(grid), std::move(same)), (Texts{{"과업", "1월", "2월", "3월", "4월"},
                                                                 {"설계", "■", "■", "■", ""},
                                                                 {"시공", "", "", "■", "■"},
                                                                 {"보고", "", "", "", "■"}}));
}

TEST(TableMarks, ATitleAboveTheHeaderLeavesTheMarksInTheTable) {
    // A title spanning the table leaves it as a paragraph; the header under
    // it, grey like the bars, is still no part of the body.
    TableGrid grid(5, 5);
    place_text(grid, {0, 0, 1, 5}, "추진일정");
    place_text(grid, {1, 0, 1, 1}, "과업", GREY);
    for (std::size_t c = 1; c <= 4; ++c) place_text(grid, {1, c, 1, 1}, std::to_string(c) + "분기", GREY);
    for (std::size_t r = 2; r < 5; ++r) {
        place_text(grid, {r, 0, 1, 1}, "업무" + std::to_string(r));
        for (std::size_t c = 1; c <= 4; ++c) place_text(grid, {r, c, 1, 1}, "", c == r || c == r - 1 ? GREY : NO_SHADE);
    }
    TableLayout layout = std::move(grid).lay_out();
    ASSERT_EQ(layout.blocks.size(), 2u);
    EXPECT_EQ(std::get<Paragraph>(layout.blocks[0]).text, "추진일정");
    EXPECT_EQ(texts(std::get<Table>(layout.blocks[1])), (Texts{{"과업", "1분기", "2분기", "3분기", "4분기"},
                                                               {"업무2", "■", "■", "", ""},
                                                               {"업무3", "", "■", "■", ""},
                                                               {"업무4", "", "", "■", "■"}}));
}

// The table take writes of a grid built by `build`, with its shades and
// without them: shading that is no mark changes nothing.
void expect_no_marks(void (*build)(TableGrid&, bool), std::size_t rows, std::size_t columns) {
    TableGrid shaded(rows, columns), plain(rows, columns);
    build(shaded, true);
    build(plain, false);
    EXPECT_EQ(texts(std::move(shaded).take()), texts(std::move(plain).take()));
}

TEST(TableMarks, ShadingThatDressesATableIsNoMark) {
    // (A grey header, a shaded corner and a form's grey labels are in
    // test_full_layout.py, in both formats.)
    // A column shaded to be filled in: every row's blank in the same place.
    expect_no_marks(
        [](TableGrid& grid, bool shaded) {
            place_text(grid, {0, 0, 1, 1}, "평가항목");
            place_text(grid, {0, 1, 1, 1}, "배점");
            place_text(grid, {0, 2, 1, 1}, "점수");
            for (std::size_t r = 1; r < 5; ++r) {
                place_text(grid, {r, 0, 1, 1}, "항목" + std::to_string(r));
                place_text(grid, {r, 1, 1, 1}, std::to_string(5 * r));
                place_text(grid, {r, 2, 1, 1}, "", shaded ? YELLOW : NO_SHADE);
            }
        },
        5, 3);
    // Subtotal rows shaded alike, their sums left to fill in.
    expect_no_marks(
        [](TableGrid& grid, bool shaded) {
            place_text(grid, {0, 0, 1, 1}, "비목");
            place_text(grid, {0, 1, 1, 1}, "수량");
            place_text(grid, {0, 2, 1, 1}, "금액");
            for (std::size_t r = 1; r < 7; ++r) {
                const bool subtotal = r % 3 == 0;
                place_text(grid, {r, 0, 1, 1}, subtotal ? "소계" : "항목");
                place_text(grid, {r, 1, 1, 2}, "", subtotal && shaded ? GREY : NO_SHADE);
            }
        },
        7, 3);
    // Rows highlighted whole, their labels as yellow as their blanks.
    expect_no_marks(
        [](TableGrid& grid, bool shaded) {
            place_text(grid, {0, 0, 1, 1}, "과제");
            for (std::size_t c = 1; c < 4; ++c) place_text(grid, {0, c, 1, 1}, std::to_string(c) + "차");
            for (std::size_t r = 1; r < 5; ++r) {
                const Shade s = shaded && r % 2 == 1 ? YELLOW : NO_SHADE;
                place_text(grid, {r, 0, 1, 1}, "과제" + std::to_string(r), s);
                for (std::size_t c = 1; c < 4; ++c)
                    place_text(grid, {r, c, 1, 1}, "", c == r || c == r + 1 ? s : NO_SHADE);
            }
        },
        5, 4);
    // Greyed cells among a table's figures: text stands in their columns.
    expect_no_marks(
        [](TableGrid& grid, bool shaded) {
            place_text(grid, {0, 0, 1, 1}, "구분");
            for (std::size_t c = 1; c < 4; ++c) place_text(grid, {0, c, 1, 1}, std::to_string(2020 + c));
            for (std::size_t r = 1; r < 5; ++r) {
                place_text(grid, {r, 0, 1, 1}, "항목" + std::to_string(r));
                for (std::size_t c = 1; c < 4; ++c) {
                    const bool greyed = c == r || c + 1 == r;
                    place_text(grid, {r, c, 1, 1}, greyed ? "" : std::to_string(r * c),
                               greyed && shaded ? GREY : NO_SHADE);
                }
            }
        },
        5, 4);
}

TEST(TableMarks, AMarkNeverTakesACellWithText) {
    // Months of two columns each: a bar starting beside a word in its first
    // month leaves the word, and marks the next.
    TableGrid grid(3, 5);
    place_text(grid, {0, 0, 1, 1}, "과업");
    place_text(grid, {0, 1, 1, 2}, "1월");
    place_text(grid, {0, 3, 1, 2}, "2월");
    place_text(grid, {1, 0, 1, 1}, "설계");
    place_text(grid, {1, 1, 1, 1}, "착수");
    place_text(grid, {1, 2, 1, 1}, "", GREY);
    place_text(grid, {1, 3, 1, 1}, "", GREY);
    place_text(grid, {1, 4, 1, 1}, "");
    place_text(grid, {2, 0, 1, 1}, "보고");
    for (std::size_t c = 1; c < 5; ++c) place_text(grid, {2, c, 1, 1}, "", c == 4 ? GREY : NO_SHADE);
    EXPECT_EQ(texts(std::move(grid).take()), (Texts{{"과업", "1월", "2월"}, {"설계", "착수", "■"}, {"보고", "", "■"}}));
}

}  // namespace
}  // namespace brindle
