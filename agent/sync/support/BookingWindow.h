#pragma once
// The booking window and the booking time limit that the clinic information carries, and the
// years of closed days the window needs.
#include <string>

#include "agent/core/LocalDateTime.h"

struct BookingWindow {
    int year = 0;
    int month = 0; // 1..12 when valid
    int day = 0;   // last valid day of the month; 0 when the window names no real month

    bool Valid() const { return day != 0; }

    // Manual window (limitType nonzero): the month manualMonth of manualYear. Automatic window:
    // `limitAuto` months after the month of `now` (across year ends; a negative count goes back).
    static BookingWindow Compute(int limitType, int limitAuto, int manualYear, int manualMonth,
                                 const LocalDateTime& now);

    // Last day (31, 30, 29 or 28) that exists in that month; 0 when the month is outside 1..12
    // or the year outside 1000..9999.
    static int LastDayOfMonth(int year, int month);

    // Last year of closed days to publish: manualYear for a manual window, else the year of the
    // automatic window's month.
    static int LastYear(int limitType, int limitAuto, int manualYear, const LocalDateTime& now);

    // "'YYYY-MM-DD 00:00:00'" of the window's last day, "NULL" when not Valid().
    std::string SqlLimitDate() const;
    // "YYYY.MM.DD" of the window's last day.
    std::string DotDate() const;
    // True when the window's month is later than the month of `now`.
    bool LaterThanMonthOf(const LocalDateTime& now) const;
};

// The booking time limit "HHMM": hour values of 25 and above or below 0 become 24, minutes of
// 60 and above 59 (below 0: 0), and the minute is 0 when the hour is 24. Empty when limitToday
// is 0 (no limit).
std::string BookingTimeLimit(int limitToday, int hour, int minute);
