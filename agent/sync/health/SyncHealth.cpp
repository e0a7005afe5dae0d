#include "agent/sync/health/SyncHealth.h"

#include <vector>

#include "platform/Cp932.h"

namespace {

using std::chrono::duration_cast;
using std::chrono::minutes;

// Error texts of drivers can be long; the health line is read at a glance.
constexpr std::size_t kErrorTextBytes = 120;

std::string Minutes(std::chrono::system_clock::duration d) {
    return std::to_string(duration_cast<minutes>(d).count());
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) {
        if (!text.empty())
            text += platform::J("／");
        text += part;
    }
    return text;
}

} // namespace

SyncHealth::SyncHealth(const platform::Clock& clock, HealthThresholds thresholds)
    : m_clock(clock), m_thresholds(thresholds), m_started(clock.Now()) {}

void SyncHealth::Record(const CycleReport& cycle) {
    const auto now = m_clock.Now();
    ++m_facts.cycles;
    const bool connected = cycle.webOpened && cycle.completed;
    if (connected)
        m_facts.lastGoodSync = now;
    if (cycle.webOpened)
        m_facts.unreachableSince.reset();
    else if (cycle.localOpened && !m_facts.unreachableSince)
        m_facts.unreachableSince = now;
    m_facts.lastCycleFailed = cycle.failures > 0 || !connected;
    if (cycle.lastFailureAt) {
        m_facts.lastErrorAt = cycle.lastFailureAt;
        m_facts.lastErrorText = cycle.lastFailureText;
    }
    m_facts.entriesWaiting = cycle.backlog.count;
    m_facts.oldestEntry = cycle.backlog.oldest;
    if (cycle.changeRequestsWaiting)
        m_facts.changeRequestsWaiting = cycle.changeRequestsWaiting;
}

HealthSnapshot SyncHealth::Evaluate() const {
    HealthSnapshot s = m_facts;
    s.at = m_clock.Now();
    const auto unsynced = s.at - s.lastGoodSync.value_or(m_started);
    const auto entryAge = s.OldestEntryAge();
    const bool unsyncedError = unsynced >= m_thresholds.errorUnsynced;
    const bool entryError = s.oldestEntry && entryAge > m_thresholds.errorEntryAge;
    const bool entryWarning = s.oldestEntry && entryAge > m_thresholds.warnEntryAge;

    // Most severe first; a cause that a graver one already says is left out.
    std::vector<std::string> causes;
    if (unsyncedError)
        causes.push_back(Minutes(unsynced) + platform::J("分間同期できていません"));
    if (entryError)
        causes.push_back(platform::J("エントリファイルが") + Minutes(entryAge) +
                         platform::J("分間送信されていません"));
    if (s.lastCycleFailed && !unsyncedError)
        causes.push_back(platform::J("前回の同期で失敗した処理があります"));
    if (entryWarning && !entryError)
        causes.push_back(platform::J("エントリファイルが") + Minutes(entryAge) +
                         platform::J("分間送信待ちです"));

    s.state = unsyncedError || entryError         ? HealthState::Error
              : s.lastCycleFailed || entryWarning ? HealthState::Warning
                                                  : HealthState::Normal;
    if (s.state == HealthState::Normal)
        return s;
    s.reason = Joined(causes);
    if (s.lastCycleFailed && !s.lastErrorText.empty())
        s.reason +=
            platform::J(" 最後のエラー: ") + platform::Cp932Cut(s.lastErrorText, kErrorTextBytes);
    return s;
}
