#include "agent/sync/support/BookingWindow.h"

#include "agent/core/LocalDateConversions.h"
#include "platform/FormatNumbers.h"

using platform::FormatNumbers;

namespace {

// Whole years in a count of months from January (floor division, so a negative count still
// lands on a real month). Kept in long long so that an absurd setting cannot overflow.
long long YearsOf(long long months) {
    return months >= 0 ? months / 12 : -((-months + 11) / 12);
}

int ClampYear(long long year) {
    return year > 99999 || year < -99999 ? 0 : static_cast<int>(year);
}

} // namespace

int BookingWindow::LastDayOfMonth(int year, int month) {
    if (year < 1000 || year > 9999 || month < 1 || month > 12)
        return 0;
    for (int day : {31, 30, 29, 28}) {
        if (DateValueFromText(FormatNumbers("%04d%02d%02d", year, month, day)))
            return day;
    }
    return 0;
}

BookingWindow BookingWindow::Compute(int limitType, int limitAuto, int manualYear, int manualMonth,
                                     const LocalDateTime& now) {
    BookingWindow w;
    if (limitType != 0) {
        w.year = manualYear;
        w.month = manualMonth;
    } else {
        long long p = static_cast<long long>(limitAuto) + now.month - 1;
        long long years = YearsOf(p);
        w.year = ClampYear(now.year + years);
        w.month = static_cast<int>(p - years * 12) + 1;
    }
    w.day = LastDayOfMonth(w.year, w.month);
    return w;
}

int BookingWindow::LastYear(int limitType, int limitAuto, int manualYear,
                            const LocalDateTime& now) {
    if (limitType != 0)
        return manualYear;
    return ClampYear(now.year + YearsOf(static_cast<long long>(limitAuto) + now.month - 1));
}

std::string BookingWindow::SqlLimitDate() const {
    if (!Valid())
        return "NULL";
    return FormatNumbers("'%04d-%02d-%02d 00:00:00'", year, month, day);
}

std::string BookingWindow::DotDate() const {
    return FormatNumbers("%04d.%02d.%02d", year, month, day);
}

bool BookingWindow::LaterThanMonthOf(const LocalDateTime& now) const {
    return static_cast<long long>(year) * 12 + month >
           static_cast<long long>(now.year) * 12 + now.month;
}

std::string BookingTimeLimit(int limitToday, int hour, int minute) {
    if (limitToday == 0)
        return {};
    if (hour >= 25 || hour < 0)
        hour = 24;
    if (minute >= 60)
        minute = 59;
    if (minute < 0)
        minute = 0;
    if (hour == 24)
        minute = 0;
    return FormatNumbers("%02d%02d", hour, minute, 0);
}
