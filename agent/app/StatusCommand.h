#pragma once
// `apposync --status`: one line about the running agent's health from its status file in the
// database folder (HealthStatusFile), for a server's monitoring. Exit status in the usual
// monitoring-plugin way: 0 正常, 1 注意, 2 異常, 3 when no agent wrote a status in the last
// minute, the file is missing or unreadable, or the settings name no database folder.
// Reads nothing but the product settings file and the status file; takes no instance guard, so
// it runs beside the agent.
#include <iosfwd>

#include "platform/Clock.h"

class StatusCommand {
public:
    // Prints the line (UTF-8) to out and returns the exit status.
    static int Run(std::ostream& out, const platform::Clock& clock);
};
