#pragma once
// The desktop's "open" verb: hands an address (or a file path) to the program the desktop has
// for it, shown normally.
#include <string>

namespace platform {

// `target` is CP932. An address with a scheme opens as it is, anything else as a local path.
// False when it is empty or the desktop could not open it.
bool ShellOpen(const std::string& target);

} // namespace platform
