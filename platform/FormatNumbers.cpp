#include "platform/FormatNumbers.h"

#include <cstdio>

namespace platform {

std::string FormatNumbers(const char* pattern, int a, int b, int c) {
    char buf[64];
    const int n = std::snprintf(buf, sizeof buf, pattern, a, b, c);
    if (n < 0)
        return {};
    if (static_cast<std::size_t>(n) < sizeof buf)
        return std::string(buf, static_cast<std::size_t>(n));
    std::string out(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), pattern, a, b, c);
    out.resize(static_cast<std::size_t>(n));
    return out;
}

} // namespace platform
