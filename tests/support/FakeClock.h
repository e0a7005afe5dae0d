#pragma once
// A clock that tests set and step by hand.
#include "agent/core/IClock.h"

class FakeClock : public IClock {
public:
    explicit FakeClock(LocalDateTime t = {2024, 1, 5, 9, 30, 0, 0}) : m_now(t.ToTimePoint()) {}
    std::chrono::system_clock::time_point Now() const override { return m_now; }
    void Set(const LocalDateTime& t) { m_now = t.ToTimePoint(); }
    // An instant, whatever zone the local fields are read in.
    void SetInstant(std::chrono::system_clock::time_point t) { m_now = t; }
    void Advance(std::chrono::milliseconds d) { m_now += d; }

private:
    std::chrono::system_clock::time_point m_now;
};
