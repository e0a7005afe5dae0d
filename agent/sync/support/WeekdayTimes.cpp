#include "agent/sync/support/WeekdayTimes.h"

#include <cstdio>

const char* WeekdayTimes::DayName(int weekday) {
    static const char* const names[] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
    return weekday >= 1 && weekday <= 7 ? names[weekday - 1] : "";
}

std::string WeekdayTimes::Hhmm(int value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d", value);
    return buf;
}
