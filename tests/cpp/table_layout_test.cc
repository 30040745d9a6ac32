// The full profile's table layout: cells placed by address (spans, taken and
// missing addresses), then the grid reduced to the rows and columns that
// hold text, and grids that are a page's layout or a form told from tables.
#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
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

TEST(TableGrid, ColumnsWhereNoCellWithTextStartsAreLeftOut) {
    TableGrid grid(3, 10);
    grid.place(CellAddress{0, 0, 1, 3}, "label");
    grid.place(CellAddress{0, 3, 1, 7}, "value");
    grid.place(CellAddress{1, 0, 1, 5}, "long label");
    grid.place(CellAddress{1, 5, 1, 5}, "v");
    grid.place(CellAddress{2, 0, 1, 9}, "");  // empty: keeps neither its row nor its column
    grid.place(CellAddress{2, 9, 1, 1}, "");
    const Table table = std::move(grid).take();
    EXPECT_EQ(table.columns, 3u);  // columns 0, 3 and 5
    EXPECT_EQ(texts(table), (Texts{{"label", "value", ""}, {"long label", "", "v"}}));
}

TEST(TableGrid, SpansCoverPositionsAndDisplacedCellsTakeTheNextFree) {
    TableGrid grid(2, 3);
    grid.place(CellAddress{0, 0, 2, 2}, "big");      // covers (0,0) to (1,1)
    grid.place(CellAddress{1, 1, 1, 1}, "under");    // taken: goes to the first free, (0,2)
    grid.place(std::nullopt, "no address");          // next free: (1,2)
    grid.place(CellAddress{0, 0, 1, 1}, "dropped");  // no position left
    grid.place(CellAddress{5, 7, 99, 99}, "outside");
    const Table table = std::move(grid).take();
    EXPECT_EQ(texts(table), (Texts{{"big", "under"}, {"", "no address"}}));
}

TEST(TableGrid, SpansPastTheEdgeAndAGridWithoutText) {
    TableGrid grid(2, 2);
    grid.place(CellAddress{1, 1, 40, 40}, "corner");
    grid.place(CellAddress{0, 0, 0, 0}, "spans of 0 count as 1");
    grid.place(std::nullopt, "after");
    EXPECT_EQ(texts(std::move(grid).take()), (Texts{{"spans of 0 count as 1", "after"}, {"", "corner"}}));
    TableGrid empty(4, 4);
    empty.place(CellAddress{0, 0, 1, 1}, "");
    EXPECT_TRUE(std::move(empty).take().rows.empty());
    EXPECT_TRUE(TableGrid(0, 5).take().rows.empty());
}

// The layout as a list of "p:<text>" and "t:<rows>" entries.
std::vector<std::string> shown(TableLayout layout) {
    if (layout.table) layout.blocks.emplace_back(std::move(*layout.table));
    std::vector<std::string> out;
    for (const ContentBlock& block : layout.blocks) {
        if (const auto* p = std::get_if<Paragraph>(&block)) out.push_back("p:" + p->text);
        if (const auto* t = std::get_if<Table>(&block)) {
            std::string rows = "t:";
            for (const auto& row : texts(*t)) {
                for (const std::string& cell : row) rows += cell + "|";
                rows += "/";
            }
            out.push_back(rows);
        }
    }
    return out;
}

TEST(TableLayout, ATitleAndANoteLeaveADataTableAGroupRowStays) {
    TableGrid grid(8, 3);
    place_text(grid, {0, 0, 1, 3}, "제목");
    for (std::size_t r = 1; r < 7; ++r) {
        if (r == 3) {
            place_text(grid, {r, 0, 1, 3}, "소계");  // a group row in the middle
            continue;
        }
        for (std::size_t c = 0; c < 3; ++c) place_text(grid, {r, c, 1, 1}, std::to_string(r) + std::to_string(c));
    }
    place_text(grid, {7, 0, 1, 3}, "주: 단위 원");
    EXPECT_EQ(shown(std::move(grid).lay_out()),
              (std::vector<std::string>{"p:제목", "t:10|11|12|/20|21|22|/소계|||/40|41|42|/50|51|52|/60|61|62|/",
                                        "p:주: 단위 원"}));
}

TEST(TableLayout, ARunOfRowsThatNeedsOneColumnIsContent) {
    // Full-width rows are half of the rows: the row between them whose one cell
    // spans one of two columns is its content too, the last row a table.
    TableGrid runs(4, 2);
    place_text(runs, {0, 0, 1, 2}, "A");
    place_text(runs, {1, 0, 1, 1}, "x");
    place_text(runs, {2, 0, 1, 2}, "B");
    place_text(runs, {3, 0, 1, 1}, "c");
    place_text(runs, {3, 1, 1, 1}, "d");
    EXPECT_EQ(shown(std::move(runs).lay_out()), (std::vector<std::string>{"p:A", "p:x", "p:B", "t:c|d|/"}));
}

TEST(TableLayout, CellsPlacedOutOfReadingOrderLayOutAsInOrder) {
    // A title, a data row and a note, placed from the last cell to the
    // first: the layout is that of the same cells placed in reading order.
    const std::vector<std::pair<CellAddress, std::string>> cells = {
        {{0, 0, 1, 2}, "title"}, {{1, 0, 1, 1}, "a"}, {{1, 1, 1, 1}, "b"}, {{2, 0, 1, 2}, "note"}};
    TableGrid in_order(3, 2, cells.size());
    for (const auto& [at, text] : cells) place_text(in_order, at, text);
    TableGrid reversed(3, 2);
    for (auto it = cells.rbegin(); it != cells.rend(); ++it) place_text(reversed, it->first, it->second);
    const std::vector<std::string> expected = {"p:title", "t:a|b|/", "p:note"};
    EXPECT_EQ(shown(std::move(in_order).lay_out()), expected);
    EXPECT_EQ(shown(std::move(reversed).lay_out()), expected);
}

// A cell whose body form is `blocks`.
void put_blocks(TableGrid& grid, CellAddress at, const std::string& text, std::vector<ContentBlock> blocks) {
    CellContent content;
    for (ContentBlock& block : blocks) content.emplace_back(std::move(block));
    grid.place(at, std::string(text), std::move(content));
}

void blank(TableGrid& grid, CellAddress at) { grid.place(at, std::string()); }

TEST(TableGrid, ContentIsKeptForAsManyCellsOfARowAsALayoutMayWrite) {
    // Narrower than a layout: only a row's first cell with text may leave the grid.
    TableGrid narrow(2, 5);
    EXPECT_TRUE(narrow.may_stand_alone(CellAddress{0, 0, 1, 1}));
    place_text(narrow, {0, 0, 1, 1}, "a");
    EXPECT_FALSE(narrow.may_stand_alone(CellAddress{0, 1, 1, 1}));
    blank(narrow, {1, 0, 1, 1});  // a blank does not count
    EXPECT_TRUE(narrow.may_stand_alone(CellAddress{1, 1, 1, 1}));
    // Six columns or more: a line of a layout holds up to three.
    TableGrid wide(1, 6);
    for (std::size_t c = 0; c < 3; ++c) {
        EXPECT_TRUE(wide.may_stand_alone(CellAddress{0, c, 1, 1}));
        place_text(wide, {0, c, 1, 1}, "x");
    }
    EXPECT_FALSE(wide.may_stand_alone(CellAddress{0, 3, 1, 1}));
    EXPECT_FALSE(wide.may_stand_alone(std::nullopt));  // takes (0,3) in the same row
}

TEST(TableLayout, ALineOfALayoutIsOneParagraphUntilAPieceIsNoPlainParagraph) {
    // Nine written columns, a cell or two per row (three in one): the page's layout.
    TableGrid grid(6, 24);
    place_text(grid, {0, 5, 1, 19}, "공고");
    place_text(grid, {1, 0, 1, 2}, "○");
    place_text(grid, {1, 2, 1, 7}, "공고명:");
    place_text(grid, {1, 9, 1, 15}, "운송");
    ParagraphHead numbered;
    numbered.kind = HeadKind::Number;
    numbered.number = "1.";
    place_text(grid, {2, 4, 1, 9}, "2.");
    put_blocks(grid, {2, 13, 1, 4}, "안내", {Paragraph("안내", numbered)});  // a number of its own
    place_text(grid, {3, 17, 1, 4}, "덧");
    put_blocks(grid, {3, 21, 1, 3}, "[이미지] 끝", {Image(), Paragraph("끝")});  // a picture first
    place_text(grid, {4, 11, 1, 13}, "비고");
    place_text(grid, {5, 0, 1, 24}, "조달청");
    EXPECT_EQ(shown(std::move(grid).lay_out()),
              (std::vector<std::string>{"p:공고", "p:○ 공고명: 운송", "p:2.", "p:안내", "p:덧", "p:끝", "p:비고",
                                        "p:조달청"}));
}

TEST(TableLayout, MostlyBlankDataTablesStayTables) {
    // A template to fill in (a label spanning two rows, blanks under the years)
    // and a schedule whose marks stand in their months: a cell almost everywhere.
    TableGrid form(4, 4);
    place_text(form, {0, 0, 1, 1}, "구분");
    place_text(form, {0, 1, 1, 1}, "2023");
    place_text(form, {0, 2, 1, 1}, "2024");
    place_text(form, {0, 3, 1, 1}, "합계");
    place_text(form, {1, 0, 2, 1}, "자산");
    for (std::size_t r = 1; r < 4; ++r) {
        for (std::size_t c = 1; c < 4; ++c) blank(form, {r, c, 1, 1});
    }
    place_text(form, {3, 0, 1, 1}, "부채");
    EXPECT_EQ(shown(std::move(form).lay_out()),
              (std::vector<std::string>{"t:구분|2023|2024|합계|/자산||||/부채||||/"}));
    TableGrid schedule(3, 7);
    place_text(schedule, {0, 0, 1, 1}, "과업");
    for (std::size_t c = 1; c < 7; ++c) place_text(schedule, {0, c, 1, 1}, std::to_string(c));
    for (std::size_t r = 1; r < 3; ++r) {
        place_text(schedule, {r, 0, 1, 1}, "업무" + std::to_string(r));
        for (std::size_t c = 1; c < 7; ++c) {
            if (c == 2 * r) {
                place_text(schedule, {r, c, 1, 1}, "○");
            } else {
                blank(schedule, {r, c, 1, 1});
            }
        }
    }
    EXPECT_EQ(shown(std::move(schedule).lay_out()),
              (std::vector<std::string>{"t:과업|1|2|3|4|5|6|/업무1||○|||||/업무2||||○|||/"}));
}

TEST(TableLayout, AFormTableStartsWithItsOwnRows) {
    // A label spanning three rows: the rows under it keep an empty cell for it
    // while they share its table, none once a row of unlike length starts
    // another table.
    TableGrid grid(4, 12);
    place_text(grid, {0, 0, 3, 2}, "신청인");
    place_text(grid, {0, 2, 1, 3}, "상호");
    place_text(grid, {0, 5, 1, 3}, "가나");
    place_text(grid, {0, 8, 1, 2}, "대표");
    place_text(grid, {0, 10, 1, 2}, "홍");
    place_text(grid, {1, 3, 1, 2}, "주소");
    place_text(grid, {1, 5, 1, 7}, "서울");
    place_text(grid, {2, 2, 1, 1}, "전화");
    place_text(grid, {2, 3, 1, 1}, "02");
    place_text(grid, {2, 4, 1, 1}, "팩스");
    place_text(grid, {2, 6, 1, 1}, "031");
    place_text(grid, {2, 7, 1, 1}, "메일");
    place_text(grid, {2, 9, 1, 3}, "@");
    place_text(grid, {3, 0, 1, 12}, "위와 같이 신청합니다.");
    EXPECT_EQ(shown(std::move(grid).lay_out()),
              (std::vector<std::string>{"t:신청인|상호|가나|대표|홍|/|주소|서울|||/", "t:전화|02|팩스|031|메일|@|/",
                                        "p:위와 같이 신청합니다."}));
}

// A team's staff and its partners, two tables stacked in one grid that each
// divide the width their own way; `spanned` lets the last of the staff's
// labels span down into the partners' header, which ties them into one table.
TableGrid stacked_tables(bool spanned) {
    TableGrid grid(6, 6);
    place_text(grid, {0, 0, 1, 1}, "구분");
    place_text(grid, {0, 1, 1, 2}, "성명");
    place_text(grid, {0, 3, 1, 3}, "직위");
    for (std::size_t r = 1; r < 3; ++r) {
        place_text(grid, {r, 0, spanned && r == 2 ? 2u : 1u, 1}, "팀" + std::to_string(r));
        place_text(grid, {r, 1, 1, 2}, "성명" + std::to_string(r));
        place_text(grid, {r, 3, 1, 3}, "직위" + std::to_string(r));
    }
    if (spanned) {
        place_text(grid, {4, 0, 2, 1}, "협력");
    } else {
        place_text(grid, {3, 0, 3, 1}, "협력");
    }
    place_text(grid, {3, 1, 1, 1}, "업체");
    place_text(grid, {3, 2, 1, 2}, "내용");
    place_text(grid, {3, 4, 1, 2}, "책임");
    for (std::size_t r = 4; r < 6; ++r) {
        place_text(grid, {r, 1, 1, 1}, "업체" + std::to_string(r));
        place_text(grid, {r, 2, 1, 2}, "내용" + std::to_string(r));
        place_text(grid, {r, 4, 1, 2}, "책임" + std::to_string(r));
    }
    return grid;
}

TEST(TableLayout, TablesStackedInOneGridAreWrittenEachOnItsOwn) {
    EXPECT_EQ(shown(stacked_tables(false).lay_out()),
              (std::vector<std::string>{"t:구분|성명|직위|/팀1|성명1|직위1|/팀2|성명2|직위2|/",
                                        "t:협력|업체|내용|책임|/|업체4|내용4|책임4|/|업체5|내용5|책임5|/"}));
    // A label spanning the boundary: one table, padded where the two divide
    // the width unlike each other.
    EXPECT_EQ(shown(stacked_tables(true).lay_out()),
              (std::vector<std::string>{"t:구분|성명||직위||/팀1|성명1||직위1||/팀2|성명2||직위2||/|업체|내용||책임|/"
                                        "협력|업체4|내용4||책임4|/|업체5|내용5||책임5|/"}));
}

// Cells to place: where, and their text ("" for a blank).
struct Placed {
    CellAddress at;
    const char* text;
};

TableGrid grid_of(std::size_t rows, std::size_t columns, std::initializer_list<Placed> cells) {
    TableGrid grid(rows, columns);
    for (const Placed& cell : cells) place_text(grid, cell.at, cell.text);
    return grid;
}

TEST(TableLayout, AFormsRowsAndADataTablesRowsStartNoTable) {
    // A form whose label and value rows split the width unlike its first
    // row: a row of two cells heads no table.
    TableGrid form = grid_of(5, 4,
                             {{{0, 0, 1, 1}, "회사명"},
                              {{0, 1, 1, 1}, ""},
                              {{0, 2, 1, 1}, "대표자"},
                              {{0, 3, 1, 1}, ""},
                              {{1, 0, 1, 1}, "분야"},
                              {{1, 1, 1, 3}, ""},
                              {{2, 0, 1, 1}, "연락처"},
                              {{2, 1, 1, 3}, "전화 :"},
                              {{3, 0, 1, 1}, "설립"},
                              {{3, 1, 1, 3}, "년 월"},
                              {{4, 0, 1, 1}, "기간"},
                              {{4, 1, 1, 3}, "년 월 ~"}});
    EXPECT_EQ(shown(std::move(form).lay_out()),
              (std::vector<std::string>{"t:회사명||대표자|/분야|||/연락처|전화 :||/설립|년 월||/기간|년 월 ~||/"}));
    // A data table's row of three labels, with a row under it holding text
    // in a column it does not name: a group of the table's rows, not a
    // table of its own.
    TableGrid data = grid_of(5, 5,
                             {{{0, 0, 1, 1}, "구분0"},
                              {{0, 1, 1, 1}, "항목0"},
                              {{0, 2, 1, 2}, "1차0"},
                              {{0, 4, 1, 1}, "2차0"},
                              {{1, 0, 1, 1}, "구분1"},
                              {{1, 1, 1, 1}, "항목1"},
                              {{1, 2, 1, 2}, "1차1"},
                              {{1, 4, 1, 1}, "2차1"},
                              {{2, 0, 1, 1}, "분류"},
                              {{2, 1, 1, 2}, "기능"},
                              {{2, 3, 1, 2}, "수립"},
                              {{3, 0, 1, 1}, "단위"},
                              {{3, 1, 1, 1}, "과제"},
                              {{3, 2, 1, 1}, "비교"},
                              {{3, 3, 1, 2}, "분석"},
                              {{4, 0, 1, 1}, "기타"},
                              {{4, 1, 1, 2}, "없음"},
                              {{4, 3, 1, 2}, "-"}});
    EXPECT_EQ(shown(std::move(data).lay_out()),
              (std::vector<std::string>{"t:구분0|항목0|1차0||2차0|/구분1|항목1|1차1||2차1|/분류|기능||수립||/"
                                        "단위|과제|비교|분석||/기타|없음||-||/"}));
    // A row whose second cell spans down (a photograph beside the rows
    // under it) heads none either.
    TableGrid photo = grid_of(5, 4,
                              {{{0, 0, 1, 1}, "성명"},
                               {{0, 1, 1, 1}, "국문"},
                               {{0, 2, 1, 2}, "생년월일"},
                               {{1, 0, 1, 1}, "학력"},
                               {{1, 1, 1, 1}, "대졸"},
                               {{1, 2, 1, 2}, "2000"},
                               {{2, 0, 1, 1}, "주소"},
                               {{2, 1, 1, 2}, "서울"},
                               {{2, 3, 3, 1}, "사진"},
                               {{3, 0, 1, 1}, "메일"},
                               {{3, 1, 1, 2}, "@"},
                               {{4, 0, 1, 1}, "전화"},
                               {{4, 1, 1, 2}, "02"}});
    EXPECT_EQ(
        shown(std::move(photo).lay_out()),
        (std::vector<std::string>{"t:성명|국문|생년월일||/학력|대졸|2000||/주소|서울||사진|/메일|@|||/전화|02|||/"}));
}

}  // namespace
}  // namespace brindle
