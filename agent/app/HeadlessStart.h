#pragma once
// `apposync --headless [--once]`: the start-up of the resident agent without any window (its
// single-instance guard and settings), then the engine's headless runner.
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

class HeadlessStart {
public:
    struct Options {
        bool headless = false; // "--headless" given
        bool once = false;     // "--once" given as well
    };

    // Recognises "--headless" and "--once" as whole arguments (neither holds a command word).
    static Options Parse(const std::vector<std::string>& args);

    // Runs the agent: start-up without dialogs, then cycles 3000 ms apart until SIGINT or
    // SIGTERM (exit 0), or one cycle with once (0 when it opened the local and the web
    // database, 1 otherwise). 1 as well when another resident agent already runs.
    static int Run(bool once, std::ostream& out, std::ostream& err);
};
