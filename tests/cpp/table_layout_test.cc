// The full profile's table layout: cells placed by address (spans, taken and
// missing addresses), then the grid reduced to the rows and columns that
// hold text.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "brindle/table_layout.h"

namespace brindle {
namespace {

using Texts = std::vector<std::vector<std::string>>;

Texts texts(const Table& table) {
    Texts out;
    for (const auto& row : table.rows) {
        auto& cells = out.emplace_back();
        for (const TableCell& cell : row) cells.push_back(cell.text);
        cells.resize(table.columns);
    }
    return out;
}

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
    grid.place(CellAddress{0, 0, 2, 2}, "big");  // covers (0,0) to (1,1)
    grid.place(CellAddress{1, 1, 1, 1}, "under");  // taken: goes to the first free, (0,2)
    grid.place(std::nullopt, "no address");         // next free: (1,2)
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

}  // namespace
}  // namespace brindle
