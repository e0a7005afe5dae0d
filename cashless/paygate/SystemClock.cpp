#include "SystemClock.h"

#include "platform/ClinicZone.h"

std::tm SystemClock::LocalNow() const {
    return platform::ToClinicTime(std::time(nullptr));
}
