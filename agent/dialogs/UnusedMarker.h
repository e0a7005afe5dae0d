#pragma once
// The unused marker of the local resource records: a unit, type or doctor whose marker field
// starts with "__" is no longer offered for new choices.
#include <cstring>

template <std::size_t N> bool MarkedUnused(const char (&marker)[N]) {
    static_assert(N >= 2);
    return std::strncmp(marker, "__", 2) == 0;
}
