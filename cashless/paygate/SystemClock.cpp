#include "SystemClock.h"

std::tm SystemClock::LocalNow() const {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}
