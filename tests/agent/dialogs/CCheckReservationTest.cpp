// The window "予約の重複エラー" offscreen, on a temporary clinic and the private web database.
#include <gtest/gtest.h>

#include "ReviewClinic.h"
#include "ReviewWindows.h"
#include "agent/dialogs/CCheckReservation.h"
#include "platform/Cp932.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <cstdlib>

using platform::J;

QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "agent_review_ui_tests";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Never destroyed: tearing down the GUI at exit, after the platform plugin, crashes.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

void Screenshot(QWidget& window, const QString& name) {
    const char* dir = std::getenv("APPOSYNC_SCREENSHOT_DIR");
    if (!dir)
        return;
    window.show();
    QApplication::processEvents();
    QDir().mkpath(QString::fromLocal8Bit(dir));
    window.grab().save(QString::fromLocal8Bit(dir) + "/" + name + ".png");
}

QStringList TabOrder(QWidget& window) {
    QStringList names;
    for (QWidget* w = window.nextInFocusChain(); w && w != &window; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(&window))
            names << w->objectName();
    return names;
}

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QStringList Column(const QTableWidget* list, int column) {
    QStringList cells;
    for (int r = 0; r < list->rowCount(); ++r)
        cells << (list->item(r, column) ? list->item(r, column)->text() : QString());
    return cells;
}

QStringList Headers(const QTableWidget* list) {
    QStringList titles;
    for (int c = 0; c < list->columnCount(); ++c)
        titles << list->horizontalHeaderItem(c)->text();
    return titles;
}

void SelectRows(QTableWidget* list, std::initializer_list<int> rows) {
    list->clearSelection();
    for (int r : rows)
        list->selectionModel()->select(list->model()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

// Six unplaced first-visit bookings, two refused app requests of a known patient.
void Fill(ReviewClinic& c) {
    const char* names[] = {"山田 花子", "佐藤 美咲", "鈴木 一郎",
                           "田中 陽子", "伊藤 健太", "渡辺 翔"};
    const char* kanas[] = {"ヤマダ ハナコ", "サトウ ミサキ", "スズキ イチロウ",
                           "タナカ ヨウコ", "イトウ ケンタ", "ワタナベ ショウ"};
    for (int i = 0; i < 6; ++i) {
        WebBooking b;
        b.id = std::to_string(i + 1);
        b.name = names[i];
        b.kana = kanas[i];
        b.gender = i % 2 ? "男性" : "女性";
        b.updated = "2024-02-2" + std::to_string(i) + " 10:15:00";
        b.date = "2024-03-1" + std::to_string(i);
        b.content = "インプラントについて相談したいです。費用と期間の目安を教えてください。";
        b.address = "東京都世田谷区三軒茶屋2丁目11番22号 サンハイツ305";
        b.email = "patient" + std::to_string(i + 1) + "@example.jp";
        c.Book(b);
    }
    c.AddType("01", "定期検診");
    c.AddType("02", "クリーニング");
    c.AddPatient("0000004711", "4711", "K-12", "佐藤 太郎", "ｻﾄｳ ﾀﾛｳ");
    c.AddReservation("0000000001", "0000004711", "20240305", 6, "01");
    c.AddReservation("0000000002", "0000004711", "20240306", 6, "02");
    c.AddReservation("0000000004", "0000004711", "20240308", 0, "02");
    c.Request("21", "0000000001", "0000004711", "2024-03-12", "14:30:00");
    c.Request("22", "0000000002", "0000004711", "2024-03-14", "09:00:00");
}

} // namespace

TEST(CCheckReservationWindow, ListsColumnsAndLook) {
    TestApp();
    ReviewClinic c;
    Fill(c);
    CCheckReservation w(c.session, c.clinic.DatabaseFolder(), c.clock);

    EXPECT_EQ(w.windowTitle(), U("予約の重複エラー"));
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    QTableWidget* web = w.List(CCheckReservation::kWebList);
    QTableWidget* app = w.List(CCheckReservation::kAppList);
    ASSERT_TRUE(web && app);
    EXPECT_EQ(Headers(web), (QStringList{"id", U("登録日"), U("希望日時"), U("氏名"), U("生年月日"),
                                         "Tel", "E-mail", U("住所"), U("相談内容")}));
    EXPECT_EQ(Headers(app),
              (QStringList{"id", U("希望日時"), U("予約種類"), "ID", U("氏名"), U("次回予約")}));
    const int b = web->fontMetrics().horizontalAdvance(QLatin1Char('B'));
    const int webWidths[] = {5, 15, 20, 40, 20, 20, 20, 30, 50};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(web->columnWidth(i), webWidths[i] * b) << i;
    const int appWidths[] = {5, 20, 20, 20, 30, 30};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(app->columnWidth(i), appWidths[i] * b) << i;
    EXPECT_EQ(web->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(web->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_TRUE(web->showGrid());

    auto* webGroup = qobject_cast<QGroupBox*>(web->parentWidget());
    auto* appGroup = qobject_cast<QGroupBox*>(app->parentWidget());
    ASSERT_TRUE(webGroup && appGroup);
    EXPECT_EQ(webGroup->title(), U("Web予約の（重複エラー）"));
    EXPECT_EQ(appGroup->title(), U("アプリからの予約リクエスト（重複エラー）"));
    EXPECT_EQ(w.Button(CCheckReservation::kDeleteWeb)->text(), U("削除"));
    EXPECT_EQ(w.Button(CCheckReservation::kDeleteApp)->text(), U("削除"));
    EXPECT_EQ(w.Button(CCheckReservation::kReload)->text(), U("更新"));
    EXPECT_EQ(w.Button(CCheckReservation::kClose)->text(), U("閉じる"));
    EXPECT_TRUE(w.Button(CCheckReservation::kClose)->isDefault());
    EXPECT_EQ(TabOrder(w), (QStringList{"1000", "1103", "1002", "1104", "1102", "2"}));

    EXPECT_EQ(Column(web, 0), (QStringList{"1", "2", "3", "4", "5", "6"}));
    EXPECT_EQ(web->item(0, 3)->text(), U("山田 花子 / ヤマダ ハナコ (女性)"));
    EXPECT_EQ(web->item(0, 3)->toolTip(), web->item(0, 3)->text()); // the whole text as its tip
    EXPECT_EQ(Column(app, 0), (QStringList{"21", "22"}));
    EXPECT_EQ(app->item(0, 5)->text(), U("2024.03.08 [クリーニング]"));
    EXPECT_FALSE(w.StatusLine(CCheckReservation::kWebList)->isVisibleTo(&w));
    EXPECT_FALSE(w.StatusLine(CCheckReservation::kAppList)->isVisibleTo(&w));

    Screenshot(w, "check-reservation");
    // Esc closes.
    w.reject();
    EXPECT_EQ(w.result(), QDialog::Rejected);
}

TEST(CCheckReservationWindow, DeletesAskFirstRunOncePerSelectedRowAndReloadOnce) {
    TestApp();
    ReviewClinic c;
    Fill(c);
    CCheckReservation w(c.session, c.clinic.DatabaseFolder(), c.clock);
    std::vector<std::string> questions;
    bool answer = false;
    w.SetConfirmation([&](const std::string& q) {
        questions.push_back(q);
        return answer;
    });
    std::vector<std::string> reports;
    w.SetFailureReport([&](const std::string& line) { reports.push_back(line); });
    QTableWidget* web = w.List(CCheckReservation::kWebList);
    const int webLoads = w.Loads(CCheckReservation::kWebList);
    const int appLoads = w.Loads(CCheckReservation::kAppList);

    // Nothing selected: not even a question.
    web->clearSelection();
    w.Button(CCheckReservation::kDeleteWeb)->click();
    EXPECT_TRUE(questions.empty());

    // Cancelled: nothing deleted, nothing reloaded.
    SelectRows(web, {1, 3, 4});
    w.Button(CCheckReservation::kDeleteWeb)->click();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], J("選択中のWeb予約を削除します。"));
    EXPECT_EQ(c.Rows("first_appointments"), 6);
    EXPECT_EQ(w.Loads(CCheckReservation::kWebList), webLoads);

    // Confirmed: three rows go, the list is read once more, the other list is left alone.
    answer = true;
    w.Button(CCheckReservation::kDeleteWeb)->click();
    EXPECT_EQ(c.web.Scalar("SELECT GROUP_CONCAT(id ORDER BY id) FROM first_appointments"), "1,3,6");
    EXPECT_EQ(w.Loads(CCheckReservation::kWebList), webLoads + 1);
    EXPECT_EQ(w.Loads(CCheckReservation::kAppList), appLoads);
    EXPECT_EQ(Column(web, 0), (QStringList{"1", "3", "6"}));
    EXPECT_TRUE(reports.empty());

    // A refused delete is counted and reported; the one that went through is reloaded away.
    c.RefuseDeleteOf("appointments", "21");
    QTableWidget* app = w.List(CCheckReservation::kAppList);
    SelectRows(app, {0, 1});
    w.Button(CCheckReservation::kDeleteApp)->click();
    EXPECT_EQ(questions.back(), J("選択中の予約リクエストを削除します。"));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], J("1件を削除できませんでした。"));
    EXPECT_EQ(Column(app, 0), (QStringList{"21"}));
    EXPECT_EQ(w.Loads(CCheckReservation::kAppList), appLoads + 1);

    // All refused: reported, and no reload since nothing changed.
    SelectRows(app, {0});
    w.Button(CCheckReservation::kDeleteApp)->click();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(w.Loads(CCheckReservation::kAppList), appLoads + 1);

    // "更新" reads both lists again.
    c.web.Exec("DELETE FROM first_appointments WHERE id=1");
    w.Button(CCheckReservation::kReload)->click();
    EXPECT_EQ(Column(web, 0), (QStringList{"3", "6"}));
    EXPECT_EQ(w.Loads(CCheckReservation::kAppList), appLoads + 2);
}

TEST(CCheckReservationWindow, AStoppedServerIsSaidInBothLists) {
    TestApp();
    ReviewClinic c;
    WebSession stopped(StoppedServer(), NoPause);
    CCheckReservation w(stopped, c.clinic.DatabaseFolder(), c.clock);
    std::vector<std::string> reports;
    w.SetFailureReport([&](const std::string& line) { reports.push_back(line); });
    w.SetConfirmation([](const std::string&) { return true; });

    for (int list : {CCheckReservation::kWebList, CCheckReservation::kAppList}) {
        EXPECT_EQ(w.List(list)->rowCount(), 0);
        QLabel* line = w.StatusLine(list);
        EXPECT_TRUE(line->isVisibleTo(&w)) << list;
        EXPECT_EQ(line->text(), U("Webデータベースに接続できませんでした。"));
        EXPECT_FALSE(line->toolTip().isEmpty()); // the driver's text
    }
    Screenshot(w, "check-reservation-stopped");

    // Once the server answers again, "更新" clears the line.
    stopped.SetValues(c.session.Values());
    w.Button(CCheckReservation::kReload)->click();
    EXPECT_FALSE(w.StatusLine(CCheckReservation::kWebList)->isVisibleTo(&w));
    EXPECT_FALSE(w.StatusLine(CCheckReservation::kAppList)->isVisibleTo(&w));

    // A delete that cannot reach the server says how many rows stayed and why.
    WebBooking b;
    b.id = "1";
    c.Book(b);
    w.Button(CCheckReservation::kReload)->click();
    SelectRows(w.List(CCheckReservation::kWebList), {0});
    stopped.SetValues(StoppedServer());
    w.Button(CCheckReservation::kDeleteWeb)->click();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0],
              J("1件を削除できませんでした。\nWebデータベースに接続できませんでした。"));
    EXPECT_EQ(c.Rows("first_appointments"), 1);
}
