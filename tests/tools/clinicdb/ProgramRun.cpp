#include "ProgramRun.h"

#include "TempDir.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>

ProgramRun ProgramRun::Start(const std::string& program, const std::vector<std::string>& args,
                             const std::string& scratchFolder) {
    ProgramRun run;
    const char* bin = std::getenv("CORVANE_BIN");
    std::string folder = bin ? bin : "";
    if (folder.empty()) {
        // Test executables live in <build>/tests, programs in <build>/bin.
        std::error_code ec;
        std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
        folder = (self.parent_path().parent_path() / "bin").string();
    }
    std::string path = folder + "/" + program;
    std::vector<char*> argv;
    argv.push_back(path.data());
    std::vector<std::string> copy = args;
    for (std::string& a : copy)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::string outFile = scratchFolder + ".run.out", errFile = scratchFolder + ".run.err";
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&fa, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, path.c_str(), &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    if (rc != 0)
        return run;
    int ws = 0;
    waitpid(pid, &ws, 0);
    if (WIFEXITED(ws))
        run.status = WEXITSTATUS(ws);
    run.out = TempDir::Read(outFile);
    run.err = TempDir::Read(errFile);
    return run;
}
