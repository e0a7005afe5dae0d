#include "agent/sync/health/HealthMonitor.h"

#include "agent/sync/health/HealthStatusFile.h"
#include "platform/Cp932.h"

HealthMonitor::HealthMonitor(OperationLog& log, WebSession& web, const EngineState& state,
                             const platform::Clock& clock, HealthThresholds thresholds,
                             std::string statusFile, long pid)
    : m_log(log), m_web(web), m_state(state), m_clock(clock), m_health(clock, thresholds),
      m_statusFile(std::move(statusFile)), m_pid(pid), m_current(m_health.Evaluate()) {}

void HealthMonitor::CycleStarting() {
    m_failuresBefore = m_log.FailureCount();
}

void HealthMonitor::CycleEnded(const CycleOutcome& outcome) {
    CycleReport report;
    report.localOpened = outcome.localOpened;
    report.webOpened = outcome.webOpened;
    report.completed = outcome.completed;
    report.failures = static_cast<int>(m_log.FailureCount() - m_failuresBefore);
    if (report.failures > 0 && m_log.LastFailure()) {
        report.lastFailureAt = m_log.LastFailure()->when;
        report.lastFailureText = m_log.LastFailure()->text;
    } else if (outcome.localOpened && !outcome.webOpened) {
        // A connect that failed without a log line still has the driver's word for why.
        report.lastFailureAt = m_clock.Now();
        report.lastFailureText = m_web.Database().LastConnectError();
        if (report.lastFailureText.empty())
            report.lastFailureText = platform::J("Webデータベースに接続できません");
    }
    if (!outcome.entryFolder.empty())
        m_entryFolder = outcome.entryFolder;
    report.backlog = EntryBacklog::Of(m_entryFolder);
    report.changeRequestsWaiting = m_state.changeRequestsWaiting;
    m_health.Record(report);

    const HealthState before = m_current.state;
    m_current = m_health.Evaluate();
    // Replacing a file costs a few milliseconds of disk wait, more than the idle cycle can
    // spare every 3 seconds; a status renewed every kStatusRewrite stays well inside what
    // monitoring calls fresh, and a change of state is written at once.
    // The state is compared with the one written, not the one judged before: a recheck between
    // cycles may have changed it without writing.
    const bool due = !m_lastWrite || m_current.state != m_writtenState ||
                     m_current.at - *m_lastWrite >= kStatusRewrite || m_current.at < *m_lastWrite;
    if (!m_statusFile.empty() && due) {
        if (HealthStatusFile::Write(m_statusFile, m_current, m_health.Thresholds(), m_pid)) {
            m_lastWrite = m_current.at;
            m_writtenState = m_current.state;
        } else
            m_log.WriteLog(OperationLog::Error,
                           platform::J("状態ファイルを書き込めません: ") + m_statusFile);
    }
    if (m_listener)
        m_listener(m_current, {before, m_current.state});
}

void HealthMonitor::Reevaluate() {
    const HealthState before = m_current.state;
    m_current = m_health.Evaluate();
    if (m_listener)
        m_listener(m_current, {before, m_current.state});
}

HealthMonitor::Announcement HealthMonitor::Announce(const HealthSnapshot& health,
                                                    const Change& change) {
    if (change.EnteredError())
        return {platform::J("Web連携の異常"), health.reason};
    if (change.LeftError())
        return {platform::J("Web連携の復旧"), platform::J("復旧しました: ") + health.Line()};
    return {};
}
