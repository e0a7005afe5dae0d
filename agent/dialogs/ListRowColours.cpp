#include "agent/dialogs/ListRowColours.h"

ListRowColours ListRowColours::Of(int row, bool selected, bool dimmed) {
    ListRowColours c;
    if (selected) {
        c.background = {49, 106, 197};
        c.text = dimmed ? ListRgb{180, 180, 180} : ListRgb{255, 255, 255};
    } else {
        c.background = row % 2 == 1 ? ListRgb{200, 255, 200} : ListRgb{255, 255, 255};
        c.text = dimmed ? ListRgb{100, 100, 100} : ListRgb{0, 0, 0};
    }
    return c;
}
