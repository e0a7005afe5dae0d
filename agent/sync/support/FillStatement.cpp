#include "agent/sync/support/FillStatement.h"

std::string FillStatement(std::string_view pattern,
                          std::initializer_list<std::string_view> values) {
    std::string out;
    out.reserve(pattern.size() + 24 * values.size());
    auto next = values.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        size_t width = 0;
        if (pattern[i] == '%') {
            std::string_view rest = pattern.substr(i + 1);
            if (rest.starts_with("s") || rest.starts_with("d"))
                width = 1;
            else if (rest.starts_with("ld"))
                width = 2;
        }
        if (width == 0) {
            out += pattern[i];
            continue;
        }
        if (next != values.end())
            out += *next++;
        i += width;
    }
    return out;
}
