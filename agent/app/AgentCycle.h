#pragma once
// One synchronisation cycle as the main window runs it: the engine's cycle, which logs a failed
// connect itself (category 8, host, port and the driver's text).
#include "agent/core/ClinicSettings.h"
#include "agent/core/WebSession.h"
#include "agent/sync/cycle/EngineState.h"
#include "agent/sync/health/HealthMonitor.h"
#include "agent/sync/log/OperationLog.h"
#include "platform/Clock.h"

class AgentCycle {
public:
    struct Outcome {
        bool localOpened = false;
        bool webOpened = false;
    };

    // All must outlive the cycle. health: told about the cycle (may be null).
    AgentCycle(const ClinicSettings& settings, WebSession& web, OperationLog& log,
               const platform::Clock& clock, EngineState& state, HealthMonitor* health = nullptr);

    // Never throws a database error: each is logged.
    Outcome Run();

private:
    const ClinicSettings m_settings; // a copy: two file names
    WebSession& m_web;
    OperationLog& m_log;
    const platform::Clock& m_clock;
    EngineState& m_state;
    HealthMonitor* m_health;
};
