#include "LocalTime.h"

#include "platform/ClinicZone.h"

LocalTime LocalTime::At(platform::Clock::TimePoint instant) {
    const std::tm tm = platform::ToClinicTime(instant);
    LocalTime now;
    now.year = tm.tm_year + 1900;
    now.month = tm.tm_mon + 1;
    now.day = tm.tm_mday;
    now.hour = tm.tm_hour;
    now.minute = tm.tm_min;
    now.second = tm.tm_sec;
    return now;
}
