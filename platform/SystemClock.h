#pragma once
// The real clock.
#include "platform/Clock.h"

namespace platform {

class SystemClock final : public Clock {
public:
    TimePoint Now() const override;
    // A process-wide instance for callers that are not given a clock.
    static const SystemClock& Instance();
};

} // namespace platform
