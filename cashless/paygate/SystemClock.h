#pragma once
#include "Clock.h"

// The machine's local time.
class SystemClock : public Clock {
public:
    std::tm LocalNow() const override;
};
