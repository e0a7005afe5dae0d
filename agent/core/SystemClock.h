#pragma once
#include "agent/core/IClock.h"

// The real clock.
class SystemClock : public IClock {
public:
    std::chrono::system_clock::time_point Now() const override {
        return std::chrono::system_clock::now();
    }
    // A process-wide instance for callers that are not given a clock.
    static const SystemClock& Instance() {
        static const SystemClock clock;
        return clock;
    }
};
