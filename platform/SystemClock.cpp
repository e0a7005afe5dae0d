#include "platform/SystemClock.h"

namespace platform {

Clock::TimePoint SystemClock::Now() const {
    return std::chrono::system_clock::now();
}

const SystemClock& SystemClock::Instance() {
    static const SystemClock clock;
    return clock;
}

} // namespace platform
