#pragma once
// A patient's send history "送信履歴" without its window: the patient's notices with their read
// marks, the detail text of one, and deleting several at once. A delete that fails leaves its
// notice in the list and is reported.
#include <string>
#include <vector>

#include "agent/dialogs/ListColumnSpec.h"
#include "agent/dialogs/NoticeContext.h"
#include "agent/dialogs/NoticeResult.h"
#include "agent/dialogs/NotificationStore.h"
#include "agent/dialogs/tagNotificationData.h"

class PatientNoticeHistory {
public:
    enum Column { ColRead, ColSendDate, ColTitle, ColContent };
    static const std::vector<ListColumnSpec>& Columns();

    PatientNoticeHistory(NoticeContext& ctx, std::string patientKey);

    const std::string& PatientKey() const { return m_patientKey; }
    // "display number : name(kana)" of the patient in the local patient table; the key when the
    // patient is not there.
    std::string PatientText() const;

    // Reads the patient's notices and their read marks.
    NoticeResult Load();
    const std::vector<tagNotificationData>& Items() const { return m_items; }
    std::string CellText(int row, int column) const;

    // Send date, a blank line, title, a blank line, content (CR LF line breaks).
    static std::string Detail(const tagNotificationData& notice);

    // Deletes the notices of the rows, each on its own connection. Rows whose delete succeeded
    // leave the list; the results of the failed ones are returned (empty: all went).
    struct Failure {
        tagNotificationData notice;
        NoticeResult result;
    };
    std::vector<Failure> Delete(std::vector<int> rows);

private:
    NotificationStore m_store;
    std::string m_patientKey;
    std::vector<tagNotificationData> m_items;
};
