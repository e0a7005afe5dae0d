#pragma once
// The status file: the agent's health as its last cycles left it, for a server's monitoring
// (`apposync --status`) and for administrators. "ApposyncStatus.json" in the database folder,
// UTF-8 JSON, replaced atomically so that a reader never meets half a file. Times are given
// twice: as clinic time with its offset ("2024-01-05T09:30:00+09:00") and as seconds since
// 1970 (the "_unix" fields); a time that is not known is null.
//   state                     "normal", "warning" or "error"
//   label, line, reason       the texts of the tray: "正常", "正常 最終同期 09:30:00 未送信 0件",
//                             why the state is not normal ("" when it is)
//   written_at(_unix), pid    when and by which process
//   last_good_sync(_unix)     the end of the last cycle whose web steps all ran connected
//   last_error                {"at", "at_unix", "text"} of the last database failure, or null
//   web_unreachable_since(_unix), web_unreachable_seconds
//   entries_waiting, oldest_entry_at(_unix), oldest_entry_age_seconds
//   change_requests_waiting   web change requests left unanswered (null until first read)
//   last_cycle_failed, cycles
//   warn_minutes, error_minutes, entry_error_minutes   the limits in force
#include <chrono>
#include <string>

#include "agent/sync/health/HealthSnapshot.h"
#include "agent/sync/health/HealthThresholds.h"

class HealthStatusFile {
public:
    static constexpr const char* kFileName = "ApposyncStatus.json";
    // A status older than this means no agent is writing it.
    static constexpr std::chrono::seconds kFreshFor{60};
    // Exit status of `apposync --status` when nothing usable was written.
    static constexpr int kUnknown = 3;

    // databaseFolder ends in '/'; empty (no status file) when it is empty.
    static std::string PathIn(const std::string& databaseFolder);

    static std::string Json(const HealthSnapshot& health, const HealthThresholds& thresholds,
                            long pid);
    // Writes Json atomically (temporary file + rename); false when it could not be written.
    static bool Write(const std::string& path, const HealthSnapshot& health,
                      const HealthThresholds& thresholds, long pid);

    // What a monitoring check says about the file at `now`: the exit status (0 normal, 1 warning,
    // 2 error, kUnknown when the file is missing, unreadable, or was written more than kFreshFor
    // before or after now) and one UTF-8 line in the monitoring-plugin form
    // "APPOSYNC OK - <line> | <performance data>".
    struct Verdict {
        int exitCode = kUnknown;
        std::string line;
    };
    static Verdict Check(const std::string& path, std::chrono::system_clock::time_point now);
};
