#pragma once
// The entry files waiting in the entry folder, as the health of the agent counts them: every
// file the cycle's scan would list (the same masks), whether a cycle already tried it or not.
#include <chrono>
#include <optional>
#include <string>

struct EntryBacklog {
    int count = 0;
    // Modification time of the oldest waiting file; empty when none waits.
    std::optional<std::chrono::system_clock::time_point> oldest;

    // Lists `folder` (ending in '/'). A missing or unreadable folder counts as empty; a file that
    // vanishes while it is listed is not counted.
    static EntryBacklog Of(const std::string& folder);
};
