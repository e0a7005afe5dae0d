#pragma once
// The resident agent's window "予約情報送信": the operation log list, the buttons, the tray icon
// with its pop-up menu. A thin view: it forwards clicks, menu items and timer ticks to the
// AgentController and shows its state. Hiding never stops the agent; only the menu item
// "Web連携機能の終了" (after a confirmation) ends it. Without a system tray the window is never
// hidden, only minimised, and the pop-up menu's items are in the window's context menu.
// The window can be resized, the log list taking the room; with RememberPlacement its size and
// position are kept from run to run.
// With a health monitor attached, a line above the log and the tray icon and tooltip show the
// agent's health; a turn to 異常 and the recovery are told once each by a tray message.
#include <QDialog>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "agent/sync/health/HealthMonitor.h"

class AgentController;
class BulkSend;
class ClinicSettings;
class OperationLog;
class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QSystemTrayIcon;
class WebSession;
namespace platform {
class WindowPlacement;
}

class CApposyncDlg : public QDialog {
    Q_OBJECT
public:
    // useTray: show a tray icon (the caller passes QSystemTrayIcon::isSystemTrayAvailable()).
    // The controller and the log must outlive the window. The window wires the controller's
    // timer to its own QTimer: build the controller with TimerFor(window) before calling
    // Initialise.
    CApposyncDlg(AgentController& controller, OperationLog& log, bool useTray,
                 QWidget* parent = nullptr);
    ~CApposyncDlg() override;

    // Starts the agent, shows the window and hides it again at once when hideAtStart (the
    // local database names an entry folder) and a tray is there.
    void Initialise(bool hideAtStart);

    // Puts the window where `placement` last saved it and saves it there again whenever it was
    // moved or resized (shortly after), put away or ended. Call before Initialise.
    void RememberPlacement(std::unique_ptr<platform::WindowPlacement> placement);
    // Saves the placement now (nothing without RememberPlacement).
    void SavePlacement();
    // The window's size before any placement is restored, cut to nine tenths of a smaller
    // screen's available area.
    static constexpr int kDefaultWidth = 960;
    static constexpr int kDefaultHeight = 480;

    // Arms and kills this window's cycle timer (for AgentController::Timer).
    void ArmTimer(int ms) { m_timer.start(ms); }
    void KillTimer() { m_timer.stop(); }
    bool TimerActive() const { return m_timer.isActive(); }

    // Confirms ending the agent; default: the message box "Corvane Web連携機能を終了します。"
    // with OK and Cancel. Tests replace it.
    void SetExitConfirmation(std::function<bool()> confirm) { m_confirmExit = std::move(confirm); }

    // Wires buttons 1023/1024 and menu items 32782/32786 to the bulk sends over `web` for the
    // local database folder (ending in '/'); until then they say they are not part of this
    // build. A bulk send runs under the controller's busy guard (no cycle, no dialog, no exit
    // meanwhile) and shows its progress in a bar below the log list; the window stays usable
    // between records. web must outlive the window.
    void EnableBulkSends(const ClinicSettings& settings, WebSession& web,
                         std::string databaseFolder);
    // The bulk sends' confirmation; default: a message box with the question, OK and Cancel.
    // Tests replace it.
    void SetBulkConfirmation(std::function<bool(const std::string& question)> confirm) {
        m_confirmBulk = std::move(confirm);
    }
    // Called between the records of a running bulk send, after the window handled its pending
    // events. May be empty.
    void SetBulkPumpObserver(std::function<void()> observer) {
        m_bulkPumpObserver = std::move(observer);
    }
    QProgressBar* BulkProgress() const { return m_progress; }

    // Opens the notice list for button 1003 and menu item 32780, under the controller's busy
    // guard; until it is set they say they are not part of this build.
    void SetNoticeOpener(std::function<void(QWidget* parent)> open) {
        m_openNotices = std::move(open);
    }
    // Button 1009 and menu item 32777 run `open` (the settings dialog) under the busy guard;
    // until set they say the dialog is not part of this build.
    void SetSettingsDialog(std::function<void()> open) { m_openSettings = std::move(open); }

    // Shows the monitor's health from now on, and judges it again every kHealthRecheckMs while no
    // cycle runs (a stopped agent turns to 異常 too). The monitor must outlive the window.
    void AttachHealth(HealthMonitor& health);
    static constexpr int kHealthRecheckMs = 30000;
    const QTimer& HealthRecheck() const { return m_healthTimer; }
    // The line above the log (the state icon and the text).
    QLabel* HealthLine() const { return m_healthText; }
    QString TrayToolTip() const;
    HealthState ShownHealth() const { return m_shownHealth; }
    // Called with each tray message (title, text) besides showing it; tests watch it. May be
    // empty.
    void SetTrayMessageObserver(std::function<void(const QString&, const QString&)> observer) {
        m_trayMessageObserver = std::move(observer);
    }

    // Runs one command of the buttons or the pop-up menu (AgentController::Command ids).
    void OnCommand(int id);

    QMenu* PopupMenu() const { return m_popup; }
    QAction* MenuAction(int id) const;
    QListWidget* LogList() const { return m_list; }
    QPushButton* Button(int id) const;
    bool HasTray() const { return m_tray != nullptr; }
    // Adds the tray icon (once); from then on OK and close hide the window.
    void AttachTray();

signals:
    // The agent ends (menu item confirmed); the program leaves its event loop.
    void exitRequested();

public slots:
    void accept() override;
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();
    void Refresh();
    void RefreshLog();
    void PutAway();
    void NotBuilt(const char* functionUtf8);
    void RunBulkSend(bool patients);
    void ShowAbout();
    void ShowFromTray();
    void ShowPopupAtCursor();
    void ShowHealth(const HealthSnapshot& health, const HealthMonitor::Change& change);

    AgentController& m_controller;
    OperationLog& m_log;
    QTimer m_timer;
    QListWidget* m_list = nullptr;
    std::unique_ptr<platform::WindowPlacement> m_placement;
    QTimer m_placementSave; // a drag or resize is saved once it has settled
    std::map<int, QPushButton*> m_buttons;
    QMenu* m_popup = nullptr;
    std::map<int, QAction*> m_actions;
    QSystemTrayIcon* m_tray = nullptr;
    std::function<bool()> m_confirmExit;
    bool m_exiting = false;
    QProgressBar* m_progress = nullptr;
    std::unique_ptr<BulkSend> m_bulk;
    std::string m_bulkFolder;
    std::function<bool(const std::string&)> m_confirmBulk;
    std::function<void()> m_bulkPumpObserver;
    HealthMonitor* m_health = nullptr;
    QTimer m_healthTimer;
    QLabel* m_healthIcon = nullptr;
    QLabel* m_healthText = nullptr;
    HealthState m_shownHealth = HealthState::Normal;
    QString m_trayToolTip;
    std::function<void(const QString&, const QString&)> m_trayMessageObserver;
    std::function<void(QWidget*)> m_openNotices;
    std::function<void()> m_openSettings;
};
