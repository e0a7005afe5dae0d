#pragma once
// The lines of the slot chooser: the units (unit mode) or doctors (doctor mode) a booking slot
// list may hold, each checked when its code is in the slot text. Entries marked unused ("__")
// are listed only while the slot text holds them, so unticking one drops it for good.
#include <string>
#include <vector>

#include "agent/dialogs/BookingMode.h"

class CPelmoDBSys;

struct UnitChoice {
    std::string code;
    std::string name;
    bool checked = false;

    // "<code>,<name>", the line's text.
    std::string Line() const { return code + "," + name; }
};

class UnitChoices {
public:
    // Reads the candidates in key order: unit categories (kind "1") or all doctors. `slotText`
    // is a comma list of codes. 0, or the library's status when the table could not be read
    // (the lines then hold what was read).
    int Load(CPelmoDBSys& sys, BookingMode mode, const std::string& slotText);

    std::vector<UnitChoice>& Lines() { return m_lines; }
    const std::vector<UnitChoice>& Lines() const { return m_lines; }

    // The codes of the checked lines in list order, joined by ','; "" when none is checked.
    std::string Result() const;

private:
    std::vector<UnitChoice> m_lines;
};
