// What the table tests share: a table's cell texts as rows, and a cell
// placed with its text as one paragraph of body form.
#pragma once

#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "model/table_layout.h"

namespace brindle::test {

using Texts = std::vector<std::vector<std::string>>;

// Each row's cell texts, padded to the table's columns.
inline Texts texts(const Table& table) {
    Texts out;
    for (const auto& row : table.rows) {
        auto& cells = out.emplace_back();
        for (const TableCell& cell : row) cells.push_back(cell.text);
        cells.resize(table.columns);
    }
    return out;
}

// A cell whose body form is one paragraph of its text (none when blank).
inline void place_text(TableGrid& grid, CellAddress at, const std::string& text, Shade shade = NO_SHADE) {
    CellContent content;
    if (!text.empty()) content.emplace_back(std::in_place_type<ContentBlock>, std::in_place_type<Paragraph>, text);
    grid.place(at, std::string(text), std::move(content), shade);
}

}  // namespace brindle::test
