#pragma once
#include "Clock.h"

// A clock the test sets by hand.
class FakeClock : public Clock {
public:
    LocalTime Now() const override { return m_now; }
    void Set(int y, int mo, int d, int h, int mi, int s) { m_now = {y, mo, d, h, mi, s}; }

private:
    LocalTime m_now{2024, 5, 1, 10, 0, 0};
};
