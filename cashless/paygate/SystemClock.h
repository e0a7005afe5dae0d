#pragma once
#include "Clock.h"

// The clinic's local time.
class SystemClock : public Clock {
public:
    std::tm LocalNow() const override;
};
