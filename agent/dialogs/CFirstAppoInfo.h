#pragma once
// "Web予約の詳細": the web first-visit booking behind one local reservation, read-only. A thin
// view over FirstAppoDetails; a line at the top says when the web database could not be read,
// so empty fields never pass for "no booking". Topmost; "閉じる" (Esc) closes.
#include <QDialog>
#include <map>
#include <string>

#include "agent/dialogs/FirstAppoDetails.h"

namespace platform {
class Clock;
}
class QLabel;
class QPlainTextEdit;
class QPushButton;
class WebSession;

class CFirstAppoInfo : public QDialog {
    Q_OBJECT
public:
    enum Control {
        kKind = 1108,
        kWished = 1106,
        kName = 1007,
        kKana = 1008,
        kBirthday = 1009,
        kGender = 1010,
        kAddress = 1011,
        kTel = 1012,
        kEmail = 1013,
        kContent = 1014,
        kEntered = 1107,
        kClose = 2,
    };

    // key: the "KEY=" argument as given; the booking is read at once. web and clock must
    // outlive the window.
    CFirstAppoInfo(WebSession& web, const std::string& key, const platform::Clock& clock,
                   QWidget* parent = nullptr);

    // The text of a field (UTF-16, as shown).
    QString FieldText(int id) const;
    QPushButton* CloseButton() const { return m_close; }
    // The line that tells why nothing could be read (hidden when the read went through).
    QLabel* StatusLine() const { return m_status; }

private:
    void Show(const FirstAppoDetails::Load& load);

    std::map<int, QWidget*> m_fields;
    QPlainTextEdit* m_content = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_close = nullptr;
};
