#pragma once
// The "Paygate" window: paints the controller's state and forwards the timer ticks, the buttons
// and the status message edits to it. With a system tray it lives behind the tray icon; without
// one it is never hidden, so it always stays reachable. Test mode cannot be missed: a red banner
// at the top and the tray tooltip say that requests do not reach the terminal.
#include <QDialog>
#include <QString>
#include <functional>

class PaygateController;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSocketNotifier;
class QSystemTrayIcon;
class QTimer;
class QTreeWidget;

class CPaygateDlg : public QDialog {
    Q_OBJECT
public:
    // The controller must outlive the window.
    explicit CPaygateDlg(PaygateController& controller, QWidget* parent = nullptr);
    ~CPaygateDlg() override;

    // Window opening: controller opening, tray icon, timers, then minimise to the tray.
    void Start();
    // Repaints whatever the controller changed.
    void Refresh();
    // One poll timer tick and one event pump, as the timers do them.
    void PollOnce();
    bool HasTray() const { return m_tray != nullptr; }
    // The tray icon's tooltip for the current mode (also without a tray, for tests).
    QString TrayToolTip() const;
    // The test-mode banner (hidden when test mode is off).
    const QLabel* TestBanner() const { return m_testBanner; }

    // Replaceable for tests: asks before ending; true to end.
    std::function<bool()> m_confirmQuit;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void OnButton2();
    void ToTray();
    void ShowFromTray();
    void ShowVersion();
    void OpenLogFolder();
    void StartTermset();
    void Quit();
    // Follows the controller's event handle (it changes with every sale).
    void FollowTerminal();

    PaygateController& m_ctl;
    QLabel* m_testBanner = nullptr;
    QLineEdit* m_code = nullptr;
    QLineEdit* m_message = nullptr;
    QCheckBox* m_log = nullptr;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_button2 = nullptr;
    QSystemTrayIcon* m_tray = nullptr;
    QTimer* m_poll = nullptr;
    QSocketNotifier* m_arrivals = nullptr;
    QSocketNotifier* m_terminal = nullptr;
    int m_terminalHandle = -1;
    int m_statusSeen = -1;
    int m_rowsSeen = -1;
    bool m_quitting = false;
};
