#pragma once
// Every "now" of the engine comes through a clock so tests can drive time.
#include <chrono>

#include "agent/core/LocalDateTime.h"

class IClock {
public:
    virtual ~IClock() = default;
    virtual std::chrono::system_clock::time_point Now() const = 0;
    // Current local time with milliseconds.
    LocalDateTime LocalNow() const { return LocalDateTime::From(Now()); }
};
