#include "agent/sync/support/WebValueText.h"

#include <cctype>
#include <cstdio>
#include <ctime>

#include "agent/core/CRecordset.h"
#include "agent/core/FieldText.h"
#include "agent/core/LocalDateConversions.h"
#include "agent/core/SqlLiterals.h"
#include "platform/ClinicZone.h"

namespace {

bool Digits(const std::string& s, std::size_t pos, std::size_t n) {
    if (s.size() < pos + n)
        return false;
    for (std::size_t i = pos; i < pos + n; ++i)
        if (!std::isdigit(static_cast<unsigned char>(s[i])))
            return false;
    return true;
}

} // namespace

std::string WebDateToYmd(const std::string& webDate) {
    if (!Digits(webDate, 0, 4) || webDate.size() < 10 || webDate[4] != '-' ||
        !Digits(webDate, 5, 2) || webDate[7] != '-' || !Digits(webDate, 8, 2))
        return {};
    const std::string ymd = webDate.substr(0, 4) + webDate.substr(5, 2) + webDate.substr(8, 2);
    return DateValueFromText(ymd) ? ymd : std::string();
}

std::string WebTimeToHm(const std::string& webTime) {
    if (!Digits(webTime, 0, 2) || webTime.size() < 5 || webTime[2] != ':' || !Digits(webTime, 3, 2))
        return {};
    const std::string hm = webTime.substr(0, 2) + webTime.substr(3, 2);
    return IsValidTime(hm) ? hm : std::string();
}

std::string FieldDateYmd(const CRecordset& rs, const std::string& name) {
    LocalDateTime t;
    if (!GetFieldDateTime(rs, name, t))
        return WebDateToYmd(GetFieldText(rs, name));
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", t.year % 10000, t.month % 100, t.day % 100);
    return DateValueFromText(buf) ? std::string(buf) : std::string();
}

std::string FieldTimeHm(const CRecordset& rs, const std::string& name) {
    return WebTimeToHm(GetFieldText(rs, name));
}

std::string DottedDate(const std::string& ymd) {
    if (ymd.size() != 8)
        return ymd;
    return ymd.substr(0, 4) + "." + ymd.substr(4, 2) + "." + ymd.substr(6, 2);
}

std::string ColonTime(const std::string& hhmm) {
    if (hhmm.size() < 4)
        return hhmm;
    return hhmm.substr(0, 2) + ":" + hhmm.substr(2, 2);
}

int HmMinutes(const std::string& hhmm) {
    if (!Digits(hhmm, 0, 4))
        return -1;
    const int h = (hhmm[0] - '0') * 10 + (hhmm[1] - '0');
    const int m = (hhmm[2] - '0') * 10 + (hhmm[3] - '0');
    if (m > 59)
        return -1;
    return h * 60 + m;
}

std::string AddMinutes(const std::string& startHm, int minutes) {
    const int s = HmMinutes(startHm);
    if (s < 0)
        return {};
    const int t = s + minutes;
    if (t < 0 || t / 60 > 99)
        return {};
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d%02d", t / 60, t % 60);
    return buf;
}

std::string ShiftDate(const std::string& ymd, int days) {
    const auto d = DateValueFromText(ymd);
    if (!d)
        return {};
    std::tm tm{};
    tm.tm_year = d->year - 1900;
    tm.tm_mon = d->month - 1;
    tm.tm_mday = d->day + days;
    tm.tm_hour = 12; // away from midnight, so a daylight-saving change cannot move the day
    if (platform::FromClinicTime(tm) == static_cast<std::time_t>(-1))
        return {};
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", (tm.tm_year + 1900) % 10000,
                  (tm.tm_mon + 1) % 100, tm.tm_mday % 100);
    return buf;
}
