// The kiosk window offscreen: row and font rules, colours of the states, key forwarding and the
// settings dialog. With ARRIVO_SCREENSHOT_DIR set, the rendered states are saved there as PNG.
#include "CArrivoDlg.h"
#include "CSetting.h"
#include "DisplayState.h"
#include "FakeClock.h"
#include "KioskController.h"
#include "KioskSettings.h"
#include "KioskTestDb.h"
#include "platform/qt/SuiteFont.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

constexpr const char* kCode = "0000012345";

// One application for the process, never destroyed: tearing it down among the static
// destructors at exit crashes the offscreen platform.
QApplication& App() {
    static int argc = 1;
    static char name[] = "kiosk_view_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    static const QString font = platform::UseSuiteFont(); // as the program paints
    return *app;
}

void Key(QWidget& w, int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent ev(QEvent::KeyPress, qtKey, mods);
    QApplication::sendEvent(&w, &ev);
}

int CountColour(const QImage& img, QColor c) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) == c)
                ++n;
    return n;
}

QImage Shot(CArrivoDlg& w, int width, int height, const char* name) {
    w.resize(width, height);
    QImage img = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (const char* dir = std::getenv("ARRIVO_SCREENSHOT_DIR"))
        img.save(QString("%1/%2_%3x%4.png").arg(dir, name).arg(width).arg(height));
    return img;
}

} // namespace

TEST(KioskView, RowsFontsAndColoursOfTheStates) {
    App();
    EXPECT_EQ(CArrivoDlg::FontPixelHeight(1920, 1080), 56);
    EXPECT_EQ(CArrivoDlg::FontPixelHeight(1280, 1024), 37);
    EXPECT_EQ(CArrivoDlg::FontPixelHeight(800, 480), 23); // 0.6 * 60 = 36 > 800 / 34

    KioskTestDb db;
    db.AddPatient(kCode, "山田 太郎");
    db.AddReservation("0000000001", kCode, "20240501", "1030", 0);
    FakeClock clock{{2024, 5, 1, 10, 0, 0}};
    clock.Set(2024, 5, 1, 10, 15, 30);
    KioskSettings settings;
    settings.Apply(db.Folder(), true);
    KioskController ctrl(clock, settings);
    CArrivoDlg w(ctrl, settings);

    const QColor waiting(80, 0, 0), accepted(0, 0, 100), error(200, 0, 0);
    for (auto [width, height] : {std::pair{1920, 1080}, std::pair{1280, 1024}}) {
        ctrl.OnDisplayTimer();
        QImage img = Shot(w, width, height, "state0");
        EXPECT_GT(CountColour(img, waiting), 500);
        EXPECT_EQ(CountColour(img, accepted), 0);
        EXPECT_GT(CountColour(img, Qt::black), 100); // the clock row

        clock.Set(2024, 5, 1, 10, 15, 30);
        // Main-row and numeric-pad keys through the window, as a reader types them.
        for (char d : std::string(kCode))
            Key(w, Qt::Key_0 + (d - '0'), d == '5' ? Qt::KeypadModifier : Qt::NoModifier);
        ASSERT_EQ(ctrl.GetDisplayState(), DisplayState::kAccepted);
        img = Shot(w, width, height, "state3");
        EXPECT_GT(CountColour(img, accepted), 2000);
        EXPECT_EQ(CountColour(img, error), 0);

        clock.Set(2024, 5, 2, 9, 0, 0);
        for (char d : std::string(kCode))
            Key(w, Qt::Key_0 + (d - '0'));
        ASSERT_EQ(ctrl.GetDisplayState(), DisplayState::kNoReservation);
        img = Shot(w, width, height, "state5");
        EXPECT_GT(CountColour(img, accepted), 200);
        EXPECT_GT(CountColour(img, error), 2000);
        // Every row stays inside the window's side margins.
        for (int y = 0; y < img.height(); ++y)
            for (int x : {0, 9, img.width() - 10, img.width() - 1})
                ASSERT_NE(img.pixelColor(x, y), error) << x << "," << y;
    }
}

TEST(KioskView, KeysTimersAndTheSettingsDialog) {
    App();
    KioskTestDb db;
    FakeClock clock{{2024, 5, 1, 10, 0, 0}};
    KioskSettings settings;
    settings.Apply(db.Folder(), true);
    KioskController ctrl(clock, settings);
    CArrivoDlg w(ctrl, settings);

    // Escape, Tab and letters do nothing; Escape cannot close the kiosk, nor can a close request.
    Key(w, Qt::Key_Escape);
    Key(w, Qt::Key_A);
    Key(w, Qt::Key_1);
    EXPECT_EQ(ctrl.GetBuffer(), "1");
    EXPECT_TRUE(ctrl.IsInputTimerRunning());
    w.show();
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());

    // F12: the settings dialog; OK applies the folder and switch for the run.
    TempDir other;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<CSetting*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->windowTitle(), QString::fromUtf8("設定"));
        EXPECT_TRUE(dlg->DbCheck());
        if (const char* dir = std::getenv("ARRIVO_SCREENSHOT_DIR"))
            dlg->grab().save(QString("%1/settings.png").arg(dir));
        dlg->findChild<QLineEdit*>()->setText(QString::fromStdString(other.Path() + "db"));
        dlg->findChild<QCheckBox*>()->setChecked(false);
        dlg->accept();
    });
    Key(w, Qt::Key_F12);
    EXPECT_EQ(settings.DatabaseFolder(), other.Path() + "db/");
    EXPECT_FALSE(settings.DbCheck());
    EXPECT_EQ(settings.CheckInFolder(), other.Path() + "db/CheckIn/");

    // "チェックイン画面を閉じる" ends the kiosk.
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<CSetting*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        for (auto* b : dlg->findChildren<QPushButton*>())
            if (b->text() == QString::fromUtf8("チェックイン画面を閉じる"))
                b->click();
    });
    Key(w, Qt::Key_F12);
    EXPECT_FALSE(w.isVisible());
}

TEST(KioskView, CoversItsScreenAndHidesTheIdlePointer) {
    App();
    KioskTestDb db;
    FakeClock clock{{2024, 5, 1, 10, 0, 0}};
    KioskSettings settings;
    settings.Apply(db.Folder(), true);
    KioskController ctrl(clock, settings);
    CArrivoDlg w(ctrl, settings);
    EXPECT_EQ(w.cursor().shape(), Qt::BlankCursor); // from the start

    w.ShowCoveringScreen();
    QApplication::processEvents();
    QScreen* screen = w.windowHandle()->screen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(w.geometry(), screen->geometry());
    EXPECT_TRUE(w.isFullScreen());

    // The screen gets another resolution: the window follows it.
    const QRect larger(0, 0, 1920, 1080);
    emit screen->geometryChanged(larger);
    EXPECT_EQ(w.geometry(), larger);
    emit screen->geometryChanged(QRect(0, 0, 1024, 768));
    EXPECT_EQ(w.geometry(), QRect(0, 0, 1024, 768));

    // A moving mouse shows the pointer; it goes again when idle.
    QMouseEvent move(QEvent::MouseMove, QPointF(50, 50), QPointF(50, 50), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &move);
    EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor);
    w.OnPointerIdle();
    EXPECT_EQ(w.cursor().shape(), Qt::BlankCursor);
    // Keys of a scan never bring it back.
    Key(w, Qt::Key_1);
    EXPECT_EQ(w.cursor().shape(), Qt::BlankCursor);
}
