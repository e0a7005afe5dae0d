#include "platform/ProgramFolder.h"

#include <cstdlib>
#include <limits.h>
#include <unistd.h>

namespace platform {

std::string ProgramFolder() {
    std::string folder;
    if (const char* home = std::getenv("CORVANE_HOME"); home && *home) {
        folder = home;
    } else {
        char buffer[PATH_MAX];
        ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
        if (n > 0) {
            folder.assign(buffer, static_cast<std::size_t>(n));
            std::size_t slash = folder.rfind('/');
            folder.erase(slash == std::string::npos ? 0 : slash + 1);
        }
        if (folder.empty())
            folder = "./";
    }
    if (folder.back() != '/')
        folder.push_back('/');
    return folder;
}

} // namespace platform
