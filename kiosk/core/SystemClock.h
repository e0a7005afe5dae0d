#pragma once
#include "Clock.h"

#include <ctime>

// The clinic's local time now.
class SystemClock : public Clock {
public:
    LocalTime Now() const override;
    // The clinic's local time at an instant.
    static LocalTime At(std::time_t instant);
};
