#pragma once
// The suite's one source of "now", so tests can drive time. Local dates and times are read from
// the instant through the clinic's zone (ClinicZone.h), never through the clock.
#include <chrono>

namespace platform {

class Clock {
public:
    using TimePoint = std::chrono::system_clock::time_point;

    virtual ~Clock() = default;
    // The current instant.
    virtual TimePoint Now() const = 0;
};

} // namespace platform
