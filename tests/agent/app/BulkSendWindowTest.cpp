// The bulk sends from the main window, offscreen, against a temporary clinic and the private web
// database: the progress bar, the window answering between records, no cycle meanwhile.
#include "agent/app/AgentController.h"
#include "agent/app/CApposyncDlg.h"
#include "agent/app/HeadlessStart.h"
#include "agent/core/WebSession.h"
#include "agent/sync/cycle/EngineState.h"
#include "agent/sync/log/OperationLog.h"
#include "outside/pelmodb/CPelmoDBSys.h"
#include "platform/Cp932.h"

#include "FakeClock.h"
#include "TestClinic.h"
#include "WebDb.h"
#include "WebDbValues.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "agent_bulk_window_tests";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Never destroyed: tearing down the GUI at exit, after the platform plugin, crashes.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Saves a look at a window when APPOSYNC_SCREENSHOT_DIR names a folder.
void Screenshot(QWidget& window, const QString& name) {
    const char* dir = std::getenv("APPOSYNC_SCREENSHOT_DIR");
    if (!dir)
        return;
    QApplication::processEvents();
    QDir().mkpath(QString::fromLocal8Bit(dir));
    window.grab().save(QString::fromLocal8Bit(dir) + "/" + name + ".png");
}

struct Rig {
    explicit Rig(WebDb& db) : web(WebDbValues(db), [](std::chrono::milliseconds) {}) {
        CPelmoDBSys(clinic.DatabaseFolder()).SetEntryFolder(clinic.EntryFolder());
        window.EnableBulkSends(clinic.Settings(), web, clinic.DatabaseFolder());
        window.SetBulkConfirmation([this](const std::string& q) {
            questions.push_back(q);
            return true;
        });
    }
    QApplication& app = App(); // before any widget
    TestClinic clinic;
    FakeClock clock;
    OperationLog log{clock, {}};
    EngineState state;
    WebSession web;
    int cycles = 0;
    CApposyncDlg* view = nullptr;
    AgentController controller{
        state,
        [this] { ++cycles; },
        {[this](int ms) { view->ArmTimer(ms); }, [this] { view->KillTimer(); }}};
    CApposyncDlg window{controller, log, false};
    std::vector<std::string> questions;
};

} // namespace

TEST(BulkSendWindow, ProgressBarMovesWindowAnswersNoCycleRuns) {
    WebDb db;
    Rig rig(db);
    rig.view = &rig.window;
    for (int i = 1; i <= 30; ++i) {
        char key[11];
        std::snprintf(key, sizeof key, "%010d", i);
        rig.clinic.AddPatient(key, std::to_string(i), "患者 " + std::to_string(i));
    }
    CApposyncDlg& w = rig.window;
    w.Initialise(false);
    ASSERT_TRUE(w.TimerActive());

    std::vector<int> values;
    bool timerSeen = false;
    bool greyed = true;
    int beforeFirstRecord = 0;
    rig.window.SetBulkPumpObserver([&] {
        QProgressBar* bar = w.BulkProgress();
        if (values.empty() && !bar->isVisible()) {
            ++beforeFirstRecord; // between the batch's own statements, before a record is counted
            return;
        }
        EXPECT_TRUE(bar->isVisible());
        values.push_back(bar->value());
        timerSeen = timerSeen || w.TimerActive();
        greyed = greyed && !w.MenuAction(32782)->isEnabled() && !w.MenuAction(32774)->isEnabled();
        if (values.size() == 5) {
            // Stop and Start between records: the agent runs again, but no cycle may start
            // before the send ends, nor from a tick that was already on its way.
            w.Button(1002)->click();
            w.Button(1001)->click();
            rig.controller.OnTimer();
            // The other bulk send and the pop-up menu still answer (the first does nothing now).
            w.MenuAction(32786)->trigger();
            w.MenuAction(32775)->trigger();
        }
        if (values.size() == 15) {
            w.resize(640, 320);
            Screenshot(w, "apposync-bulk-send");
        }
    });
    w.Button(1023)->click();

    EXPECT_EQ(rig.questions, std::vector<std::string>{platform::J("患者情報を一括で送信します。")});
    EXPECT_EQ(beforeFirstRecord, 2); // the look for existing rows and the INSERT of all 30
    ASSERT_EQ(values.size(), 30u);
    EXPECT_EQ(values.front(), 1);
    EXPECT_EQ(values.back(), 30);
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_EQ(w.BulkProgress()->maximum(), 30);
    EXPECT_FALSE(timerSeen);
    EXPECT_TRUE(greyed);
    EXPECT_EQ(rig.cycles, 0);
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM patient_infos").value_or(""), "30");

    // Afterwards: bar gone, the guard lifted, the timer armed again and cycles run as before.
    EXPECT_FALSE(w.BulkProgress()->isVisible());
    EXPECT_FALSE(rig.controller.Busy());
    EXPECT_TRUE(w.TimerActive());
    EXPECT_TRUE(w.MenuAction(32782)->isEnabled());
    EXPECT_TRUE(w.LogList()->item(0)->text().endsWith(
        QString::fromUtf8("[Info] 患者情報送信結果 追加[30]件 更新[0]件 失敗[0]件")));
    EXPECT_EQ(w.LogList()->item(1)->text(), QString::fromUtf8("患者情報送信中 [   30] / [   30]"));
    rig.controller.OnTimer();
    EXPECT_EQ(rig.cycles, 1);

    // The memo send from the menu: nothing to send, still a result line.
    w.MenuAction(32786)->trigger();
    EXPECT_TRUE(w.LogList()->item(0)->text().endsWith(
        QString::fromUtf8("[Info] 患者メモ送信結果 追加[0]件 更新[0]件 失敗[0]件")));
}

TEST(BulkSendWindow, HeadlessOptions) {
    EXPECT_EQ(HeadlessStart::Parse({"--send-all-patients"}).bulk, BulkKind::Patients);
    EXPECT_TRUE(HeadlessStart::Parse({"--send-all-memos"}).headless);
    EXPECT_EQ(HeadlessStart::Parse({"--headless", "--send-all-memos"}).bulk, BulkKind::Memos);
    EXPECT_FALSE(HeadlessStart::Parse({"--headless"}).bulk.has_value());
    EXPECT_FALSE(HeadlessStart::Parse({"--send-all"}).headless);
}
