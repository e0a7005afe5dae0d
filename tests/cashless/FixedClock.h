#pragma once
// A clock that stays where the test puts it (15 May 2024, 10:20:30 to begin with).
#include "cashless/paygate/Clock.h"

class FixedClock : public Clock {
public:
    std::tm now{};
    FixedClock() { Set(2024, 5, 15, 10, 20, 30); }
    void Set(int y, int mo, int d, int h, int mi, int s) {
        now = {};
        now.tm_year = y - 1900;
        now.tm_mon = mo - 1;
        now.tm_mday = d;
        now.tm_hour = h;
        now.tm_min = mi;
        now.tm_sec = s;
    }
    std::tm LocalNow() const override { return now; }
};
