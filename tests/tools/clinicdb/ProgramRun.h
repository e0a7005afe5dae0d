#pragma once
// Runs a program of the build (CORVANE_BIN, else the bin folder beside the test's own folder)
// and collects its exit status and output.
#include <string>
#include <vector>

struct ProgramRun {
    int status = -1; // exit status; -1 when it could not run or did not exit normally
    std::string out;
    std::string err;

    // Runs CORVANE_BIN/program with args; output goes through files in scratchFolder.
    static ProgramRun Start(const std::string& program, const std::vector<std::string>& args,
                            const std::string& scratchFolder);
};
