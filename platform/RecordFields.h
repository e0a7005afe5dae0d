#pragma once
// Text fields of the local records (fixed-width char arrays of CP932 bytes) as strings, both
// ways. Every reader and writer of such a field goes through these, so no field is read past its
// end and none is left holding half a double-byte character.
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/Cp932.h"

namespace platform {

// The field's bytes up to its first NUL, or all `size` bytes when it has none.
inline std::string RecText(const char* field, std::size_t size) {
    return std::string(field, strnlen(field, size));
}

template <std::size_t N> std::string RecText(const char (&field)[N]) {
    return RecText(field, N);
}

// Clears the field and stores the text cut to size - 1 bytes on a whole CP932 character, so a
// NUL always follows it and the next read never starts inside a character. REQUIRES: size >= 1.
inline void SetRecText(char* field, std::size_t size, std::string_view text) {
    const std::size_t n = Cp932CutLength(text, size - 1);
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), n);
}

template <std::size_t N> void SetRecText(char (&field)[N], std::string_view text) {
    static_assert(N >= 1);
    SetRecText(field, N, text);
}

} // namespace platform
