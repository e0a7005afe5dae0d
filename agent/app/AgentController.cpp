#include "agent/app/AgentController.h"

#include "agent/sync/cycle/EngineState.h"

AgentController::AgentController(EngineState& state, std::function<void()> runCycle, Timer timer)
    : m_state(state), m_runCycle(std::move(runCycle)), m_timer(std::move(timer)) {}

void AgentController::Arm() {
    m_armed = true;
    if (m_timer.arm)
        m_timer.arm(kPeriodMs);
}

void AgentController::Kill() {
    m_armed = false;
    if (m_timer.kill)
        m_timer.kill();
}

void AgentController::Changed() {
    if (m_onChange)
        m_onChange();
}

bool AgentController::Start() {
    if (m_running)
        return false;
    // While busy the guard arms the timer when its work ends: a bulk send pumps events, and a
    // cycle must not start inside it.
    if (!m_busy)
        Arm();
    m_running = true;
    m_state.firstCycle = true;
    Changed();
    return true;
}

void AgentController::Stop() {
    if (!m_running)
        return;
    Kill();
    m_running = false;
    Changed();
}

void AgentController::OnTimer() {
    // A stale tick (killed timer, or a tick delivered while a cycle runs) is ignored.
    if (!m_armed || m_inCycle)
        return;
    Kill();
    m_inCycle = true;
    try {
        if (m_runCycle)
            m_runCycle();
    } catch (...) {
        // The cycle logs its own failures; whatever still leaves it must not end the agent.
    }
    m_inCycle = false;
    ++m_cycles;
    // Stop pressed during the cycle (a message box inside it pumps events) leaves it stopped.
    if (m_running && !m_busy)
        Arm();
}

bool AgentController::RunGuarded(const std::function<void()>& work) {
    if (m_busy)
        return false;
    m_busy = true;
    if (m_running)
        Kill();
    Changed();
    try {
        work();
    } catch (...) {
        m_busy = false;
        if (m_running)
            Arm();
        Changed();
        throw;
    }
    m_busy = false;
    if (m_running)
        Arm();
    Changed();
    return true;
}

bool AgentController::MenuItemEnabled(int id) const {
    switch (id) {
    case kMenuSettings:
    case kMenuNotice:
    case kMenuBulkPatients:
    case kMenuExit:
        return !m_busy;
    default:
        return true;
    }
}
