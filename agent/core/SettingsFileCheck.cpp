#include "agent/core/SettingsFileCheck.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "agent/core/AgentSettings.h"
#include "outside/tools/CTools.h"
#include "platform/Cp932.h"

using platform::J;

namespace {

// What is wrong with one settings file, or an empty text.
std::string FileProblem(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return J("設定ファイルがありません: ") + path;
        return J("設定ファイルを読めません: ") + path + " (" + std::strerror(errno) + ")";
    }
    if (S_ISDIR(st.st_mode))
        return J("設定ファイルを読めません: ") + path + J(" (フォルダです)");
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return J("設定ファイルを読めません: ") + path + " (" + std::strerror(errno) + ")";
    // Settings files are small; a megabyte of blanks is as empty as none.
    bool content = false;
    char buf[4096];
    std::size_t total = 0;
    ssize_t n = 0;
    while (!content && total < (1u << 20) && (n = ::read(fd, buf, sizeof buf)) > 0) {
        total += static_cast<std::size_t>(n);
        for (ssize_t i = 0; i < n && !content; ++i)
            content = buf[i] != ' ' && buf[i] != '\t' && buf[i] != '\r' && buf[i] != '\n';
    }
    const int readError = n < 0 ? errno : 0;
    ::close(fd);
    if (readError != 0)
        return J("設定ファイルを読めません: ") + path + " (" + std::strerror(readError) + ")";
    if (!content)
        return J("設定ファイルが空です: ") + path;
    return {};
}

} // namespace

std::vector<std::string> SettingsFileProblems() {
    std::vector<std::string> problems;
    const std::string product = CTools::GetCorvaneIniFileName();
    std::string problem = FileProblem(product);
    if (problem.empty() && AgentSettings::DatabaseFolder().empty())
        problem = J("設定ファイルに [GLOBAL] DATABASE がありません: ") + product;
    if (!problem.empty()) {
        problems.push_back(problem);
        return problems;
    }
    problem = FileProblem(AgentSettings::AgentFile());
    if (!problem.empty())
        problems.push_back(problem);
    return problems;
}
