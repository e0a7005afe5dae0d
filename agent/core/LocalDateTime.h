#pragma once
// A broken-down local date and time, as the programs print and compare it.
#include <chrono>
#include <string>

#include "platform/Clock.h"

struct LocalDateTime {
    int year = 0;
    int month = 0; // 1..12
    int day = 0;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    // Local time of a time point in the clinic's zone.
    static LocalDateTime From(std::chrono::system_clock::time_point tp);
    // The time point of these local fields (normalised like mktime: 2024-02-30 is 2024-03-01).
    std::chrono::system_clock::time_point ToTimePoint() const;

    // "YYYY-MM-DD HH:MM:SS", as the web's date-time columns and the log lists show a moment.
    std::string DateTimeText() const;
    // "YYYYMMDDHHMMSS", fourteen digits, as the local book keeps a moment.
    std::string Digits() const;

    bool operator==(const LocalDateTime&) const = default;
};

// The clock's current local time in the clinic's zone, with milliseconds.
LocalDateTime LocalNow(const platform::Clock& clock);
