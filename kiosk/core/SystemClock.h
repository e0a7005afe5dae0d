#pragma once
#include "Clock.h"

// The machine's local time.
class SystemClock : public Clock {
public:
    LocalTime Now() const override;
};
