#include "CArrivoDlg.h"

#include "CSetting.h"
#include "KioskController.h"
#include "KioskSettings.h"
#include "outside/tools/qt/CToolsQt.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <algorithm>

namespace {

constexpr int kMargin = 10;
constexpr int kRowsPerScreen = 8;
// Centred both ways on one line.
constexpr unsigned kCentredRow =
    CToolsQt::DT_CENTER | CToolsQt::DT_VCENTER | CToolsQt::DT_SINGLELINE; // 37

QColor ToQColor(const Rgb& c) {
    return QColor(c.r, c.g, c.b);
}

} // namespace

CArrivoDlg::CArrivoDlg(KioskController& controller, KioskSettings& settings, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_controller(controller),
      m_settings(settings) {
    setFocusPolicy(Qt::StrongFocus);
    m_clockTimer.setInterval(KioskController::kClockTimerMs);
    connect(&m_clockTimer, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    m_clockTimer.start();
    m_inputTimer.setSingleShot(true);
    m_inputTimer.setInterval(KioskController::kInputTimerMs);
    connect(&m_inputTimer, &QTimer::timeout, this, [this] { Apply(m_controller.OnInputTimer()); });
    m_displayTimer.setSingleShot(true);
    connect(&m_displayTimer, &QTimer::timeout, this,
            [this] { Apply(m_controller.OnDisplayTimer()); });

    // Patients never use a mouse; a pointer left in the middle of the screen only distracts.
    setMouseTracking(true);
    setCursor(Qt::BlankCursor);
    m_pointerTimer.setSingleShot(true);
    m_pointerTimer.setInterval(kPointerIdleMs);
    connect(&m_pointerTimer, &QTimer::timeout, this, &CArrivoDlg::OnPointerIdle);
}

void CArrivoDlg::ShowCoveringScreen() {
    if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen())
        setGeometry(s->geometry());
    // With a window manager the full-screen state keeps panels and other windows out of the
    // way; without one the geometry above is what covers the screen.
    showFullScreen();
    // Without a window manager nobody else gives the window the keyboard, and the barcode
    // reader types.
    activateWindow();
    connect(windowHandle(), &QWindow::screenChanged, this, &CArrivoDlg::FollowScreen,
            Qt::UniqueConnection);
    FollowScreen(windowHandle()->screen());
}

void CArrivoDlg::FollowScreen(QScreen* s) {
    disconnect(m_screenGeometry);
    if (!s)
        return;
    m_screenGeometry = connect(s, &QScreen::geometryChanged, this, &CArrivoDlg::Cover);
    Cover(s->geometry());
}

void CArrivoDlg::Cover(const QRect& screenGeometry) {
    if (geometry() != screenGeometry)
        setGeometry(screenGeometry);
}

void CArrivoDlg::OnPointerIdle() {
    setCursor(Qt::BlankCursor);
}

void CArrivoDlg::ShowPointer() {
    unsetCursor();
    m_pointerTimer.start();
}

void CArrivoDlg::mouseMoveEvent(QMouseEvent* event) {
    ShowPointer();
    QWidget::mouseMoveEvent(event);
}

int CArrivoDlg::FontPixelHeight(int width, int height) {
    const int rowHeight = height / kRowsPerScreen;
    return std::min(static_cast<int>(0.6 * rowHeight), width / 34);
}

int CArrivoDlg::VirtualKey(int qtKey, Qt::KeyboardModifiers modifiers) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        const int digit = qtKey - Qt::Key_0;
        return (modifiers & Qt::KeypadModifier) ? KioskController::kKeyPad0 + digit
                                                : KioskController::kKeyDigit0 + digit;
    }
    if (qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter)
        return KioskController::kKeyEnter;
    if (qtKey == Qt::Key_F12)
        return KioskController::kKeyF12;
    return 0;
}

void CArrivoDlg::Apply(const KioskEffects& fx) {
    if (fx.inputTimer == KioskEffects::InputTimer::Restart)
        m_inputTimer.start();
    else if (fx.inputTimer == KioskEffects::InputTimer::Stop)
        m_inputTimer.stop();
    if (fx.stopDisplayTimer)
        m_displayTimer.stop();
    if (fx.startDisplayTimerMs > 0)
        m_displayTimer.start(fx.startDisplayTimerMs);
    if (fx.repaint)
        update();
    if (fx.openSettings)
        OpenSettings();
}

void CArrivoDlg::keyPressEvent(QKeyEvent* event) {
    Apply(m_controller.OnKeyDown(VirtualKey(event->key(), event->modifiers())));
}

void CArrivoDlg::closeEvent(QCloseEvent* event) {
    // Only the settings dialog may end the kiosk; a patient cannot close it from the keyboard.
    if (m_closing)
        event->accept();
    else
        event->ignore();
}

void CArrivoDlg::OpenSettings() {
    // The staff member at the settings dialog needs the pointer; it hides again once idle.
    ShowPointer();
    CSetting dlg(this, m_settings.DatabaseFolder(), m_settings.DbCheck());
    const int result = dlg.exec();
    m_pointerTimer.start();
    if (result == QDialog::Accepted) {
        m_settings.Apply(dlg.DatabaseFolder(), dlg.DbCheck());
    } else if (result == CSetting::kCloseKiosk) {
        m_closing = true;
        close();
    }
}

void CArrivoDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int w = width();
    const int h = height();
    const int g = h / kRowsPerScreen;
    QFont font = this->font();
    font.setPixelSize(std::max(1, FontPixelHeight(w, h)));

    // Row k spans x = 10 .. W - 10 and y = 10 + k * g .. 10 + (k + 1) * g.
    auto row = [&](int k) {
        return QRect(QPoint(kMargin, kMargin + k * g),
                     QPoint(w - kMargin - 1, kMargin + (k + 1) * g - 1));
    };
    const QPoint origin(0, 0);
    CToolsQt::Rect_Text(painter, 1.0, origin, row(0), font, m_controller.ClockText(), Qt::black,
                        CToolsQt::DT_LEFT | CToolsQt::DT_SINGLELINE);

    const auto rows = m_controller.Rows();
    for (std::size_t i = 0; i < rows.size(); ++i)
        CToolsQt::Rect_Text(painter, 1.0, origin, row(static_cast<int>(i) + 1), font, rows[i].text,
                            ToQColor(rows[i].colour), kCentredRow);
}
