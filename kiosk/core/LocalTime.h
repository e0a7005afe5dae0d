#pragma once
// The kiosk's local date and time of day, read from a clock's instant in the clinic's zone.
#include "platform/Clock.h"

// Fields as people read them (month 1-12, day 1-31).
struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;

    // The clinic's local time at an instant, to the whole second.
    static LocalTime At(platform::Clock::TimePoint instant);
};
