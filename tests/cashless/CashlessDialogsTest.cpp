// The Paygate and Termset windows offscreen; screenshots on request (CASHLESS_SCREENSHOT_DIR).
#include "PaygateBench.h"
#include "cashless/paygate/CPaygateDlg.h"
#include "cashless/termset/CTermsetDlg.h"
#include "cashless/termset/TermsetModel.h"
#include "platform/Cp932.h"
#include "platform/qt/QtText.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <cstdlib>
#include <gtest/gtest.h>

using platform::J;
using platform::ToQString;

namespace {
QApplication& App() {
    static int argc = 1;
    static char name[] = "cashless_ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

QString T(const char* utf8) {
    return ToQString(J(utf8));
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
