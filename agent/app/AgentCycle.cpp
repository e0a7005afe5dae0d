#include "agent/app/AgentCycle.h"

#include "agent/sync/SyncCycle.h"

AgentCycle::AgentCycle(WebSession& web, OperationLog& log, const IClock& clock, EngineState& state,
                       HealthMonitor* health)
    : m_web(web), m_log(log), m_clock(clock), m_state(state), m_health(health) {}

AgentCycle::Outcome AgentCycle::Run() {
    if (m_health)
        m_health->CycleStarting();
    const CycleOutcome done = SyncCycle(m_web, m_log, m_clock, m_state).Run();
    // The engine ends the cycle quietly when the server cannot be reached; the window's list is
    // the only place staff see that, so say why.
    if (done.localOpened && !done.webOpened && !m_web.Database().LastConnectError().empty())
        m_log.WriteLog(OperationLog::SqlError, m_web.Database().LastConnectError());
    if (m_health)
        m_health->CycleEnded(done);
    return {done.localOpened, done.webOpened};
}
