#include "agent/app/AgentCycle.h"

#include "agent/core/AgentSettings.h"
#include "agent/core/CDBException.h"
#include "outside/pelmodb/COwnerDB.h"

// The engine's full cycle, once the engine library brings it.
#if __has_include("agent/sync/SyncCycle.h")
#include "agent/sync/SyncCycle.h"
#define APPOSYNC_ENGINE_CYCLE 1
#endif

AgentCycle::AgentCycle(WebSession& web, OperationLog& log, const IClock& clock, EngineState& state)
    : m_web(web), m_log(log), m_clock(clock), m_state(state) {}

AgentCycle::Outcome AgentCycle::Run() {
    Outcome outcome;
#ifdef APPOSYNC_ENGINE_CYCLE
    const CycleOutcome done = SyncCycle(m_web, m_log, m_clock, m_state).Run();
    outcome.localOpened = done.localOpened;
    outcome.webOpened = done.webOpened;
    // The engine ends the cycle quietly when the server cannot be reached; the window's list is
    // the only place staff see that, so say why.
    if (done.localOpened && !done.webOpened && !m_web.Database().LastConnectError().empty())
        m_log.WriteLog(OperationLog::SqlError, m_web.Database().LastConnectError());
    return outcome;
#else
    const std::string folder = AgentSettings::DatabaseFolder();
    COwnerDB owner(folder, 1);
    if (owner.Open() != 0) {
        m_log.WriteLog(OperationLog::Error, owner.GetLastDBErr());
        return outcome;
    }
    outcome.localOpened = true;
    m_state.showIdCut = AgentSettings::Get(settingkeys::kShowIdCut);

    try {
        outcome.webOpened = m_web.OpenWebConnection();
    } catch (const CDBException& e) {
        m_log.WriteLog(OperationLog::SqlError, e.m_strError);
        return outcome;
    }
    if (!outcome.webOpened) {
        // An unreachable server is a plain failure of the session; say why all the same.
        if (!m_web.Database().LastConnectError().empty())
            m_log.WriteLog(OperationLog::SqlError, m_web.Database().LastConnectError());
        return outcome;
    }
    m_state.firstCycle = false;
    m_web.Close();
    (void)m_clock;
    return outcome;
#endif
}
