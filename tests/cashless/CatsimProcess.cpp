#include "CatsimProcess.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {
std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}
} // namespace

CatsimProcess::CatsimProcess(const std::string& folder, const std::string& port,
                             const std::string& script) {
    const char* bin = std::getenv("CORVANE_BIN");
    std::string exe = std::string(bin ? bin : ".") + "/catsim";
    if (::access(exe.c_str(), X_OK) != 0) {
        // Test programs live in build/tests/, the programs in build/bin/.
        char self[4096];
        ssize_t n = ::readlink("/proc/self/exe", self, sizeof(self) - 1);
        std::string dir = n > 0 ? std::string(self, static_cast<std::size_t>(n)) : "./x";
        exe = dir.substr(0, dir.rfind('/')) + "/../bin/catsim";
    }
    m_out = folder + "catsim-" + port + ".out";
    m_journal = folder + "catsim-" + port + ".journal";
    std::vector<std::string> args = {exe,         "--port",  port,       "--dir", folder,
                                     "--journal", m_journal, "--script", script};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, m_out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (posix_spawn(&m_pid, exe.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    m_ready = m_pid > 0 && WaitFor("READY");
}

CatsimProcess::~CatsimProcess() {
    Stop();
}

void CatsimProcess::Stop() {
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGTERM);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
}

std::string CatsimProcess::Output() const {
    return ReadAll(m_out);
}
std::string CatsimProcess::Journal() const {
    return ReadAll(m_journal);
}

bool CatsimProcess::WaitFor(const std::string& text) const {
    for (int i = 0; i < 500; ++i) {
        if (Output().find(text) != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}
