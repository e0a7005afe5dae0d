#pragma once
// "予約の重複エラー": the web first-visit bookings the agent could not place and the app change
// requests of reservations whose earlier change was refused, with deletes from the web database.
// A thin view over WebRequestReview: it shows the rows, and in place of an empty list it says
// in one line (inside the list's group) when the web or local database could not be read.
// Topmost; "閉じる" (Esc) closes.
#include <QDialog>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "agent/dialogs/WebRequestReview.h"

namespace platform {
class Clock;
}
class QLabel;
class QPushButton;
class QTableWidget;
class WebSession;

class CCheckReservation : public QDialog {
    Q_OBJECT
public:
    enum Control {
        kWebList = 1000,
        kAppList = 1002,
        kReload = 1102,
        kDeleteWeb = 1103,
        kDeleteApp = 1104,
        kClose = 2,
    };

    // Loads both lists at once. web, clock and the folder's database must outlive the window.
    CCheckReservation(WebSession& web, const std::string& databaseFolder,
                      const platform::Clock& clock, QWidget* parent = nullptr);
    ~CCheckReservation() override;

    // The delete confirmation (CP932 question); default: a message box with OK and Cancel, and
    // anything but OK cancels. Tests replace it.
    void SetConfirmation(std::function<bool(const std::string& question)> confirm) {
        m_confirm = std::move(confirm);
    }
    // Tells of deletes that failed (CP932 line); default: a warning message box. Tests replace it.
    void SetFailureReport(std::function<void(const std::string& line)> report) {
        m_report = std::move(report);
    }

    // Reloads both lists ("更新").
    void Reload();

    QTableWidget* List(int id) const;
    QPushButton* Button(int id) const;
    // The line inside a list's group that tells why the list could not be read (hidden when
    // the list was read).
    QLabel* StatusLine(int listId) const;
    // How many times a list was loaded since the window was made.
    int Loads(int listId) const;

private:
    void LoadWebBookings();
    void LoadAppRequests();
    void Delete(int listId);
    void ShowOutcome(int listId, const ReviewOutcome& outcome);

    WebRequestReview m_review;
    std::map<int, QTableWidget*> m_lists;
    std::map<int, QLabel*> m_status;
    std::map<int, QPushButton*> m_buttons;
    std::map<int, int> m_loads;
    std::function<bool(const std::string&)> m_confirm;
    std::function<void(const std::string&)> m_report;
};
