#include "agent/sync/support/SqlFormat.h"

std::string SqlFormat(std::string_view pattern, std::initializer_list<std::string_view> values) {
    std::string out;
    out.reserve(pattern.size() + 16 * values.size());
    auto next = values.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() &&
            (pattern[i + 1] == 's' || pattern[i + 1] == 'd')) {
            if (next != values.end())
                out += *next++;
            ++i;
            continue;
        }
        out += pattern[i];
    }
    return out;
}
