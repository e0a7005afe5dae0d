#pragma once
// Source of the local time for the controllers; tests pass a fixed clock.
#include <ctime>

class Clock {
public:
    virtual ~Clock() = default;
    // Local broken-down time now.
    virtual std::tm LocalNow() const = 0;
};
