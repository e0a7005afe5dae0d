#pragma once
// Conversions between the web's date and time texts and the local book's YYYYMMDD / HHMM texts,
// and the small date and time sums the exchanges make. All of them give an empty text for an
// input they cannot read, so a bad web value never becomes a wrong local one.
#include <string>

class CRecordset;

// "YYYY-MM-DD..." (a DATE or DATETIME field as text) -> "YYYYMMDD"; "" unless a calendar date.
std::string WebDateToYmd(const std::string& webDate);
// "HH:MM[:SS]" -> "HHMM"; "" unless hour 0..99 and minute 0..59.
std::string WebTimeToHm(const std::string& webTime);
// The date part of a date-time field as YYYYMMDD ("" for NULL).
std::string FieldDateYmd(const CRecordset& rs, const std::string& name);
// The field as HHMM ("" for NULL).
std::string FieldTimeHm(const CRecordset& rs, const std::string& name);

// "YYYYMMDD" -> "YYYY.MM.DD" (log texts); other texts unchanged.
std::string DottedDate(const std::string& ymd);
// "HHMM" -> "HH:MM" (log texts); other texts unchanged.
std::string ColonTime(const std::string& hhmm);

// Minutes since midnight of a HHMM text (hour may pass 23, as in "2400"); -1 when unreadable.
int HmMinutes(const std::string& hhmm);
// HHMM of start + minutes; "" when start is unreadable or the result is outside 0000..9959.
std::string AddMinutes(const std::string& startHm, int minutes);
// YYYYMMDD moved by days (calendar arithmetic); "" when the date is not a calendar date.
std::string ShiftDate(const std::string& ymd, int days);
