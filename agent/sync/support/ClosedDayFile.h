#pragma once
// The yearly closed-day files that the practice software writes into the database folder
// ("2025.off" for 2025). Text lines; each line is trimmed at both ends. A line longer than 10
// characters names a closed day unless its twelfth character is '*': characters 2 to 11 hold the
// date as YYYY.MM.DD. Every other line is ignored.
#include <set>
#include <string>

class ClosedDayFile {
public:
    // "<folder><year>.off"; folder ends with '/'.
    static std::string PathOf(const std::string& folder, int year);

    // The closed days (YYYYMMDD) that the file text names. Lines whose date is no calendar date,
    // or lies outside `year` (0: any year), are ignored: such a date could never match the web
    // rows of the year it is published with.
    static std::set<std::string> Parse(const std::string& text, int year = 0);

    // The date (YYYYMMDD) one line names, or empty.
    static std::string ParseLine(const std::string& line);
};
