#pragma once
// The four times of one weekday row of appo_times, each "HHMM" as sent (SQL time literals).
#include <string>

struct WeekdayTimes {
    std::string amStart = "0000";
    std::string amEnd = "0000";
    std::string pmStart = "0000";
    std::string pmEnd = "0000";

    // "SUN" for weekday 1 .. "SAT" for 7 (the settings count the week from Sunday).
    static const char* DayName(int weekday);
    // "%04d" of a stored HHMM integer.
    static std::string Hhmm(int value);
};
