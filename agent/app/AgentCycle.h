#pragma once
// One synchronisation cycle as the agent program runs it, and what it could open.
//
// Until the full cycle of the engine library is linked in, this runs the cycle's frame only:
// the local database is opened (its error logged with category 1), the web connection is
// opened (a database error logged with category 8) and closed again.
#include "agent/core/IClock.h"
#include "agent/core/WebSession.h"
#include "agent/sync/EngineState.h"
#include "agent/sync/OperationLog.h"

class AgentCycle {
public:
    struct Outcome {
        bool localOpened = false;
        bool webOpened = false;
    };

    // All must outlive the cycle.
    AgentCycle(WebSession& web, OperationLog& log, const IClock& clock, EngineState& state);

    // Never throws a database error: each is logged.
    Outcome Run();

private:
    WebSession& m_web;
    OperationLog& m_log;
    const IClock& m_clock;
    EngineState& m_state;
};
