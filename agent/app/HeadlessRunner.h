#pragma once
// The agent without a window: the same cycle, driven by a plain loop instead of the window
// timer, with the operation log printed to a stream (UTF-8, one line per log line).
#include <atomic>
#include <chrono>
#include <functional>
#include <ostream>

#include "agent/core/ClinicSettings.h"
#include "agent/core/WebSession.h"
#include "agent/sync/cycle/EngineState.h"
#include "agent/sync/health/HealthMonitor.h"
#include "agent/sync/log/OperationLog.h"
#include "platform/Clock.h"

class HeadlessRunner {
public:
    static constexpr std::chrono::milliseconds kPeriod{3000};

    // Waits between cycles; returns false when the wait was cut short by a stop request.
    using Waiter = std::function<bool(std::chrono::milliseconds)>;

    // Adds a listener to log that prints every line to out. Everything passed in must outlive
    // the runner. waiter: default sleeps in small slices and watches StopRequested().
    HeadlessRunner(const ClinicSettings& settings, WebSession& web, OperationLog& log,
                   const platform::Clock& clock, EngineState& state, std::ostream& out,
                   Waiter waiter = {});

    // once: exactly one cycle; 0 when the local and the web database could both be opened, 1
    // otherwise. Else cycles until a stop is requested, each kPeriod after the end of the
    // previous one, and returns 0.
    int Run(bool once);

    // Brackets every cycle with the monitor (may be null: none). It must outlive the runner.
    void SetHealthMonitor(HealthMonitor* health) { m_health = health; }

    // Asks a running loop to end after its current cycle (async-signal-safe).
    static void RequestStop() { s_stop.store(true); }
    static bool StopRequested() { return s_stop.load(); }

private:
    const ClinicSettings m_settings; // a copy: two file names
    WebSession& m_web;
    OperationLog& m_log;
    const platform::Clock& m_clock;
    EngineState& m_state;
    Waiter m_wait;
    HealthMonitor* m_health = nullptr;
    static std::atomic<bool> s_stop;
};
