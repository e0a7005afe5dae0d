#include "agent/dialogs/PatientNoticeHistory.h"

#include <algorithm>
#include <functional>

#include "agent/core/SqlLiterals.h"
#include "agent/dialogs/OneLineText.h"
#include "platform/Cp932.h"

using platform::J;

const std::vector<ListColumnSpec>& PatientNoticeHistory::Columns() {
    static const std::vector<ListColumnSpec> columns = {
        {"既読", 5},
        {"送信日", 10},
        {"タイトル", 20},
        {"お知らせ", 30},
    };
    return columns;
}

PatientNoticeHistory::PatientNoticeHistory(NoticeContext& ctx, std::string patientKey)
    : m_store(ctx), m_patientKey(std::move(patientKey)) {}

std::string PatientNoticeHistory::PatientText() const {
    tagNotificationData n;
    n.patientKey = m_patientKey;
    return m_store.FillPatient(n) ? n.PatientText() : m_patientKey;
}

NoticeResult PatientNoticeHistory::Load() {
    return m_store.LoadForPatient(m_patientKey, m_items);
}

std::string PatientNoticeHistory::CellText(int row, int column) const {
    if (row < 0 || row >= static_cast<int>(m_items.size()))
        return {};
    const tagNotificationData& n = m_items[row];
    switch (column) {
    case ColRead:
        return n.read ? J("○") : std::string();
    case ColSendDate:
        return DateText(n.notificationDate);
    case ColTitle:
        return OneLineText(n.title);
    case ColContent:
        return OneLineText(n.content);
    default:
        return {};
    }
}

std::string PatientNoticeHistory::Detail(const tagNotificationData& n) {
    return DateText(n.notificationDate) + "\r\n\r\n" + n.title + "\r\n\r\n" + n.content;
}

std::vector<PatientNoticeHistory::Failure> PatientNoticeHistory::Delete(std::vector<int> rows) {
    std::vector<Failure> failures;
    // From the bottom up, so the positions still to come stay valid.
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : rows) {
        if (row < 0 || row >= static_cast<int>(m_items.size()))
            continue;
        const NoticeResult r = m_store.DeleteById(m_items[row].id);
        if (r.ok)
            m_items.erase(m_items.begin() + row);
        else
            failures.push_back({m_items[row], r});
    }
    return failures;
}
