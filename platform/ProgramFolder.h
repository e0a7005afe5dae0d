#pragma once
#include <string>

namespace platform {

// Folder of the running executable (from /proc/self/exe), or $CORVANE_HOME when set; always ends
// with '/'.
std::string ProgramFolder();

} // namespace platform
