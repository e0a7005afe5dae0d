#pragma once
// The bulk send's name for platform::RecText; new code uses platform/RecordFields.h directly.
#include "platform/RecordFields.h"

template <std::size_t N> std::string RecordText(const char (&field)[N]) {
    return platform::RecText(field);
}
