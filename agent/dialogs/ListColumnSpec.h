#pragma once
// One column of a staff dialog's list: its header, its width in widths of the letter "B" of the
// list font, and whether it is right-aligned (right-aligned columns sort as numbers).
struct ListColumnSpec {
    const char* titleUtf8;
    int widthInB;
    bool rightAligned = false;
};
