#include "agent/app/CApposyncDlg.h"
#include "agent/app/AgentController.h"
#include "agent/app/AgentCycle.h"
#include "agent/app/CApposyncApp.h"
#include "agent/sync/cycle/EngineState.h"
#include "agent/sync/log/IWebLogTable.h"
#include "agent/sync/log/OperationLog.h"
#include "platform/Cp932.h"
#include "platform/RegistryStore.h"
#include "platform/qt/SuiteFont.h"
#include "platform/qt/WindowPlacement.h"

#include "FakeClock.h"
#include "TempDir.h"
#include "TestClinic.h"
#include "WebDb.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <cstdlib>
#include <gtest/gtest.h>

QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "agent_app_ui_tests";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Never destroyed: tearing down the GUI at exit, after the platform plugin, crashes.
    static QApplication* app = new QApplication(argc, argv);
    static const QString font = platform::UseSuiteFont(); // as the program shows its window
    return *app;
}

// The programs' folder: CORVANE_BIN, else build/bin beside the tests' build/tests.
QString BinFolder() {
    if (const char* bin = std::getenv("CORVANE_BIN"))
        return QString::fromLocal8Bit(bin);
    return QCoreApplication::applicationDirPath() + "/../bin";
}

namespace {

// Saves a look at a window when APPOSYNC_SCREENSHOT_DIR names a folder; the tests assert on the
// widgets themselves.
void Screenshot(QWidget& window, const QString& name) {
    const char* dir = std::getenv("APPOSYNC_SCREENSHOT_DIR");
    if (!dir)
        return;
    QApplication::processEvents();
    QDir().mkpath(QString::fromLocal8Bit(dir));
    window.grab().save(QString::fromLocal8Bit(dir) + "/" + name + ".png");
}

// The window with its controller, the log and a cycle that counts; ticks are delivered by hand.
struct WindowRig {
    explicit WindowRig(bool tray) : window(controller, log, tray) {
        window.SetExitConfirmation([this] { return confirmAnswer; });
    }
    FakeClock clock;
    OperationLog log{clock, {}};
    EngineState state;
    int cycles = 0;
    CApposyncDlg* view = nullptr;
    AgentController controller{
        state,
        [this] {
            ++cycles;
            log.WriteLog(OperationLog::Info, "cycle " + std::to_string(cycles));
        },
        {[this](int ms) { view->ArmTimer(ms); }, [this] { view->KillTimer(); }}};
    CApposyncDlg window;
    bool confirmAnswer = false;

    void Tick() {
        ASSERT_TRUE(window.TimerActive());
        controller.OnTimer();
    }
};

std::unique_ptr<WindowRig> MakeRig(bool tray) {
    TestApp();
    auto rig = std::make_unique<WindowRig>(tray);
    rig->view = &rig->window;
    return rig;
}

} // namespace

TEST(CApposyncDlgTest, StartStopButtonsAndTheLogList) {
    auto rig = MakeRig(false);
    CApposyncDlg& w = rig->window;
    w.Initialise(false);
    EXPECT_EQ(w.windowTitle(), QString::fromUtf8("予約情報送信"));
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(rig->controller.Running());
    EXPECT_FALSE(w.Button(1001)->isEnabled());
    EXPECT_TRUE(w.Button(1002)->isEnabled());
    EXPECT_EQ(w.Button(1023)->text(), QString::fromUtf8("患者一括送信"));
    ASSERT_EQ(w.LogList()->count(), 1);
    EXPECT_TRUE(w.LogList()->item(0)->text().endsWith(QString::fromUtf8("[Info] 開始")));

    rig->Tick();
    EXPECT_EQ(rig->cycles, 1);
    EXPECT_TRUE(w.LogList()->item(0)->text().endsWith("cycle 1")); // newest first

    w.Button(1002)->click();
    EXPECT_FALSE(rig->controller.Running());
    EXPECT_FALSE(w.TimerActive());
    EXPECT_TRUE(w.Button(1001)->isEnabled());
    EXPECT_FALSE(w.Button(1002)->isEnabled());
    w.Button(1001)->click();
    EXPECT_TRUE(w.TimerActive());
    EXPECT_FALSE(w.Button(1001)->isEnabled());

    // A function that later work brings says so in the log, under the busy guard.
    w.Button(1009)->click();
    EXPECT_TRUE(w.LogList()->item(0)->text().contains(QString::fromUtf8("設定")));
    EXPECT_FALSE(rig->controller.Busy());
    EXPECT_TRUE(w.TimerActive());

    w.resize(640, 320);
    Screenshot(w, "apposync-window");
}

TEST(CApposyncDlgTest, ResizableLogFillsTheWindowAndThePlacementIsKept) {
    TestApp(); // the screen is asked before the first window is made
    TempDir dir;
    const std::string key = "SOFTWARE\\Talmor\\Apposync\\MainWindow";
    auto placement = [&] {
        return std::make_unique<platform::WindowPlacement>(
            platform::RegistryStore(dir.File("registry/")), key);
    };
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect moved(screen.x() + 30, screen.y() + 20, screen.width() - 60, screen.height() - 50);
    {
        auto rig = MakeRig(true);
        CApposyncDlg& w = rig->window;
        w.RememberPlacement(placement()); // nothing stored: the default size
        const QSize fits = screen.size() * 9 / 10;
        EXPECT_EQ(w.size(),
                  QSize(CApposyncDlg::kDefaultWidth, CApposyncDlg::kDefaultHeight).boundedTo(fits));
        w.Initialise(false);
        QApplication::processEvents();

        // The log list takes every pixel the window gains, both ways.
        const QSize list = w.LogList()->size();
        w.resize(w.width() + 200, w.height() + 100);
        QApplication::processEvents();
        EXPECT_EQ(w.LogList()->size(), list + QSize(200, 100));
        EXPECT_LT(w.minimumSizeHint().width(), 640);

        // A cycle's worth of ordinary lines needs no sideways scrolling at the default width.
        w.resize(CApposyncDlg::kDefaultWidth, CApposyncDlg::kDefaultHeight);
        for (int i = 0; i < 180; ++i)
            rig->log.WriteLog(OperationLog::Info,
                              platform::J("更新 [2026-12-09 14:00] 1161 佐藤 葵 ") +
                                  std::to_string(i));
        QApplication::processEvents();
        EXPECT_GT(w.LogList()->verticalScrollBar()->maximum(), 0);
        EXPECT_EQ(w.LogList()->horizontalScrollBar()->maximum(), 0);

        // Put away to the tray: where it was is stored.
        w.setGeometry(moved);
        w.Button(1)->click();
        EXPECT_FALSE(w.isVisible());
    }
    {
        auto rig = MakeRig(true);
        CApposyncDlg& w = rig->window;
        w.RememberPlacement(placement());
        EXPECT_EQ(w.geometry(), moved);
        w.Initialise(false);
        QApplication::processEvents();
        EXPECT_EQ(w.geometry(), moved);

        // Ending the agent stores it too.
        w.setGeometry(moved.adjusted(10, 10, -30, -30));
        rig->confirmAnswer = true;
        w.MenuAction(AgentController::kMenuExit)->trigger();
    }
    auto rig = MakeRig(false);
    rig->window.RememberPlacement(placement());
    EXPECT_EQ(rig->window.geometry(), moved.adjusted(10, 10, -30, -30));
}

TEST(CApposyncDlgTest, OkCloseAndEscPutTheWindowAwayAndTheCycleKeepsRunning) {
    // Without a tray the window is only minimised: a hidden one could not be reached again.
    {
        auto rig = MakeRig(false);
        CApposyncDlg& w = rig->window;
        w.Initialise(true); // an entry folder does not hide it either
        QApplication::processEvents();
        EXPECT_TRUE(w.isVisible());
        w.Button(1)->click();
        EXPECT_TRUE(w.isVisible());
        EXPECT_TRUE(w.isMinimized());
        w.close();
        EXPECT_TRUE(w.isVisible());
        rig->Tick();
        EXPECT_EQ(rig->cycles, 1);
        EXPECT_TRUE(w.TimerActive());
        EXPECT_FALSE(w.HasTray());
        // A tray that turns up later takes the window in.
        w.AttachTray();
        w.showNormal();
        w.Button(1)->click();
        EXPECT_FALSE(w.isVisible());
        EXPECT_TRUE(w.TimerActive());
    }
    // With a tray OK hides; a stopped agent is started by it.
    {
        auto rig = MakeRig(true);
        CApposyncDlg& w = rig->window;
        w.Initialise(false);
        w.Button(1002)->click();
        w.Button(1)->click();
        EXPECT_FALSE(w.isVisible());
        EXPECT_TRUE(rig->controller.Running());
        rig->Tick();
        rig->Tick();
        EXPECT_EQ(rig->cycles, 2);
        w.show();
        w.reject(); // Esc
        EXPECT_FALSE(w.isVisible());
        EXPECT_TRUE(w.TimerActive());
        w.MenuAction(AgentController::kMenuOpen)->trigger();
        EXPECT_TRUE(w.isVisible());
    }
    // With a tray and a configured entry folder the window goes away at start.
    {
        auto rig = MakeRig(true);
        rig->window.Initialise(true);
        QApplication::processEvents();
        EXPECT_FALSE(rig->window.isVisible());
        EXPECT_TRUE(rig->controller.Running());
    }
}

TEST(CApposyncDlgTest, BusyGuardGreysMenuItemsAndExitNeedsConfirmation) {
    auto rig = MakeRig(true);
    CApposyncDlg& w = rig->window;
    w.Initialise(false);
    QMenu* popup = w.PopupMenu();
    ASSERT_NE(popup, nullptr);
    QStringList top;
    for (QAction* a : popup->actions())
        top << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(top, (QStringList{
                       QString::fromUtf8("連携画面を開く"), QString::fromUtf8("設定を開く"),
                       QString::fromUtf8("予約重複等のチェック"), QString::fromUtf8("その他の操作"),
                       "-", QString::fromUtf8("Web連携機能の終了")}));

    int exits = 0;
    QObject::connect(&w, &CApposyncDlg::exitRequested, [&] { ++exits; });
    const int greyed[] = {32777, 32780, 32782, 32774};
    const int usable[] = {32775, 32784, 32786};
    rig->controller.RunGuarded([&] {
        for (int id : greyed)
            EXPECT_FALSE(w.MenuAction(id)->isEnabled()) << id;
        for (int id : usable)
            EXPECT_TRUE(w.MenuAction(id)->isEnabled()) << id;
        EXPECT_FALSE(w.TimerActive());
        popup->adjustSize();
        Screenshot(*popup, "apposync-menu-busy");
        // Exit is refused while a dialog shows, even when asked for directly.
        rig->confirmAnswer = true;
        w.OnCommand(32774);
        EXPECT_EQ(exits, 0);
    });
    for (int id : greyed)
        EXPECT_TRUE(w.MenuAction(id)->isEnabled()) << id;
    EXPECT_TRUE(w.TimerActive());

    rig->confirmAnswer = false;
    w.MenuAction(32774)->trigger();
    EXPECT_EQ(exits, 0);
    EXPECT_TRUE(rig->controller.Running());
    rig->confirmAnswer = true;
    w.MenuAction(32774)->trigger();
    EXPECT_EQ(exits, 1);
}

// Button 1003 and menu item 32780 open the notice list under the busy guard: no cycle while it
// shows, the timer armed again afterwards; a second opening from the menu while it shows is
// refused.
TEST(CApposyncDlgTest, NoticeButtonAndMenuItemOpenTheListUnderTheBusyGuard) {
    auto rig = MakeRig(true);
    CApposyncDlg& w = rig->window;
    w.Initialise(false);
    int opened = 0;
    w.SetNoticeOpener([&](QWidget* parent) {
        ++opened;
        EXPECT_EQ(parent, &w);
        EXPECT_TRUE(rig->controller.Busy());
        EXPECT_FALSE(w.TimerActive());
        EXPECT_FALSE(w.MenuAction(AgentController::kMenuNotice)->isEnabled());
        w.OnCommand(AgentController::kMenuNotice); // refused while busy
    });
    w.Button(AgentController::kNotice)->click();
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(rig->controller.Busy());
    EXPECT_TRUE(w.TimerActive());
    w.MenuAction(AgentController::kMenuNotice)->trigger();
    EXPECT_EQ(opened, 2);
    EXPECT_TRUE(w.TimerActive());
}

// Button 1009 and menu item 32777 open the settings dialog under the busy guard: no cycle and no
// other dialog meanwhile.
TEST(CApposyncDlgTest, SettingsButtonAndMenuItemOpenTheDialogUnderTheBusyGuard) {
    auto rig = MakeRig(true);
    CApposyncDlg& w = rig->window;
    w.Initialise(false);
    int opened = 0;
    w.SetSettingsDialog([&] {
        ++opened;
        EXPECT_TRUE(rig->controller.Busy());
        EXPECT_FALSE(w.TimerActive());
        EXPECT_FALSE(w.MenuAction(32777)->isEnabled());
        w.OnCommand(1009); // a second one while it shows: refused
    });
    w.Button(1009)->click();
    w.MenuAction(32777)->trigger();
    EXPECT_EQ(opened, 2);
    EXPECT_FALSE(rig->controller.Busy());
    EXPECT_TRUE(w.TimerActive());
}

// The window over the real cycle: a clinic's waiting reservations reach the web database in the
// first tick, and the list shows what the cycle did.
TEST(CApposyncDlgTest, RealCycleFromTheWindowPublishesAndLogs) {
    TestApp();
    WebDb web;
    TestClinic clinic;
    clinic.UseWebDatabase(web);
    clinic.AddDoctor("D1", "佐藤");
    clinic.AddUnit("1", "ユニット1");
    clinic.AddPatient("0000004711", "100", "山田 太郎");
    TestReservation r;
    r.patient = "0000004711";
    r.key = "0000009001";
    clinic.AddReservation(r);
    clinic.Entry("0000009001.txt", "INSERT\r\nRegNo=0000009001\r\n");

    CApposyncApp app;
    app.LoadSettings();
    FakeClock clock({2024, 1, 9, 9, 0, 0, 0});
    OperationLog log(clock, LocalWebLogTables());
    log.SetDatabaseFolder(app.DatabaseFolder());
    EngineState state;
    CApposyncDlg* view = nullptr;
    AgentController controller(
        state, [&] { AgentCycle(app.Settings(), app.Web(), log, clock, state).Run(); },
        {[&](int ms) { view->ArmTimer(ms); }, [&] { view->KillTimer(); }});
    CApposyncDlg w(controller, log, false);
    view = &w;
    w.Initialise(false);
    controller.OnTimer();
    EXPECT_EQ(web.Scalar("SELECT COUNT(*) FROM appointments"), "1");
    // The list shows each log line once, newest first: the sent reservation on top, the start
    // at the bottom.
    const QListWidget* list = w.LogList();
    ASSERT_EQ(list->count(), static_cast<int>(log.Lines().size()));
    const QString top = list->item(0)->text();
    EXPECT_TRUE(top.endsWith(QString::fromUtf8("[Info] 更新 [2024-01-10 10:00] 100 山田 太郎")))
        << top.toStdString();
    EXPECT_TRUE(list->item(list->count() - 1)->text().endsWith(QString::fromUtf8("[Info] 開始")));
    EXPECT_TRUE(w.TimerActive());

    // The web server goes away: the list says why, the agent keeps running.
    WebConnectionValues values = app.Web().Values();
    values.port = 1;
    app.Web().SetValues(values);
    clock.Advance(std::chrono::seconds(3));
    controller.OnTimer();
    EXPECT_TRUE(w.LogList()->item(0)->text().contains(QString::fromUtf8("[SQLエラー]")))
        << w.LogList()->item(0)->text().toStdString();
    EXPECT_TRUE(w.TimerActive());
    Screenshot(w, "apposync-window-cycle");
}
