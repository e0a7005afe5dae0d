#pragma once
// Text fields of the local records (fixed char arrays) as strings, both ways.
#include <cstring>
#include <string>
#include <string_view>

#include "platform/Cp932.h"

// The bytes up to the first NUL, never beyond the array.
template <std::size_t N> std::string RecText(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

// Stores a CP932 text, cut to the field's N - 1 bytes without splitting a double-byte character
// (a half character would turn the next read into garbage), NUL-padded.
template <std::size_t N> void SetRecText(char (&field)[N], std::string_view text) {
    const std::size_t n = platform::Cp932CutLength(text, N - 1);
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), n);
}
