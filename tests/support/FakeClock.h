#pragma once
// A clock that tests set and step by hand. A wall-clock time given to it is read in the clinic's
// zone, so the program under test sees exactly the local time the test sets.
#include <chrono>
#include <ctime>

#include "platform/ClinicZone.h"
#include "platform/Clock.h"

class FakeClock : public platform::Clock {
public:
    // A local date and time, fields as people read them (month 1-12, day 1-31).
    struct Wall {
        int year = 0;
        int month = 0;
        int day = 0;
        int hour = 0;
        int minute = 0;
        int second = 0;
        int millisecond = 0;
    };

    explicit FakeClock(const Wall& t = {2024, 1, 5, 9, 30, 0, 0}) { Set(t); }
    TimePoint Now() const override { return m_now; }

    void Set(const Wall& t) {
        std::tm fields{};
        fields.tm_year = t.year - 1900;
        fields.tm_mon = t.month - 1;
        fields.tm_mday = t.day;
        fields.tm_hour = t.hour;
        fields.tm_min = t.minute;
        fields.tm_sec = t.second;
        m_now = std::chrono::system_clock::from_time_t(platform::FromClinicTime(fields)) +
                std::chrono::milliseconds(t.millisecond);
    }
    void Set(int y, int mo, int d, int h, int mi, int s) { Set(Wall{y, mo, d, h, mi, s, 0}); }
    // An instant, whatever zone the local fields are read in.
    void SetInstant(TimePoint t) { m_now = t; }
    void Advance(std::chrono::milliseconds d) { m_now += d; }

private:
    TimePoint m_now;
};
