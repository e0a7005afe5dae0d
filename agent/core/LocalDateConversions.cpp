#include "agent/core/LocalDateConversions.h"

#include <cstdio>

namespace {

bool AllDigits(const std::string& s) {
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

std::optional<LocalDateTime> FromEight(const std::string& s) {
    if (s.size() != 8 || !AllDigits(s))
        return std::nullopt;
    LocalDateTime t;
    t.year = std::stoi(s.substr(0, 4));
    t.month = std::stoi(s.substr(4, 2));
    t.day = std::stoi(s.substr(6, 2));
    // The desktop date type spans the years 100..9999.
    if (t.year < 100 || t.month < 1 || t.month > 12 || t.day < 1 ||
        t.day > DaysInMonth(t.year, t.month))
        return std::nullopt;
    return t;
}

} // namespace

std::optional<LocalDateTime> DateValueFromText(const std::string& yyyymmdd) {
    std::string s = yyyymmdd.substr(0, 8);
    s.resize(8, '0');
    return FromEight(s);
}

std::optional<LocalDateTime> TimeValueFromText(const std::string& hhmm) {
    std::string s = hhmm.substr(0, 4);
    s.resize(4, '0');
    if (!AllDigits(s))
        return std::nullopt;
    LocalDateTime t{2000, 1, 1, std::stoi(s.substr(0, 2)), std::stoi(s.substr(2, 2)), 0, 0};
    if (t.hour > 23 || t.minute > 59)
        return std::nullopt;
    return t;
}

bool IsTodayOrLater(const std::string& yyyymmdd, const platform::Clock& clock) {
    static const std::string pad = "99991231";
    std::string s = yyyymmdd.substr(0, 8);
    s += pad.substr(s.size());
    auto d = FromEight(s);
    if (!d)
        return false;
    LocalDateTime now = LocalNow(clock);
    // Both sides are whole days, so "within half a second" is plain equality of the dates.
    if (d->year != now.year)
        return d->year > now.year;
    if (d->month != now.month)
        return d->month > now.month;
    return d->day >= now.day;
}

std::string TodayYmd(const platform::Clock& clock) {
    const LocalDateTime now = LocalNow(clock);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", now.year % 10000, now.month % 100,
                  now.day % 100);
    return buf;
}
