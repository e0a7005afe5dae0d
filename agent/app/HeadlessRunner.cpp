#include "agent/app/HeadlessRunner.h"

#include <thread>

#include "agent/sync/cycle/SyncCycle.h"
#include "platform/Cp932.h"

std::atomic<bool> HeadlessRunner::s_stop{false};

namespace {

bool SleepUnlessStopped(std::chrono::milliseconds total) {
    using namespace std::chrono;
    const auto until = steady_clock::now() + total;
    while (!HeadlessRunner::StopRequested()) {
        const auto left = until - steady_clock::now();
        if (left <= steady_clock::duration::zero())
            return true;
        std::this_thread::sleep_for(std::min<steady_clock::duration>(left, milliseconds(100)));
    }
    return false;
}

} // namespace

HeadlessRunner::HeadlessRunner(const ClinicSettings& settings, WebSession& web, OperationLog& log,
                               const platform::Clock& clock, EngineState& state, std::ostream& out,
                               Waiter waiter)
    : m_settings(settings), m_web(web), m_log(log), m_clock(clock), m_state(state),
      m_wait(std::move(waiter)) {
    if (!m_wait)
        m_wait = SleepUnlessStopped;
    m_log.AddListener([&out](const std::string& line, bool) {
        out << platform::Cp932ToUtf8(line) << '\n';
        out.flush();
    });
}

int HeadlessRunner::Run(bool once) {
    SyncCycle cycle(m_settings, m_web, m_log, m_clock, m_state);
    // As the window's Start: the first cycle is flagged for the first-visit booking step.
    m_state.firstCycle = true;
    m_log.WriteLog(OperationLog::Info, platform::J("開始"));
    const auto runCycle = [&] {
        if (m_health)
            m_health->CycleStarting();
        const CycleOutcome outcome = cycle.Run();
        if (m_health)
            m_health->CycleEnded(outcome);
        return outcome;
    };
    if (once)
        return runCycle().DatabasesOpened() ? 0 : 1;
    while (!StopRequested()) {
        runCycle();
        if (!m_wait(kPeriod))
            break;
    }
    return 0;
}
