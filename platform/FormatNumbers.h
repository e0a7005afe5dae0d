#pragma once
// The fixed forms of dates and times ("%04d%02d%02d", "%02d:%02d") as texts.
#include <string>

namespace platform {

// The printf pattern filled with up to three integers; unused ones are ignored. Never cut.
// REQUIRES: the pattern's conversions are "%d"-forms taking int, at most three.
std::string FormatNumbers(const char* pattern, int a, int b = 0, int c = 0);

} // namespace platform
