#pragma once
// Watches the cycles of a running agent (window or headless) and keeps its health: the caller
// brackets each cycle with CycleStarting and CycleEnded; the monitor takes what the cycle did
// from its outcome, the log's failure count and the entry folder, judges the state, writes the
// status file and tells its listener. It never changes what a cycle does; its own work after a
// cycle is one listing of the entry folder and, at most every kStatusRewrite or when the state
// changed, one small file write.
//
// The log, web session, engine state and clock must outlive the monitor. One thread.
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "agent/core/WebSession.h"
#include "agent/sync/cycle/EngineState.h"
#include "agent/sync/cycle/SyncCycle.h"
#include "agent/sync/health/SyncHealth.h"
#include "agent/sync/log/OperationLog.h"
#include "platform/Clock.h"

class HealthMonitor {
public:
    // How often the status file is renewed while the state stays the same (well inside
    // HealthStatusFile::kFreshFor).
    static constexpr std::chrono::seconds kStatusRewrite{15};

    // statusFile: where the health is written after a cycle (HealthStatusFile) when the state
    // changed or the last write is kStatusRewrite old; empty: not written. pid: the process
    // named in it.
    HealthMonitor(OperationLog& log, WebSession& web, const EngineState& state,
                  const platform::Clock& clock, HealthThresholds thresholds,
                  std::string statusFile = {}, long pid = 0);

    // A change of state between two judgements.
    struct Change {
        HealthState from = HealthState::Normal;
        HealthState to = HealthState::Normal;
        bool Changed() const { return from != to; }
        // Turned to 異常 (told once, however long it lasts).
        bool EnteredError() const { return to == HealthState::Error && from != HealthState::Error; }
        // Left 異常 again.
        bool LeftError() const { return from == HealthState::Error && to != HealthState::Error; }
    };
    // What to tell people about a change, once: turning to 異常 (why) and leaving it again.
    // Empty title and text for any other change. CP932.
    struct Announcement {
        std::string title;
        std::string text;
        bool Empty() const { return text.empty(); }
    };
    static Announcement Announce(const HealthSnapshot& health, const Change& change);

    // Called after every judgement, changed or not.
    using Listener = std::function<void(const HealthSnapshot& health, const Change& change)>;
    void SetListener(Listener listener) { m_listener = std::move(listener); }

    // Call just before a cycle runs.
    void CycleStarting();
    // Call with the cycle's outcome right after it: records it, writes the status file when due,
    // tells the listener.
    void CycleEnded(const CycleOutcome& outcome);
    // Judges again at the clock's time without a cycle (a stopped agent turns to 異常 too);
    // tells the listener. Writes no status file: only cycles do.
    void Reevaluate();

    const HealthSnapshot& Current() const { return m_current; }
    const HealthThresholds& Thresholds() const { return m_health.Thresholds(); }
    const std::string& StatusFile() const { return m_statusFile; }

private:
    OperationLog& m_log;
    WebSession& m_web;
    const EngineState& m_state;
    const platform::Clock& m_clock;
    SyncHealth m_health;
    std::string m_statusFile;
    long m_pid;
    std::string m_entryFolder; // as the last scan settled it
    std::uint64_t m_failuresBefore = 0;
    std::optional<HealthSnapshot::TimePoint> m_lastWrite; // of the status file
    HealthState m_writtenState = HealthState::Normal;     // in the status file
    HealthSnapshot m_current;
    Listener m_listener;
};
