#include "agent/sync/support/ClosedDayFile.h"

#include "agent/core/LocalDateConversions.h"
#include "agent/core/SqlLiterals.h"

namespace {

const char* const kBlanks = " \t\r\n\v\f";

std::string Trim(const std::string& s) {
    std::string::size_type first = s.find_first_not_of(kBlanks);
    if (first == std::string::npos)
        return {};
    std::string::size_type last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

} // namespace

std::string ClosedDayFile::PathOf(const std::string& folder, int year) {
    return folder + std::to_string(year) + ".off";
}

std::string ClosedDayFile::ParseLine(const std::string& raw) {
    std::string line = Trim(raw);
    if (line.size() <= 10)
        return {};
    if (line.size() > 11 && line[11] == '*')
        return {};
    std::string date;
    for (char c : line.substr(1, 10)) {
        if (c != '.')
            date += c;
    }
    if (!IsValidDate(date) || !DateValueFromText(date))
        return {};
    return date;
}

std::set<std::string> ClosedDayFile::Parse(const std::string& text, int year) {
    std::set<std::string> days;
    const std::string prefix = year > 0 ? std::to_string(year) : std::string();
    std::string::size_type start = 0;
    while (start <= text.size()) {
        std::string::size_type end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string date = ParseLine(text.substr(start, end - start));
        if (!date.empty() && date.compare(0, prefix.size(), prefix) == 0)
            days.insert(date);
        start = end + 1;
    }
    return days;
}
