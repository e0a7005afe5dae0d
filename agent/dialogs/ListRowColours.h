#pragma once
// Colours of a row of the staff dialogs' lists: the selected row on blue, other rows
// alternating light green (odd rows) and white; current rows in black (white when selected),
// dimmed ones (an expired notice, a deleted patient) in grey.
struct ListRgb {
    int r = 0;
    int g = 0;
    int b = 0;
    bool operator==(const ListRgb&) const = default;
};

struct ListRowColours {
    ListRgb background;
    ListRgb text;

    // row: 0-based position in the list.
    static ListRowColours Of(int row, bool selected, bool dimmed);
};
