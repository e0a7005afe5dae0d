#include "agent/dialogs/ListSortOrder.h"

#include <cstdlib>

namespace {

double NumberOf(const std::string& text) {
    std::string digits;
    for (char c : text) {
        if (c != ',')
            digits += c;
    }
    return std::strtod(digits.c_str(), nullptr); // 0 when there is no number
}

} // namespace

int ListSortOrder::CompareCells(const std::string& a, const std::string& b, bool numeric) {
    if (numeric) {
        const double x = NumberOf(a);
        const double y = NumberOf(b);
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}
