// Where the review dialogs open: the resident window's menu item 32784 under its busy guard, and
// the real program started with "CHECK" and "FIRSTAPPO KEY=".
#include <gtest/gtest.h>

#include "ReviewClinic.h"
#include "ReviewWindows.h"
#include "TempDir.h"
#include "agent/app/AgentController.h"
#include "agent/app/CApposyncDlg.h"
#include "agent/app/StartMode.h"
#include "agent/dialogs/CCheckReservation.h"
#include "agent/sync/cycle/EngineState.h"
#include "agent/sync/log/OperationLog.h"
#include "platform/qt/ActivationServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTableWidget>
#include <QTimer>
#include <cstdlib>

namespace {

QString Program() {
    if (const char* bin = std::getenv("CORVANE_BIN"))
        return QString::fromLocal8Bit(bin) + "/apposync";
    return QCoreApplication::applicationDirPath() + "/../bin/apposync";
}

// Waits until a process of the mode answers activation (its window is up and marked).
bool Answers(int mode, const QProcess& process) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 20000 && process.state() == QProcess::Running)
        if (platform::ActivationServer::ActivateRunning(StartMode::PropertyName(mode), 200))
            return true;
    return false;
}

} // namespace

TEST(ReviewWiring, MenuItemOpensTheCheckModalUnderTheBusyGuard) {
    TestApp();
    ReviewClinic c;
    WebBooking b;
    b.id = "1";
    c.Book(b);

    OperationLog log{c.clock, {}};
    EngineState state;
    CApposyncDlg* view = nullptr;
    AgentController controller{
        state, [] {}, {[&](int ms) { view->ArmTimer(ms); }, [&] { view->KillTimer(); }}};
    CApposyncDlg window(controller, log, false);
    view = &window;
    window.Initialise(false);
    ASSERT_TRUE(window.TimerActive());

    bool seen = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* dlg = qobject_cast<CCheckReservation*>(modal);
        if (!dlg) {
            ADD_FAILURE() << "no review window";
            if (modal)
                modal->close();
            return;
        }
        seen = true;
        EXPECT_TRUE(controller.Busy());
        EXPECT_FALSE(window.TimerActive()); // no cycle while the dialog is open
        EXPECT_EQ(dlg->parentWidget(), &window);
        EXPECT_TRUE(dlg->windowFlags() & Qt::WindowStaysOnTopHint);
        // Read through a session of its own made from the clinic's settings.
        EXPECT_EQ(dlg->List(CCheckReservation::kWebList)->rowCount(), 1);
        // The guard refuses a second one meanwhile.
        window.OnCommand(AgentController::kMenuCheck);
        EXPECT_EQ(QApplication::activeModalWidget(), dlg);
        dlg->reject();
    });
    window.OnCommand(AgentController::kMenuCheck);
    EXPECT_TRUE(seen);
    EXPECT_FALSE(controller.Busy());
    EXPECT_TRUE(window.TimerActive());
}

TEST(ReviewWiring, CheckAndFirstAppoRunAsProcessesOfTheirOwn) {
    TestApp();
    ReviewClinic c; // CORVANE_HOME names the clinic, whose settings name the web database
    TempDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    auto start = [&](QProcess& p, const QStringList& args) {
        p.setProcessEnvironment(env);
        p.start(Program(), args);
        return p.waitForStarted(10000);
    };

    QProcess check;
    ASSERT_TRUE(start(check, {"CHECK"}));
    ASSERT_TRUE(Answers(StartMode::Check, check)) << check.readAllStandardError().toStdString();

    // A second CHECK raises the first and ends.
    QProcess second;
    ASSERT_TRUE(start(second, {"CHECK"}));
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(check.state(), QProcess::Running);

    // FIRSTAPPO without KEY= ends silently; with it the details come up beside the check.
    QProcess bare;
    ASSERT_TRUE(start(bare, {"FIRSTAPPO"}));
    ASSERT_TRUE(bare.waitForFinished(20000));
    EXPECT_EQ(bare.exitCode(), 0);
    EXPECT_TRUE(bare.readAllStandardError().isEmpty());

    QProcess details;
    ASSERT_TRUE(start(details, {"FIRSTAPPO", "KEY=0000000042"}));
    EXPECT_TRUE(Answers(StartMode::FirstAppo, details))
        << details.readAllStandardError().toStdString();
    EXPECT_EQ(check.state(), QProcess::Running);

    for (QProcess* p : {&details, &check}) {
        p->terminate();
        p->waitForFinished(10000);
    }
}
