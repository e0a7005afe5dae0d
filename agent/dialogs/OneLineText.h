#pragma once
// A list cell shows one line: every line break (CR LF, CR or LF) of a CP932 text becomes a
// blank.
#include <string>

std::string OneLineText(const std::string& text);
