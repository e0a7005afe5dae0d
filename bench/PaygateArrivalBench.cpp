// Paygate as the practice software meets it: the real program (offscreen) against catsim
// approving at once (no simulated terminal time); requests are dropped one at a time and the time
// from the drop to the answer file is measured. Also checks every answer is the request plus
// "$RESULT=0".
//   build/bin/bench_paygate [paygate program] [requests]   (default: the one beside this, 30)
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "TempDir.h"
#include "platform/FileOps.h"
#include "platform/Profile.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::string Beside(const char* name) {
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    const std::string path = n > 0 ? std::string(self, static_cast<std::size_t>(n)) : "./x";
    return path.substr(0, path.rfind('/') + 1) + name;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

pid_t Spawn(std::vector<std::string> args, const std::string& out) {
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void Stop(pid_t pid) {
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
}

void WriteWhole(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return;
    if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        std::fprintf(stderr, "short write: %s\n", path.c_str());
    ::close(fd);
}

// Waits for "<base>.fin" or "<base>.err" to be moved into the folder watched by `fd`.
std::string WaitAnswer(int fd, const std::string& folder, const std::string& base, int waitMs) {
    const auto until = Clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        for (const char* ext : {".fin", ".err"})
            if (platform::FileExists(folder + base + ext))
                return base + ext;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0)
            return {};
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) == 1) {
            alignas(inotify_event) char buf[4096];
            while (::read(fd, buf, sizeof buf) > 0) {
            }
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::string paygate = argc > 1 ? argv[1] : Beside("paygate");
    const int requests = argc > 2 ? std::atoi(argv[2]) : 30;
    TempDir home;
    const std::string run = home.File("run/");
    platform::MakeDirs(run);
    ::chmod(run.c_str(), 0700);
    setenv("CORVANE_HOME", home.Path().c_str(), 1);
    setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string folder = home.File("db/Cashless/");
    platform::MakeDirs(folder);
    platform::WriteProfileString(home.File("PelmoV3.ini"), "GLOBAL", "DATABASE", home.File("db"));
    platform::WriteProfileString(home.File("PelmoV3.ini"), "Cashless", "Type", "1");

    const pid_t terminal =
        Spawn({Beside("catsim"), "--port", "COM3", "--dir", run, "--journal", home.File("journal"),
               "--setup", "STERA_OCX", "--script", "slow:0"},
              home.File("catsim.out"));
    for (int i = 0; i < 500 && ReadAll(home.File("catsim.out")).find("READY") == std::string::npos;
         ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const pid_t bridge = Spawn({paygate}, home.File("paygate.out"));

    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    inotify_add_watch(watch, folder.c_str(), IN_MOVED_TO);
    // The first request also tells when the program is up (it purges the folder at start).
    std::string answer;
    for (int i = 0; i < 20 && answer.empty(); ++i) {
        WriteWhole(folder + "warm.dat", "1\n1\n");
        answer = WaitAnswer(watch, folder, "warm", 1500);
    }
    if (answer.empty()) {
        std::fprintf(stderr, "paygate did not answer: %s\n",
                     ReadAll(home.File("paygate.out")).c_str());
        Stop(bridge);
        Stop(terminal);
        return 1;
    }

    std::vector<double> ms;
    int identical = 0;
    for (int i = 1; i <= requests; ++i) {
        const std::string base = "r" + std::to_string(i);
        const std::string request = "1\r\n" + std::to_string(1000 + i) +
                                    "\r\n0\r\n0\r\n0\r\n0\r\nP-" + std::to_string(i) + "\r\n";
        // Drops fall evenly over a second, so at every moment of a poll period.
        std::this_thread::sleep_for(std::chrono::milliseconds(17 + (i * 373) % 1000));
        const auto start = Clock::now();
        WriteWhole(folder + base + ".dat", request);
        answer = WaitAnswer(watch, folder, base, 5000);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (answer == base + ".fin" && ReadAll(folder + answer) == request + "$RESULT=0")
            ++identical;
    }
    Stop(bridge);
    Stop(terminal);
    ::close(watch);

    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    std::printf("%d requests, drop to answer: median %.1f ms, min %.1f ms, max %.1f ms; "
                "%d of %d answers are the request plus $RESULT=0\n",
                requests, sorted[sorted.size() / 2], sorted.front(), sorted.back(), identical,
                requests);
    return identical == requests ? 0 : 1;
}
