#include "agent/core/LocalDateTime.h"

#include "platform/ClinicZone.h"

#include <cstdio>
#include <ctime>

LocalDateTime LocalDateTime::From(std::chrono::system_clock::time_point tp) {
    using namespace std::chrono;
    auto ms = duration_cast<milliseconds>(tp.time_since_epoch()).count();
    std::time_t secs = static_cast<std::time_t>(ms / 1000);
    long long rest = ms % 1000;
    if (rest < 0) {
        rest += 1000;
        --secs;
    }
    const std::tm tm = platform::ToClinicTime(secs);
    LocalDateTime t;
    t.year = tm.tm_year + 1900;
    t.month = tm.tm_mon + 1;
    t.day = tm.tm_mday;
    t.hour = tm.tm_hour;
    t.minute = tm.tm_min;
    t.second = tm.tm_sec;
    t.millisecond = static_cast<int>(rest);
    return t;
}

std::chrono::system_clock::time_point LocalDateTime::ToTimePoint() const {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    std::time_t secs = platform::FromClinicTime(tm);
    return std::chrono::system_clock::from_time_t(secs) + std::chrono::milliseconds(millisecond);
}

LocalDateTime LocalNow(const platform::Clock& clock) {
    return LocalDateTime::From(clock.Now());
}

std::string LocalDateTime::DateTimeText() const {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute,
                  second);
    return buf;
}

std::string LocalDateTime::Digits() const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d", year % 10000, month % 100, day % 100,
                  hour % 100, minute % 100, second % 100);
    return buf;
}
