// The Paygate and Termset windows offscreen; screenshots on request (CASHLESS_SCREENSHOT_DIR).
#include "PaygateBench.h"
#include "cashless/paygate/CPaygateDlg.h"
#include "cashless/termset/CTermsetDlg.h"
#include "cashless/termset/TermsetModel.h"
#include "platform/Cp932.h"
#include "platform/qt/QtText.h"
#include "platform/qt/SuiteFont.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

using platform::J;
using platform::ToQString;

namespace {
QApplication& App() {
    static int argc = 1;
    static char name[] = "cashless_ui_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: tearing down the GUI at exit, after the platform plugin, crashes (the
    // keyboard device made by the typed keys is freed too late).
    static QApplication* app = new QApplication(argc, argv);
    static const QString font = platform::UseSuiteFont(); // as the programs show their windows
    return *app;
}

QString T(const char* utf8) {
    return ToQString(J(utf8));
}

// Types into a widget as the keyboard does (edits made so emit textEdited).
void Type(QWidget& w, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&w, &press);
    }
}

void Backspaces(QWidget& w, int n) {
    for (int i = 0; i < n; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
        QApplication::sendEvent(&w, &press);
    }
}

// Lays the window out as shown; saves a look at it when CASHLESS_SCREENSHOT_DIR names a folder.
void Shot(QWidget& w, const char* file, QSize least = {}) {
    w.resize(w.sizeHint().expandedTo(least));
    QApplication::processEvents();
    if (const char* dir = std::getenv("CASHLESS_SCREENSHOT_DIR"))
        w.grab().save(QString::fromLocal8Bit(dir) + "/" + file);
}
} // namespace

TEST(CashlessDialogs, PaygateListFillsWithThreeRequests) {
    App();
    PaygateBench b;
    b.StartTerminal("approve,decline:1020,approve,silent");
    CPaygateDlg dlg(b.ctl);
    dlg.show();
    dlg.Start();
    EXPECT_FALSE(dlg.HasTray()); // offscreen has no tray: the window must stay reachable
    EXPECT_TRUE(dlg.isVisible());

    b.Drop("a.dat", J("3\n1000\n100\n0\n0\n0\nP-001\n山田 太郎\n"));
    dlg.PollOnce();
    b.Settle();
    b.Drop("b.dat", J("1\n25000\n0\n0\n0\n0\nP-002\n佐藤 花子\n"));
    dlg.PollOnce();
    b.Settle();
    b.Drop("c.dat", J("700\n1500\n0\n0\n0\n0\nP-003\n鈴木 一郎\n"));
    dlg.PollOnce();
    b.Settle();
    dlg.Refresh();

    auto* list = dlg.findChild<QTreeWidget*>();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->headerItem()->text(0), T("日時"));
    EXPECT_EQ(list->headerItem()->text(5), T("結果"));
    EXPECT_EQ(list->topLevelItem(0)->text(2), T("鈴木 一郎"));
    EXPECT_EQ(list->topLevelItem(0)->text(4), "WAON");
    EXPECT_EQ(list->topLevelItem(1)->text(5), "NG(3020)");
    EXPECT_EQ(list->topLevelItem(1)->toolTip(5), T("端末が BUSY 状態です。"));
    EXPECT_EQ(list->topLevelItem(0)->toolTip(5), "");
    EXPECT_EQ(list->topLevelItem(2)->text(3), "1,100");
    EXPECT_EQ(list->topLevelItem(2)->text(4), T("銀聯"));
    auto edits = dlg.findChildren<QLineEdit*>();
    ASSERT_EQ(edits.size(), 2);
    EXPECT_EQ(edits[0]->text(), "0");
    EXPECT_EQ(edits[1]->text(), "OK");
    Shot(dlg, "paygate.png", {640, 300});

    // During a sale button 2 reads "決済処理停止" and stops it.
    b.Drop("d.dat", "1\n10\n");
    dlg.PollOnce();
    QPushButton* stop = nullptr;
    for (auto* p : dlg.findChildren<QPushButton*>())
        if (p->text() == T("決済処理停止"))
            stop = p;
    ASSERT_NE(stop, nullptr);
    // The fields show the sale under way, not the previous sale's "0 / OK".
    EXPECT_EQ(edits[0]->text(), "");
    EXPECT_EQ(edits[1]->text(), T("処理中"));
    Shot(dlg, "paygate-sale.png", {640, 300});
    stop->click();
    EXPECT_EQ(list->topLevelItem(0)->text(5), "NG(3040)");
    EXPECT_EQ(b.Read("d.err"), "1\n10\n$RESULT=3040");

    // Idle, button 2 reads "閉じる" and only puts the window away; it stays reachable.
    QPushButton* close = nullptr;
    for (auto* p : dlg.findChildren<QPushButton*>())
        if (p->text() == T("閉じる"))
            close = p;
    ASSERT_NE(close, nullptr);
    close->click();
    EXPECT_TRUE(dlg.isMinimized() || dlg.isVisible());
}

TEST(CashlessDialogs, PaygateAnswersRequestsAsTheyLandWithItsPollTimerStopped) {
    App();
    PaygateBench b;
    b.StartTerminal("approve,decline:1020,approve");
    CPaygateDlg dlg(b.ctl);
    dlg.show();
    dlg.Start();
    for (auto* timer : dlg.findChildren<QTimer*>())
        timer->stop(); // only the watch and the terminal's news may move the requests now

    const auto waitFor = [&](const std::string& name) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!b.Exists(name) && std::chrono::steady_clock::now() < until) {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return b.Exists(name);
    };
    const std::string a = J("1\r\n1000\r\n0\r\n0\r\n0\r\n0\r\nP-1\r\n山田 太郎\r\n");
    b.Drop("a.dat", a);
    ASSERT_TRUE(waitFor("a.fin"));
    EXPECT_EQ(b.Read("a.fin"), a + "$RESULT=0");
    b.Drop("b.dat", "2\n500");
    ASSERT_TRUE(waitFor("b.err"));
    EXPECT_EQ(b.Read("b.err"), "2\n500$RESULT=3020");
    // Two at once: the second follows the first's answer.
    b.Drop("c.dat", "1\n30\n");
    b.Drop("d.dat", "1\n40\n");
    ASSERT_TRUE(waitFor("c.fin") && waitFor("d.fin"));
    EXPECT_EQ(b.Read("d.fin"), "1\n40\n$RESULT=0");

    auto* list = dlg.findChild<QTreeWidget*>();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->topLevelItemCount(), 4);
    EXPECT_EQ(list->topLevelItem(2)->text(5), "NG(3020)");
    EXPECT_EQ(list->topLevelItem(0)->text(5), "OK");
    EXPECT_EQ(list->topLevelItem(1)->text(5), "OK");
}

TEST(CashlessDialogs, PaygateTestModeCannotBeMissed) {
    App();
    PaygateBench b;
    b.StartTerminal("approve");
    CPaygateDlg dlg(b.ctl);
    dlg.show();
    dlg.Start();
    auto* list = dlg.findChild<QTreeWidget*>();
    auto edits = dlg.findChildren<QLineEdit*>();
    ASSERT_EQ(edits.size(), 2);
    QLineEdit& message = *edits[1];
    EXPECT_TRUE(dlg.TestBanner()->isHidden());
    EXPECT_EQ(dlg.TrayToolTip(), T("キャッシュレス決済"));

    Type(message, "test");
    EXPECT_FALSE(dlg.TestBanner()->isHidden());
    EXPECT_EQ(dlg.TestBanner()->text(), T("テストモード: 端末に送信しません"));
    EXPECT_EQ(dlg.TrayToolTip(), T("キャッシュレス決済（テストモード: 端末に送信しません）"));

    b.Drop("t.dat", J("1\n2500\n0\n0\n0\n0\nP-9\n田中 次郎\n"));
    dlg.PollOnce();
    EXPECT_EQ(b.Read("t.fin"), J("1\n2500\n0\n0\n0\n0\nP-9\n田中 次郎\n$RESULT=0"));
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(5), T("OK(テスト)"));
    EXPECT_FALSE(list->topLevelItem(0)->toolTip(5).isEmpty());
    EXPECT_EQ(message.text(), "test");
    EXPECT_FALSE(dlg.TestBanner()->isHidden()); // still on for the next request
    Shot(dlg, "paygate-test.png", {640, 300});

    // The word cleared: the banner goes and the next request is a real sale.
    Backspaces(message, 4);
    EXPECT_TRUE(dlg.TestBanner()->isHidden());
    EXPECT_EQ(dlg.TrayToolTip(), T("キャッシュレス決済"));
    b.Drop("u.dat", "1\n300\n");
    dlg.PollOnce();
    b.Settle();
    dlg.Refresh();
    EXPECT_EQ(b.Read("u.fin"), "1\n300\n$RESULT=0");
    EXPECT_EQ(list->topLevelItem(0)->text(5), "OK");
    EXPECT_NE(b.terminal->Journal().find("APPROVED"), std::string::npos);
}

TEST(CashlessDialogs, TermsetShowsTheEntryAndWritesOnOk) {
    App();
    TempDir dir;
    platform::RegistryStore registry(dir.File("registry/"));
    registry.SetString(platform::Hive::Machine, TermsetModel::EntryKey(false), "Port", "COM5");
    registry.SetString(platform::Hive::Machine, TermsetModel::EntryKey(false), "Terminal", "1002");
    TermsetModel model(dir.File("PelmoV3.ini"), registry);
    CTermsetDlg dlg(model);
    QStringList shown;
    dlg.m_inform = [&](const QString& t) { shown << t; };
    dlg.Start(); // Type absent: stera, which has no entry
    EXPECT_EQ(shown,
              QStringList{T("stera用 OPOS-OCX がセットアップされているか確認してください。")});
    EXPECT_TRUE(dlg.Radio(TermsetModel::JtC60)->isChecked());

    dlg.Radio(TermsetModel::Zec14)->click();
    EXPECT_TRUE(dlg.Radio(TermsetModel::Zec14)->isChecked());
    EXPECT_FALSE(dlg.Radio(TermsetModel::JtC60)->isChecked());
    EXPECT_EQ(dlg.PortBox()->currentText(), "COM5");
    EXPECT_EQ(dlg.PortBox()->count(), 10);
    dlg.show();
    Shot(dlg, "termset.png");

    dlg.PortBox()->setEditText("COM12");
    dlg.accept();
    EXPECT_EQ(registry.GetString(platform::Hive::Machine, TermsetModel::EntryKey(false), "Port"),
              "COM12");
    EXPECT_EQ(
        registry.GetString(platform::Hive::Machine, TermsetModel::EntryKey(false), "Terminal"),
        "1002");
}
