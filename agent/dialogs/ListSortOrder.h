#pragma once
// The sort order of a staff dialog's list: a click on a column header sorts by that column, a
// second click on the same column reverses the order.
#include <algorithm>
#include <string>
#include <vector>

struct ListSortOrder {
    int column = -1; // -1: the list's own order
    bool descending = false;

    void Click(int clicked) {
        if (clicked == column) {
            descending = !descending;
        } else {
            column = clicked;
            descending = false;
        }
    }

    // <0, 0, >0. Numeric cells compare as numbers with commas removed (a cell without a number
    // counts as 0); other cells compare byte by byte.
    static int CompareCells(const std::string& a, const std::string& b, bool numeric);

    // Sorts rows that are in the list's own order by the column; rows with equal cells keep
    // that order (reversed when descending, so a second click reverses the whole list).
    // cell(row, column) gives a row's text.
    template <class Row, class Cell>
    void Apply(std::vector<Row>& rows, bool numeric, Cell cell) const {
        if (descending)
            std::reverse(rows.begin(), rows.end());
        if (column < 0)
            return;
        std::stable_sort(rows.begin(), rows.end(), [&](const Row& x, const Row& y) {
            const int c = CompareCells(cell(x, column), cell(y, column), numeric);
            return descending ? c > 0 : c < 0;
        });
    }
};
