#pragma once
// A text field of a local record (fixed char array) as a string: the bytes up to the first NUL,
// never beyond the array.
#include <cstring>
#include <string>

template <std::size_t N> std::string RecordText(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}
