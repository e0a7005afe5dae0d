// The health on the main window and in the tray, offscreen: the line above the log, the tray's
// icon and tooltip in the three states, and the tray messages on turning to 異常 and back. With
// APPOSYNC_SCREENSHOT_DIR set, the window and the tooltip of each state are saved there as PNG.
#include "agent/app/AgentController.h"
#include "agent/app/CApposyncDlg.h"
#include "agent/app/HealthIcons.h"
#include "agent/sync/cycle/EngineState.h"
#include "agent/sync/health/HealthMonitor.h"
#include "agent/sync/log/OperationLog.h"
#include "platform/Cp932.h"

#include "FakeClock.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolTip>
#include <cstdlib>
#include <gtest/gtest.h>

QApplication& TestApp();

namespace {

using std::chrono::minutes;
using std::chrono::seconds;

struct HealthWindowRig {
    FakeClock clock{{2024, 1, 5, 10, 42, 13, 0}};
    OperationLog log{clock, {}};
    EngineState state;
    WebSession web;
    HealthMonitor monitor{log, web, state, clock, HealthThresholds{}};
    CApposyncDlg* view = nullptr;
    AgentController controller{
        state, [] {}, {[this](int ms) { view->ArmTimer(ms); }, [this] { view->KillTimer(); }}};
    CApposyncDlg window{controller, log, true};
    std::vector<std::pair<QString, QString>> messages;

    HealthWindowRig() {
        view = &window;
        window.SetTrayMessageObserver([this](const QString& title, const QString& text) {
            messages.push_back({title, text});
        });
    }
    // A cycle as the engine reports it; failure: a database error it logged.
    void Cycle(bool webOpened, const std::string& failure = {}) {
        monitor.CycleStarting();
        if (!failure.empty())
            log.WriteLog(OperationLog::SqlError, platform::J(failure));
        CycleOutcome outcome;
        outcome.localOpened = true;
        outcome.webOpened = webOpened;
        outcome.completed = webOpened;
        monitor.CycleEnded(outcome);
    }
    QSystemTrayIcon* Tray() const { return window.findChild<QSystemTrayIcon*>(); }
    QString Line() const { return window.HealthLine()->text(); }

    // Saves the window and the tray's tooltip when screenshots are asked for.
    void Shoot(const char* name) {
        const char* dir = std::getenv("APPOSYNC_SCREENSHOT_DIR");
        if (!dir)
            return;
        window.show();
        QApplication::processEvents();
        window.grab().save(QString("%1/health-%2.png").arg(dir, name));
        QToolTip::showText(window.mapToGlobal(QPoint(40, 40)), window.TrayToolTip(), &window);
        QApplication::processEvents();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->inherits("QTipLabel") && w->isVisible())
                w->grab().save(QString("%1/health-%2-tooltip.png").arg(dir, name));
        QToolTip::hideText();
    }
};

QImage Mask(HealthState state) {
    return HealthIcons::For(state).pixmap(16, 16).toImage().createAlphaMask();
}

} // namespace

TEST(HealthWindow, LineIconTooltipAndMessagesFollowTheState) {
    TestApp();
    HealthWindowRig rig;
    EXPECT_TRUE(rig.window.HealthLine()->isHidden());
    rig.window.AttachHealth(rig.monitor);
    EXPECT_FALSE(rig.window.HealthLine()->isHidden());
    ASSERT_NE(rig.Tray(), nullptr);

    rig.Cycle(true);
    EXPECT_EQ(rig.Line(), "正常 最終同期 10:42:13 未送信 0件");
    EXPECT_EQ(rig.window.TrayToolTip(), "Corvane Web連携PG\n正常 最終同期 10:42:13 未送信 0件");
    EXPECT_EQ(rig.window.ShownHealth(), HealthState::Normal);
    const qint64 normalIcon = rig.Tray()->icon().cacheKey();
    rig.Shoot("normal");

    rig.clock.Advance(seconds(3));
    rig.Cycle(true, "Table 'nvweb.appointments' doesn't exist");
    EXPECT_EQ(rig.Line(), "注意 最終同期 10:42:16 未送信 0件\n前回の同期で失敗した処理があります "
                          "最後のエラー: Table 'nvweb.appointments' doesn't exist");
    EXPECT_EQ(rig.window.TrayToolTip(), "Corvane Web連携PG\n" + rig.Line());
    EXPECT_EQ(rig.window.ShownHealth(), HealthState::Warning);
    const qint64 warningIcon = rig.Tray()->icon().cacheKey();
    EXPECT_NE(warningIcon, normalIcon);
    EXPECT_TRUE(rig.messages.empty());
    // A long text wraps; the window keeps its width.
    EXPECT_TRUE(rig.window.HealthLine()->wordWrap());
    rig.Shoot("warning");

    // Ten minutes without a connected cycle, seen by the recheck alone: told once.
    rig.clock.Advance(minutes(5));
    rig.Cycle(false);
    rig.clock.Advance(minutes(5) - seconds(1));
    QTimer& recheck = const_cast<QTimer&>(rig.window.HealthRecheck());
    EXPECT_TRUE(recheck.isActive());
    EXPECT_EQ(recheck.interval(), CApposyncDlg::kHealthRecheckMs);
    QMetaObject::invokeMethod(&recheck, "timeout");
    EXPECT_EQ(rig.window.ShownHealth(), HealthState::Warning);
    rig.clock.Advance(seconds(1));
    QMetaObject::invokeMethod(&recheck, "timeout");
    EXPECT_EQ(rig.window.ShownHealth(), HealthState::Error);
    EXPECT_EQ(rig.Line().section('\n', 0, 0), "異常 最終同期 10:42:16 未送信 0件");
    EXPECT_EQ(rig.Line().section('\n', 1), "10分間同期できていません 最後のエラー: "
                                           "Webデータベースに接続できません");
    EXPECT_NE(rig.Tray()->icon().cacheKey(), warningIcon);
    EXPECT_NE(rig.Tray()->icon().cacheKey(), normalIcon);
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_EQ(rig.messages[0].first, "Web連携の異常");
    EXPECT_EQ(rig.messages[0].second, rig.Line().section('\n', 1));
    rig.clock.Advance(seconds(30));
    rig.monitor.Reevaluate();
    rig.Cycle(false);
    EXPECT_EQ(rig.messages.size(), 1u);
    rig.Shoot("error");

    rig.clock.Advance(seconds(3));
    rig.Cycle(true);
    EXPECT_EQ(rig.window.ShownHealth(), HealthState::Normal);
    EXPECT_EQ(rig.Line(), "正常 最終同期 10:52:49 未送信 0件");
    ASSERT_EQ(rig.messages.size(), 2u);
    EXPECT_EQ(rig.messages[1].first, "Web連携の復旧");
    EXPECT_EQ(rig.messages[1].second, "復旧しました: 正常 最終同期 10:52:49 未送信 0件");
}

TEST(HealthWindow, TheThreeIconsDifferInShapeNotOnlyInColour) {
    TestApp();
    const QImage normal = Mask(HealthState::Normal);
    const QImage warning = Mask(HealthState::Warning);
    const QImage error = Mask(HealthState::Error);
    ASSERT_FALSE(normal.isNull());
    EXPECT_NE(normal, warning);
    EXPECT_NE(normal, error);
    EXPECT_NE(warning, error);
}
