#include "agent/core/SqlLiterals.h"

#include <cstdio>

#include "platform/Cp932.h"
#include "platform/FormatNumbers.h"
#include "platform/SystemClock.h"

using platform::FormatNumbers;

namespace {

bool Digits(const std::string& s, size_t from, size_t count, int& value) {
    if (s.size() < from + count)
        return false;
    value = 0;
    for (size_t i = from; i < from + count; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        value = value * 10 + (s[i] - '0');
    }
    return true;
}

bool IsTrailByte(unsigned char c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

struct Ymd {
    int y = 0, m = 0, d = 0;
};

std::optional<Ymd> ParseDate(const std::string& s) {
    Ymd r;
    if (s.size() != 8 || !Digits(s, 0, 4, r.y) || !Digits(s, 4, 2, r.m) || !Digits(s, 6, 2, r.d))
        return std::nullopt;
    if (r.y < 1000 || r.y > 9999 || r.m < 1 || r.m > 12 || r.d < 1 || r.d > 31)
        return std::nullopt;
    return r;
}

std::optional<std::pair<int, int>> ParseTime(const std::string& s) {
    int h = 0, m = 0;
    if (!Digits(s, 0, 2, h) || !Digits(s, 2, 2, m) || m > 59)
        return std::nullopt;
    return std::make_pair(h, m);
}

} // namespace

bool IsValidDate(const std::string& yyyymmdd) {
    return ParseDate(yyyymmdd).has_value();
}

bool IsValidTime(const std::string& hhmm) {
    return ParseTime(hhmm).has_value();
}

std::string EscapeSqlText(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (platform::IsLeadByte(c)) {
            if (i + 1 >= n)
                break; // a lone lead byte at the end would swallow the closing quote
            if (!IsTrailByte(static_cast<unsigned char>(text[i + 1]))) {
                // Not a character: the server reads the next byte on its own, so it is escaped on
                // its own too (a quote after a stray lead byte must not end the literal).
                out += text[i];
                ++i;
                continue;
            }
            out += text[i];
            out += text[i + 1];
            i += 2;
            continue;
        }
        if (c == '\'' || c == '\\')
            out += static_cast<char>(c);
        out += static_cast<char>(c);
        ++i;
    }
    return out;
}

std::string SqlText(const std::string& text) {
    if (text.empty())
        return "NULL";
    return "'" + EscapeSqlText(text) + "'";
}

std::string SqlDate(const std::string& yyyymmdd) {
    std::string t = DateText(yyyymmdd);
    return t.empty() ? "NULL" : "'" + t + "'";
}

std::string SqlTime(const std::string& hhmm) {
    std::string t = TimeText(hhmm);
    return t.empty() ? "NULL" : "'" + t + "'";
}

std::string SqlDateTime(const std::string& yyyymmdd, const std::string& hhmm) {
    std::string d = DateText(yyyymmdd);
    if (d.empty())
        return "NULL";
    std::string t = TimeText(hhmm);
    if (t.empty())
        t = "00:00:00";
    return "'" + d + " " + t + "'";
}

std::string SqlDateTimeValue(const std::optional<LocalDateTime>& value,
                             const platform::Clock& clock) {
    LocalDateTime v = value ? *value : LocalNow(clock);
    char buf[64];
    std::snprintf(buf, sizeof buf, "'%04d-%02d-%02d %02d:%02d:%02d'", v.year, v.month, v.day,
                  v.hour, v.minute, v.second);
    return buf;
}

std::string SqlDateTimeValue(const std::optional<LocalDateTime>& value) {
    return SqlDateTimeValue(value, platform::SystemClock::Instance());
}

std::string DateText(const std::string& yyyymmdd) {
    auto d = ParseDate(yyyymmdd);
    return d ? FormatNumbers("%04d-%02d-%02d", d->y, d->m, d->d) : std::string();
}

std::string TimeText(const std::string& hhmm) {
    auto t = ParseTime(hhmm);
    return t ? FormatNumbers("%02d:%02d:%02d", t->first, t->second, 0) : std::string();
}

std::string HourMinute(const std::string& webTime) {
    size_t first = webTime.find(':');
    if (first == std::string::npos)
        return webTime;
    size_t second = webTime.find(':', first + 1);
    return second == std::string::npos ? webTime : webTime.substr(0, second);
}
