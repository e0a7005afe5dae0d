#pragma once
// `apposync --headless [--once]`: the start-up of the resident agent without any window (its
// single-instance guard and settings), then the engine's headless runner.
// `apposync --send-all-patients` / `--send-all-memos` (with or without --headless): the same
// start-up, then one bulk send printing its lines, progress included.
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "agent/app/HeadlessBulkSend.h"

class HeadlessStart {
public:
    struct Options {
        bool headless = false; // "--headless" given
        bool once = false;     // "--once" given as well
        // "--send-all-patients" or "--send-all-memos" (the last one given); implies headless.
        std::optional<BulkKind> bulk;
        // "--status": report the running agent's health and end (StatusCommand); wins over the
        // others.
        bool status = false;
    };

    // Recognises "--headless" and "--once" as whole arguments (neither holds a command word).
    static Options Parse(const std::vector<std::string>& args);

    // Runs the agent: start-up without dialogs, then cycles 3000 ms apart until SIGINT or
    // SIGTERM (exit 0), or one cycle with once (0 when it opened the local and the web
    // database, 1 otherwise). 1 as well when another resident agent already runs, and when a
    // settings file is missing, unreadable or empty (its line is printed; no cycle runs). Keeps
    // the status file current (HealthMonitor); a turn to 異常 and back is one line of the log each.
    static int Run(bool once, std::ostream& out, std::ostream& err);

    // One bulk send after the start-up: 0 when every record was walked, 1 when it did not start,
    // stopped early (SIGINT, SIGTERM, the web database gone) or another resident agent runs.
    // replaceProgress: progress lines overwrite each other (a terminal).
    static int RunBulk(BulkKind kind, std::ostream& out, std::ostream& err, bool replaceProgress);
};
