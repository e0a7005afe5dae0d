#include "agent/app/AgentCycle.h"

#include "agent/sync/cycle/SyncCycle.h"

AgentCycle::AgentCycle(const ClinicSettings& settings, WebSession& web, OperationLog& log,
                       const platform::Clock& clock, EngineState& state, HealthMonitor* health)
    : m_settings(settings), m_web(web), m_log(log), m_clock(clock), m_state(state),
      m_health(health) {}

AgentCycle::Outcome AgentCycle::Run() {
    if (m_health)
        m_health->CycleStarting();
    // The engine says itself why the web server could not be reached.
    const CycleOutcome done = SyncCycle(m_settings, m_web, m_log, m_clock, m_state).Run();
    if (m_health)
        m_health->CycleEnded(done);
    return {done.localOpened, done.webOpened};
}
