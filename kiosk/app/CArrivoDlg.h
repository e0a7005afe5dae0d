#pragma once
// The kiosk window: borderless, full screen, painted from the controller's state. Keys and
// timer ends go to the controller; F12 opens the settings dialog, the only way to close it.
// The mouse pointer is hidden unless it moved in the last few seconds.
#include <QMetaObject>
#include <QTimer>
#include <QWidget>

class KioskController;
class QScreen;
class KioskSettings;
struct KioskEffects;

class CArrivoDlg : public QWidget {
    Q_OBJECT
public:
    // Both must outlive the window. Settings changed in the settings dialog are applied to
    // `settings` for the rest of the run (never written to the settings file).
    CArrivoDlg(KioskController& controller, KioskSettings& settings, QWidget* parent = nullptr);

    // Character height in pixels of the rows for a client area of width x height.
    static int FontPixelHeight(int width, int height);
    // Virtual-key code of a Qt key press (0 for keys the kiosk has no use for).
    static int VirtualKey(int qtKey, Qt::KeyboardModifiers modifiers);

    // Lets the controller's effects reach the timers and the screen (also used by tests).
    void Apply(const KioskEffects& fx);

    // Shows the window over the whole screen it is on and keeps it there. Kiosk PCs often run
    // without a window manager, where a full-screen request alone changes nothing: the window
    // is sized to the screen's geometry itself, follows that geometry when it changes (a new
    // resolution) and moves with the window to another screen.
    void ShowCoveringScreen();

    // The pointer's idle timer ended: the pointer disappears until the mouse moves again.
    void OnPointerIdle();
    static constexpr int kPointerIdleMs = 3000;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void OpenSettings();
    void FollowScreen(QScreen* screen);
    void Cover(const QRect& screenGeometry);
    void ShowPointer();

    KioskController& m_controller;
    KioskSettings& m_settings;
    QTimer m_clockTimer;
    QTimer m_inputTimer;
    QTimer m_displayTimer;
    QTimer m_pointerTimer;
    QMetaObject::Connection m_screenGeometry; // to the geometry of the screen the window is on
    bool m_closing = false;
};
