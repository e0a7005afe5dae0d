#pragma once
// The check of one weekday's fixed first-visit start times against the clinic's working hours
// and the slot grid. The result's units digit is 1 when a consultation (start + minutes) does
// not fit into the morning or the afternoon of that weekday, or any time is listed on a day the
// clinic is closed; its tens digit is 1 when a time is off the slot grid counted from the
// earliest time, or starts before the consultation before it has ended. 0, 1, 10 or 11.
#include <string>

#include "agent/dialogs/ClinicHours.h"

class FixedTimesCheck {
public:
    static constexpr int kOutsideHours = 1;
    static constexpr int kOffGridOrOverlap = 10;

    // A slot step of 0 or less cannot define a grid: then only the
    // overlap is checked.
    static int Check(const std::string& text, const ClinicHours::Day& day, int minutes,
                     int slotStep);
};
