#pragma once
// One appointment type's settings for patient self-changes and the standby list, one entry of
// the "PENDING_APPOINTMENTS" lists. A type without settings gets a record of its code with 0
// minutes, empty texts and 0 days.
#include <string>

struct CTypeSetting {
    std::string code;
    int changeable = 0;           // patients may move reservations of this type
    int minutes = 0;              // length of a reservation of this type
    std::string unitSlots;        // unit codes joined by ',': the slots in unit mode
    std::string doctorSlots;      // doctor codes joined by ',': the slots in doctor mode
    std::string designatedUnit;   // unit code designated in doctor mode
    std::string designatedDoctor; // doctor code designated in unit mode
    int daysBefore = 0;           // change period: from this many days before the date
    int daysAfter = 0;            // ... to this many days after it
    std::string displayName;      // shown instead of the type's own name; never holds ','
};
