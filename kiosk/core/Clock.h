#pragma once
// The kiosk's source of "now", so tests can set the time.

// A local date and time of day, fields as people read them (month 1-12, day 1-31).
struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // The current local time.
    virtual LocalTime Now() const = 0;
};
