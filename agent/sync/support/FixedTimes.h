#pragma once
// A first-visit page's fixed start times as the staff type them ("9:00,11:30,1530").
// The text is made half-width and ';' is read as ':'; tokens are the runs of digits and ':';
// a token with ':' is hour and minute around the first ':' (a missing number is 0); a token of
// fewer than 4 characters is padded ("9" 9:00, "930" 9:30, "1" 10:00, "12" 12:00; a leading 0
// is put in front when the first digit is above 2); a longer one is HHMM. Hours are capped at 24
// and minutes at 59. Repeated times are dropped.
#include <string>
#include <vector>

class FixedTimes {
public:
    // Minutes of the day in the order typed, without repeats.
    static std::vector<int> Read(const std::string& text);
    // The same, sorted.
    static std::vector<int> ReadSorted(const std::string& text);
    // "H:MM" of each time, joined by ",", in the order typed.
    static std::string Normalised(const std::string& text);
};
