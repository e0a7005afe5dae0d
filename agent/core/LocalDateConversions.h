#pragma once
// Local date and time texts as date-time values (dialogs and exchanges compare and step them).
#include <optional>
#include <string>

#include "agent/core/LocalDateTime.h"
#include "platform/Clock.h"

// YYYYMMDD at 00:00:00; a shorter text is padded with "0" digits, so a missing day gives no
// value. nullopt for anything that is not a real calendar date.
std::optional<LocalDateTime> DateValueFromText(const std::string& yyyymmdd);
// HHMM on 2000-01-01 at HH:MM:00, padded with "0" digits; nullopt for an invalid time.
std::optional<LocalDateTime> TimeValueFromText(const std::string& hhmm);
// The text padded with the digits of "99991231" to eight is today or a later date (false when
// the padded text is no calendar date).
bool IsTodayOrLater(const std::string& yyyymmdd, const platform::Clock& clock);
// YYYYMMDD of the clock's local date.
std::string TodayYmd(const platform::Clock& clock);
