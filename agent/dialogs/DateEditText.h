#pragma once
// Date pickers and the YYYYMMDD texts of the dialogs' logic.
#include <QDate>
#include <string>

// "YYYYMMDD" of a date; empty for an invalid one.
std::string YmdOf(const QDate& date);
// The date of a YYYYMMDD text; invalid when the text is no calendar date.
QDate DateOfYmd(const std::string& ymd);
