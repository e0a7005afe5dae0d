#pragma once
// One first-visit consultation booking page as the settings dialog edits it (section
// "FRIST_APPOINTMENTS", keys of page p with the suffix "_p" from the second page on).
#include <array>
#include <string>

// One weekday of a page: whether it is offered, the morning and afternoon ranges (range mode)
// and the fixed start times as typed (fixed mode).
struct FirstVisitWeekday {
    int bookable = 0;
    int amFromHour = 0, amFromMinute = 0, amToHour = 0, amToMinute = 0;
    int pmFromHour = 0, pmFromMinute = 0, pmToHour = 0, pmToMinute = 0;
    std::string fixedTimes;
};

struct CFirstAppoSetting {
    std::string title;
    std::string comment;          // line breaks as CR LF
    std::string required;         // the words of the required form fields, each followed by ','
    int minutes = 60;             // consultation length
    std::string unitSlots;        // unit codes joined by ',': UNIT_ID in unit mode
    std::string doctorSlots;      // doctor codes joined by ',': UNIT_ID in doctor mode
    std::string designatedUnit;   // UNIT_DOCTOR_ID in doctor mode
    std::string designatedDoctor; // UNIT_DOCTOR_ID in unit mode
    std::string typeCode;         // CATEGORY_ID
    int afterDays = 1;            // first bookable day, in days from today
    std::array<FirstVisitWeekday, 7> weekdays; // Sunday to Saturday

    // A page added in the dialog: name, kana and telephone required, 60 minutes, 1 day ahead,
    // no weekday offered.
    static CFirstAppoSetting NewPage();
};
