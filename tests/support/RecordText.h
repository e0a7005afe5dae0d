#pragma once
// Filling the fixed-size text fields of local database records in tests.
#include <algorithm>
#include <cstring>
#include <string_view>

// Copies src into the field, cut to leave room for the terminating zero; the rest is zeroed.
template <std::size_t N> void PutText(char (&dst)[N], std::string_view src) {
    std::memset(dst, 0, N);
    std::memcpy(dst, src.data(), std::min(src.size(), N - 1));
}
