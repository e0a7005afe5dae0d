#pragma once
// The agent's health at one moment, as the tray, the main window and the status file show it.
// Texts are CP932.
#include <chrono>
#include <optional>
#include <string>

enum class HealthState {
    Normal = 0,  // 正常
    Warning = 1, // 注意: a step failed in the last cycle, or an entry file waits too long
    Error = 2,   // 異常: no connected cycle for too long, or an entry file seems stuck
};

struct HealthSnapshot {
    using TimePoint = std::chrono::system_clock::time_point;

    HealthState state = HealthState::Normal;
    // Why the state is not normal, one sentence per cause, most severe first; empty when normal.
    std::string reason;
    TimePoint at; // when the state was judged

    // The end of the last cycle whose web steps all ran connected.
    std::optional<TimePoint> lastGoodSync;
    // The last failure of the web or the local database that a cycle met.
    std::optional<TimePoint> lastErrorAt;
    std::string lastErrorText;
    // The first cycle after the last connected one that could not open the web connection.
    std::optional<TimePoint> unreachableSince;
    int entriesWaiting = 0;
    std::optional<TimePoint> oldestEntry; // modification time of the oldest waiting entry file
    // Patients' change requests the last pass read and left unanswered; empty until read.
    std::optional<int> changeRequestsWaiting;
    bool lastCycleFailed = false;
    int cycles = 0; // cycles seen so far

    // 0 when the web is reachable; never negative.
    std::chrono::seconds UnreachableFor() const;
    // Age of the oldest waiting entry file; 0 when none waits or its time lies ahead.
    std::chrono::seconds OldestEntryAge() const;

    // "正常", "注意", "異常".
    static std::string Label(HealthState state);
    // "正常 最終同期 10:42:13 未送信 0件": the label, the last good sync (clinic time; the date
    // too when it is not the day of `at`; "なし" before the first), the waiting entry files, and
    // " 変更依頼 n件" when change requests wait.
    std::string Line() const;
    // Line(), then the reason on a second line when the state is not normal.
    std::string Text() const;
};
