#pragma once
// SQL literals: every value placed into a statement text goes through one of these. Texts are
// CP932 bytes. None of them fails: invalid input becomes "NULL" or an empty text.
#include <optional>
#include <string>

#include "agent/core/LocalDateTime.h"
#include "platform/Clock.h"

// YYYYMMDD: exactly 8 digits, year 1000..9999, month 1..12, day 1..31 (not checked against the
// month's length).
bool IsValidDate(const std::string& yyyymmdd);
// HHMM: at least 4 characters, the first four digits, hour 0..99, minute 0..59; the rest is
// ignored.
bool IsValidTime(const std::string& hhmm);

// The text with a trailing lone lead byte dropped and every "'" and "\" doubled, walking whole
// CP932 characters (a 0x5C trail byte is left alone).
std::string EscapeSqlText(const std::string& text);

// "NULL" for an empty text, else 'escaped text'.
std::string SqlText(const std::string& text);
// 'YYYY-MM-DD' or NULL.
std::string SqlDate(const std::string& yyyymmdd);
// 'HH:MM:00' or NULL.
std::string SqlTime(const std::string& hhmm);
// 'YYYY-MM-DD HH:MM:00'; an invalid or empty time gives 00:00:00, an invalid date NULL.
std::string SqlDateTime(const std::string& yyyymmdd, const std::string& hhmm);
// 'YYYY-MM-DD HH:MM:SS' of the value; without a value, of the clock's current local time.
std::string SqlDateTimeValue(const std::optional<LocalDateTime>& value,
                             const platform::Clock& clock);
std::string SqlDateTimeValue(const std::optional<LocalDateTime>& value);

// YYYY-MM-DD or empty.
std::string DateText(const std::string& yyyymmdd);
// HH:MM:00 or empty.
std::string TimeText(const std::string& hhmm);
// A web time "HH:MM:SS" up to its second colon ("10:30:00" -> "10:30"); whole without it.
std::string HourMinute(const std::string& webTime);
