#include "platform/ProgramFolder.h"

#include "platform/FileOps.h"

#include <cstdlib>
#include <limits.h>
#include <unistd.h>

namespace platform {

namespace {

std::string WithSlash(std::string folder) {
    if (folder.empty())
        folder = "./";
    if (folder.back() != '/')
        folder.push_back('/');
    return folder;
}

// Folder of the running executable (from /proc/self/exe, which names the file behind any link).
std::string ExecutableFolder() {
    std::string folder;
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (n > 0) {
        folder.assign(buffer, static_cast<std::size_t>(n));
        std::size_t slash = folder.rfind('/');
        folder.erase(slash == std::string::npos ? 0 : slash + 1);
    }
    return WithSlash(folder);
}

std::string Home() {
    const char* home = std::getenv("CORVANE_HOME");
    return home ? home : "";
}

bool IsUsr(const std::string& prefix) {
    return WithSlash(prefix) == "/usr/";
}

} // namespace

std::string InstalledPrefix(const std::string& exeFolder) {
    const std::string folder = WithSlash(exeFolder);
    const std::string bin = "/bin/";
    if (folder.size() < bin.size() || folder.compare(folder.size() - bin.size(), bin.size(), bin))
        return "";
    std::string prefix = folder.substr(0, folder.size() - bin.size() + 1);
    return FolderExists(prefix + "share/corvane") ? prefix : "";
}

std::string InstalledSettingsFolder(const std::string& prefix) {
    return IsUsr(prefix) ? "/etc/corvane/" : WithSlash(prefix) + "etc/corvane/";
}

std::string InstalledStateFolder(const std::string& prefix) {
    return IsUsr(prefix) ? "/var/lib/corvane/" : WithSlash(prefix) + "var/lib/corvane/";
}

std::string ProgramFolderFor(const std::string& home, const std::string& exeFolder) {
    if (!home.empty())
        return WithSlash(home);
    const std::string prefix = InstalledPrefix(exeFolder);
    return prefix.empty() ? WithSlash(exeFolder) : InstalledSettingsFolder(prefix);
}

std::string RegistryFolderFor(const std::string& home, const std::string& exeFolder) {
    if (home.empty()) {
        const std::string prefix = InstalledPrefix(exeFolder);
        if (!prefix.empty())
            return InstalledStateFolder(prefix) + "registry/";
    }
    return ProgramFolderFor(home, exeFolder) + "registry/";
}

std::string ProgramFolder() {
    return ProgramFolderFor(Home(), ExecutableFolder());
}

std::string RegistryFolder() {
    return RegistryFolderFor(Home(), ExecutableFolder());
}

} // namespace platform
