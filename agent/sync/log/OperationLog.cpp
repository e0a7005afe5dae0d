#include "agent/sync/log/OperationLog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "agent/core/CDBException.h"
#include "outside/pelmodb/PelmoStatus.h"
#include "platform/Cp932.h"
#include "platform/RecordFields.h"

OperationLog::OperationLog(const platform::Clock& clock, WebLogTableFactory factory)
    : m_clock(clock), m_factory(std::move(factory)) {}

std::string OperationLog::Label(int category) {
    switch (category) {
    case Error:
        return platform::J("エラー");
    case CheckIn:
        return platform::J("来院受付");
    case WebBooking:
        return platform::J("Web予約");
    case Confirmed:
        return platform::J("予約確定");
    case Cancelled:
        return platform::J("予約取消");
    case Check:
        return platform::J("確認");
    case Overlap:
        return platform::J("予約重複");
    case SqlError:
        return platform::J("SQLエラー");
    default:
        return "Info";
    }
}

void OperationLog::WriteLog(int category, const std::string& text, const std::string& reference) {
    try {
        if (category == SqlError && CDBException::IsLostConnectionError(text) && m_onLost)
            m_onLost();
        if (category == Error || category == SqlError) {
            ++m_failures;
            m_lastFailure = Failure{category, text, m_clock.Now()};
        }
        if (std::find(m_recent.begin(), m_recent.end(), text) != m_recent.end())
            return;
        const std::string label = Label(category);
        if (m_recent.size() > kRecentLimit)
            m_recent.clear();
        m_recent.push_back(text);

        const LocalDateTime now = LocalNow(m_clock);
        char stamp[64];
        std::snprintf(stamp, sizeof stamp, "%04d.%02d.%02d %02d:%02d:%02d.%03d", now.year,
                      now.month, now.day, now.hour, now.minute, now.second, now.millisecond);
        AddLine(std::string(stamp) + " [" + label + "] " + text, false);

        if (label != "Info")
            Store(label, text, reference, now);
    } catch (...) {
        // The log is the last resort for reporting; it must not take its caller down.
    }
}

void OperationLog::ShowProgressLine(const std::string& prefix, const std::string& line) {
    if (!m_lines.empty() && m_lines.front().compare(0, prefix.size(), prefix) == 0)
        m_lines.pop_front();
    AddLine(line, true);
}

void OperationLog::AddLine(const std::string& line, bool progress) {
    m_lines.push_front(line);
    while (m_lines.size() > kMaxLines)
        m_lines.pop_back();
    for (const auto& listener : m_listeners)
        listener(line, progress);
}

void OperationLog::Store(const std::string& label, const std::string& text,
                         const std::string& reference, const LocalDateTime& now) {
    if (!m_factory)
        return;
    std::unique_ptr<IWebLogTable> table = m_factory(m_databaseFolder);
    if (!table || table->Open() != PelmoStatus::kOk)
        return; // the entry stays in the list only
    char date[16];
    std::snprintf(date, sizeof date, "%04d%02d%02d", now.year, now.month, now.day);
    const int sequence = table->GetLastWebLogNo(date);
    if (sequence < 0 || sequence > 99999) {
        table->Close(); // no number to give: the entry stays in the list only
        return;
    }
    tagWebLog rec;
    std::memset(&rec, 0, sizeof rec);
    // Formatted into roomy buffers and copied: the fields are exactly as wide as the values.
    char number[32];
    std::snprintf(number, sizeof number, "%s%05d", date, sequence);
    platform::SetRecText(rec.number, number);
    char time[32];
    std::snprintf(time, sizeof time, "%02d%02d%02d%03d", now.hour, now.minute, now.second,
                  now.millisecond);
    platform::SetRecText(rec.time, time);
    // Cut on whole characters so a reader never meets half a double-byte character.
    platform::SetRecText(rec.message, "[" + label + "]" + text);
    platform::SetRecText(rec.reference, reference);
    table->Insert(rec); // a failing insert is ignored: the line is shown anyway
    table->Close();
}
