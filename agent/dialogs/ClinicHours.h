#pragma once
// The clinic's working hours per weekday ("MENTE" of "GLOBALSETTING.ini") and the slot step
// ("GLOBAL"/"TimeSpan"), read once when the settings dialog opens; the fixed first-visit times
// are checked against them.
#include <array>

struct ClinicHours {
    struct Day {
        bool closed = false; // DayOfWeek<d> not 0
        int amFromHour = 0, amFromMinute = 0, amToHour = 0, amToMinute = 0;
        int pmFromHour = 0, pmFromMinute = 0, pmToHour = 0, pmToMinute = 0;

        int AmFrom() const { return amFromHour * 60 + amFromMinute; } // minutes of the day
        int AmTo() const { return amToHour * 60 + amToMinute; }
        int PmFrom() const { return pmFromHour * 60 + pmFromMinute; }
        int PmTo() const { return pmToHour * 60 + pmToMinute; }
    };
    std::array<Day, 7> days; // Sunday to Saturday
    int slotStep = 15;       // minutes

    static ClinicHours Read();
};
