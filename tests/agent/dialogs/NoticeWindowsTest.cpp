// The four notice windows offscreen against the private web database: controls, the list
// colours, the flows of the buttons and the messages of failures. With APPOSYNC_SCREENSHOT_DIR
// set, each window is saved there as PNG.
#include <gtest/gtest.h>

#include <optional>

#include "DialogTestApp.h"
#include "NoticeRig.h"
#include "WebFault.h"
#include "agent/dialogs/CNotification.h"
#include "agent/dialogs/CNotificationInfo.h"
#include "agent/dialogs/CPatientNotification.h"
#include "agent/dialogs/CPatientSearch.h"
#include "agent/dialogs/DialogListView.h"
#include "agent/dialogs/NoticeDialogs.h"
#include "platform/qt/QtText.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using platform::J;

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

template <class T> T* Child(QWidget& w, const char* id) {
    T* child = w.findChild<T*>(id);
    EXPECT_NE(child, nullptr) << id;
    return child;
}

void Click(QWidget& w, const char* id) {
    if (auto* b = Child<QPushButton>(w, id))
        b->click();
}

// Scripted answers to the windows' message boxes and child dialogs.
struct Answers {
    std::vector<std::string> told;
    std::vector<std::string> asked;
    bool ok = true;
    bool yes = true;
    std::function<int(QDialog&)> onRun = [](QDialog&) { return int(QDialog::Rejected); };

    ModalHooks Hooks() {
        ModalHooks h;
        h.askOkCancel = [this](QWidget*, const std::string& t) {
            asked.push_back(t);
            return ok;
        };
        h.askYesNo = [this](QWidget*, const std::string& t) {
            asked.push_back(t);
            return yes;
        };
        h.tell = [this](QWidget*, const std::string& t) { told.push_back(t); };
        h.run = [this](QDialog& d) { return onRun(d); };
        return h;
    }
};

std::string Text(const QLineEdit* e) {
    return platform::FromQString(e->text());
}

int RowOfTitle(CNotification& w, const std::string& title) {
    const auto& rows = w.List().Rows();
    for (int i = 0; i < static_cast<int>(rows.size()); ++i)
        if (rows[i].title == title)
            return i;
    return -1;
}

QColor Pixel(QTableView* view, int row) {
    const QImage img = view->viewport()->grab().toImage();
    const qreal ratio = img.devicePixelRatio(); // 2 under QT_SCALE_FACTOR=2
    return img.pixelColor(int(3 * ratio), int((view->rowViewportPosition(row) + 2) * ratio));
}

// The window's notices: two to all patients (one expired), one to a patient, read.
struct WindowRig : NoticeRig {
    std::string holiday, expired, individual;
    WindowRig() {
        holiday = AddNotice("'2024-01-04'", "NULL", "年末年始の休診について",
                            "12月29日から1月3日まで休診いたします。ＷＥＢ予約は受け付けます。",
                            "'2024-01-31'", "NULL", "'2024-01-02 10:00:00'");
        expired = AddNotice("'2024-01-03'", "NULL", "駐車場工事のお知らせ", "駐車場が使えません。",
                            "'2024-01-04'", "NULL", "'2024-01-03 10:00:00'");
        AddNotice("'2024-01-05'", "NULL", "インフルエンザ予防接種",
                  "予約受付中です。お電話でどうぞ。", "NULL", "NULL", "'2024-01-05 09:00:00'");
        individual =
            AddNotice("'2024-01-02'", "'0000000001'", "定期検診のご案内",
                      "前回から半年が経ちました。", "NULL", "NULL", "'2024-01-02 11:00:00'");
        MarkRead(individual, 1);
    }
};

} // namespace

TEST(NoticeWindows, NoticeListControlsColumnsAndColours) {
    DialogTestApp();
    WindowRig rig;
    Answers answers;
    CNotification w(rig.ctx, nullptr, answers.Hooks());
    EXPECT_EQ(w.windowTitle(), U("お知らせ"));
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(Child<QRadioButton>(w, "1004")->isChecked());
    EXPECT_TRUE(Child<QCheckBox>(w, "4102")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(w, "4101")->isChecked());
    EXPECT_EQ(Child<QDateEdit>(w, "1024")->date(), QDate(2023, 1, 1));
    EXPECT_EQ(Child<QDateEdit>(w, "1025")->date(), QDate(2024, 1, 5));
    EXPECT_TRUE(Child<QPushButton>(w, "1")->isDefault());
    EXPECT_FALSE(Child<QPushButton>(w, "1023")->isEnabled());
    EXPECT_FALSE(w.ProblemLine()->isVisibleTo(&w));

    DialogListView* view = w.ListView();
    ASSERT_EQ(view->model()->columnCount(), 7);
    const int b = view->LetterBWidth();
    const int widths[] = {10, 10, 20, 10, 30, 10, 30};
    const char* titles[] = {"既読",     "日付",   "タイトル", "有効期限",
                            "お知らせ", "患者ID", "患者氏名"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(view->columnWidth(i), widths[i] * b) << i;
        EXPECT_EQ(view->model()->headerData(i, Qt::Horizontal).toString(), U(titles[i]));
    }
    ASSERT_EQ(view->model()->rowCount(), 2);
    EXPECT_EQ(view->model()->index(0, 3).data().toString(), U("2024-01-31"));

    // Expired notices on request, in grey on the alternating rows; the selection on blue.
    Child<QCheckBox>(w, "4101")->setChecked(true);
    ASSERT_EQ(view->model()->rowCount(), 3);
    w.show();
    QApplication::processEvents();
    EXPECT_EQ(Pixel(view, 0), QColor(255, 255, 255));
    EXPECT_EQ(Pixel(view, 1), QColor(200, 255, 200));
    view->SelectRow(1);
    QApplication::processEvents();
    EXPECT_EQ(Pixel(view, 1), QColor(49, 106, 197));
    EXPECT_TRUE(view->model()->index(1, 0).data(TextListModel::kDimmedRole).toBool());

    // A header click sorts, a second one reverses.
    view->horizontalHeader()->sectionClicked(2);
    EXPECT_EQ(w.List().Rows().front().title, J("インフルエンザ予防接種"));
    view->horizontalHeader()->sectionClicked(2);
    EXPECT_EQ(w.List().Rows().front().title, J("年末年始の休診について")); // CP932 byte order
    EXPECT_EQ(view->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    SaveScreenshot(w, "notification_all");

    // The individual notices with their read marks and patients; "更新" only there.
    Child<QRadioButton>(w, "1005")->setChecked(true);
    EXPECT_TRUE(Child<QPushButton>(w, "1023")->isEnabled());
    ASSERT_EQ(view->model()->rowCount(), 1);
    EXPECT_EQ(view->model()->index(0, 0).data().toString(), U("○"));
    EXPECT_EQ(view->model()->index(0, 6).data().toString(), U("山田 太郎(ヤマダ タロウ)"));
    SaveScreenshot(w, "notification_individual");
    Child<QRadioButton>(w, "1004")->setChecked(true);
    EXPECT_FALSE(Child<QPushButton>(w, "1023")->isEnabled());

    // Search words from the edit on "検索".
    Child<QLineEdit>(w, "1006")->setText(U("休診　ｗｅｂ"));
    Click(w, "1");
    ASSERT_EQ(view->model()->rowCount(), 1);
    EXPECT_EQ(w.List().Rows()[0].id, rig.holiday);

    // A check box filters with what the controls show, even before "検索".
    Child<QLineEdit>(w, "1006")->setText(U("駐車場"));
    Child<QCheckBox>(w, "4101")->setChecked(false);
    EXPECT_EQ(view->model()->rowCount(), 0);
    Child<QCheckBox>(w, "4101")->setChecked(true);
    ASSERT_EQ(view->model()->rowCount(), 1);
    EXPECT_EQ(w.List().Rows()[0].id, rig.expired);
    EXPECT_TRUE(answers.told.empty());
}

TEST(NoticeWindows, NewEditAndDeleteThroughTheButtons) {
    DialogTestApp();
    WindowRig rig;
    Answers answers;
    CNotification w(rig.ctx, nullptr, answers.Hooks());

    // "新規": the editor is filled and confirmed.
    answers.onRun = [&](QDialog& d) {
        auto* info = qobject_cast<CNotificationInfo*>(&d);
        EXPECT_NE(info, nullptr);
        if (!info)
            return int(QDialog::Rejected);
        EXPECT_EQ(info->windowTitle(), U("お知らせ - 全体通知"));
        EXPECT_FALSE(Child<QPushButton>(*info, "1001")->isEnabled());
        Child<QLineEdit>(*info, "1006")->setText(U("臨時休診"));
        Child<QPlainTextEdit>(*info, "1013")->setPlainText(U("1月9日は休診です。\n午後のみ"));
        info->accept();
        return info->result();
    };
    Click(w, "1001");
    ASSERT_EQ(answers.asked.size(), 1u);
    EXPECT_EQ(answers.asked[0], J("全体へのお知らせを送信してよろしいでしょうか？"));
    const std::string id = rig.web.Scalar("SELECT MAX(id) FROM notifications").value_or("");
    EXPECT_EQ(rig.web.Scalar("SELECT content FROM notifications WHERE id=" + id),
              J("1月9日は休診です。\r\n午後のみ"));
    const int row = RowOfTitle(w, J("臨時休診"));
    ASSERT_GE(row, 0);
    EXPECT_EQ(w.List().Rows()[row].id, id);
    EXPECT_EQ(w.ListView()->SelectedRow(), row) << "the saved notice is selected";

    // "編集" on the selection: an UPDATE of the same row.
    answers.onRun = [&](QDialog& d) {
        auto* info = qobject_cast<CNotificationInfo*>(&d);
        EXPECT_EQ(Text(Child<QLineEdit>(*info, "1006")), J("臨時休診"));
        Child<QLineEdit>(*info, "1006")->setText(U("臨時休診（午後のみ）"));
        info->accept();
        return info->result();
    };
    Click(w, "1002");
    EXPECT_EQ(answers.asked.back(), J("全体へのお知らせを更新してよろしいでしょうか？"));
    EXPECT_EQ(rig.web.Scalar("SELECT title FROM notifications WHERE id=" + id),
              J("臨時休診（午後のみ）"));
    EXPECT_EQ(rig.Count("SELECT COUNT(*) FROM notifications"), 5);

    // A refused save says so with the database's text and lists nothing new.
    std::optional<WebFault> fault;
    fault.emplace(rig.web, WebFault::Kind::Refuse, "notifications", "INSERT", "TRUE");
    const size_t rows = w.List().Rows().size();
    answers.onRun = [&](QDialog& d) {
        auto* info = qobject_cast<CNotificationInfo*>(&d);
        Child<QLineEdit>(*info, "1006")->setText(U("届かないお知らせ"));
        Child<QPlainTextEdit>(*info, "1013")->setPlainText(U("本文"));
        info->accept();
        return info->result();
    };
    Click(w, "1001");
    ASSERT_EQ(answers.told.size(), 1u);
    EXPECT_EQ(answers.told[0].rfind(J("お知らせを保存できませんでした。\n"), 0), 0u);
    EXPECT_NE(answers.told[0].find("refused by the test"), std::string::npos);
    EXPECT_EQ(w.List().Rows().size(), rows);
    EXPECT_EQ(RowOfTitle(w, J("届かないお知らせ")), -1);
    fault.reset();

    // A delete with the server stopped keeps the row listed and says so.
    w.ListView()->SelectRow(RowOfTitle(w, J("臨時休診（午後のみ）")));
    rig.StopServer();
    Click(w, "1003");
    EXPECT_EQ(answers.asked.back(), J("お知らせ [臨時休診（午後のみ）] を削除します。"));
    ASSERT_EQ(answers.told.size(), 2u);
    EXPECT_EQ(answers.told[1].rfind(J("お知らせを削除できませんでした。\n"), 0), 0u);
    EXPECT_GE(RowOfTitle(w, J("臨時休診（午後のみ）")), 0);
    EXPECT_EQ(w.ListView()->SelectedRow(), RowOfTitle(w, J("臨時休診（午後のみ）")));

    // Cancelled, nothing happens; confirmed with the server back, the row goes.
    rig.StartServer();
    answers.ok = false;
    Click(w, "1003");
    EXPECT_EQ(rig.Count("SELECT COUNT(*) FROM notifications WHERE id=" + id), 1);
    answers.ok = true;
    Click(w, "1003");
    EXPECT_EQ(rig.Count("SELECT COUNT(*) FROM notifications WHERE id=" + id), 0);
    EXPECT_EQ(RowOfTitle(w, J("臨時休診（午後のみ）")), -1);
    EXPECT_EQ(answers.told.size(), 2u);

    // "複製" of the expired notice: a new row under a new id, the copy sent today.
    Child<QCheckBox>(w, "4101")->setChecked(true);
    w.ListView()->SelectRow(RowOfTitle(w, J("駐車場工事のお知らせ")));
    answers.onRun = [&](QDialog& d) {
        auto* info = qobject_cast<CNotificationInfo*>(&d);
        EXPECT_FALSE(Child<QCheckBox>(*info, "4102")->isChecked());
        EXPECT_FALSE(Child<QDateEdit>(*info, "1026")->isEnabled());
        EXPECT_EQ(Child<QDateEdit>(*info, "1024")->date(), QDate(2024, 1, 5));
        info->accept();
        return info->result();
    };
    Click(w, "1009");
    EXPECT_EQ(rig.Count("SELECT COUNT(*) FROM notifications WHERE title=" +
                        platform::J("'駐車場工事のお知らせ'")),
              2);
}

TEST(NoticeWindows, EditorRefusesAndPicksAPatient) {
    DialogTestApp();
    WindowRig rig;
    Answers answers;
    NotificationEditor editor(true, {}, rig.clock);
    CNotificationInfo info(editor, rig.ctx, answers.Hooks());
    EXPECT_EQ(info.windowTitle(), U("お知らせ - 患者個別通知"));
    EXPECT_TRUE(info.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(Child<QPushButton>(info, "1001")->isEnabled());
    EXPECT_TRUE(Child<QLineEdit>(info, "1016")->isReadOnly());
    EXPECT_FALSE(Child<QDateEdit>(info, "1025")->isEnabled());
    Child<QCheckBox>(info, "4101")->setChecked(true);
    EXPECT_TRUE(Child<QDateEdit>(info, "1025")->isEnabled());

    Child<QLineEdit>(info, "1006")->setText(U("検診"));
    Child<QPlainTextEdit>(info, "1013")->setPlainText(U("検診の時期です。"));
    info.accept();
    EXPECT_EQ(answers.told, std::vector<std::string>{J("患者を選択してください。")});
    EXPECT_NE(info.result(), QDialog::Accepted);

    // "選択" loads the directory and takes the picked patient.
    answers.onRun = [&](QDialog& d) {
        auto* search = qobject_cast<CPatientSearch*>(&d);
        EXPECT_NE(search, nullptr);
        if (!search)
            return int(QDialog::Rejected);
        EXPECT_EQ(search->ListView()->model()->rowCount(), 2);
        search->ListView()->SelectRow(1);
        search->OnPick();
        return search->result();
    };
    Click(info, "1001");
    EXPECT_EQ(Text(Child<QLineEdit>(info, "1016")), J("P-002 : 佐藤 花子(サトウ ハナコ)"));

    // Blank titles are refused with the focus on the title.
    Child<QLineEdit>(info, "1006")->setText(U(" 　"));
    info.accept();
    EXPECT_EQ(answers.told.back(), J("タイトルを入力してください。"));
    EXPECT_EQ(info.focusWidget(), Child<QLineEdit>(info, "1006"));

    // "No" keeps the editor open; "Yes" closes it with the edited notice.
    Child<QLineEdit>(info, "1006")->setText(U("検診"));
    answers.yes = false;
    info.accept();
    EXPECT_EQ(
        answers.asked.back(),
        J("患者[P-002 : 佐藤 花子(サトウ ハナコ)]\nへのお知らせを送信してよろしいでしょうか？"));
    EXPECT_NE(info.result(), QDialog::Accepted);
    SaveScreenshot(info, "notification_info");
    answers.yes = true;
    info.accept();
    EXPECT_EQ(info.result(), QDialog::Accepted);
    EXPECT_EQ(info.Result().patientKey, "0000000002");
    EXPECT_EQ(info.Result().validFromDate, "20240105");
    EXPECT_EQ(info.Result().validToDate, "");
    EXPECT_EQ(info.Result().content, J("検診の時期です。"));
}

TEST(NoticeWindows, PatientSearchEnterFiltersInTheEditAndPicksElsewhere) {
    DialogTestApp();
    WindowRig rig;
    rig.clinic.AddPatient("0000000003", "P-003", "山田 次郎", "ヤマダ ジロウ", "19500505", "",
                          "耳が遠い", "ペニシリン");
    rig.MarkDeleted("0000000003");
    ASSERT_TRUE(
        rig.directory.LoadPatientDirectory(rig.session, rig.clinic.DatabaseFolder(), rig.clock));
    Answers answers;
    CPatientSearch w(rig.directory, answers.Hooks());
    EXPECT_EQ(w.windowTitle(), U("患者選択"));
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    DialogListView* view = w.ListView();
    EXPECT_EQ(view->model()->rowCount(), 2);
    EXPECT_EQ(view->model()->headerData(3, Qt::Horizontal).toString(), U("年齢"));
    EXPECT_TRUE(view->model()->index(0, 3).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                Qt::AlignRight);
    EXPECT_EQ(view->columnWidth(3), 6 * view->LetterBWidth());

    Child<QCheckBox>(w, "4101")->setChecked(true);
    ASSERT_EQ(view->model()->rowCount(), 3);
    EXPECT_TRUE(view->model()->index(2, 0).data(TextListModel::kDimmedRole).toBool());
    SaveScreenshot(w, "patient_search");

    // Enter in the search edit filters and keeps the dialog open.
    w.SearchEdit()->setFocus();
    w.SearchEdit()->setText(U("ﾔﾏﾀﾞ"));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(w.SearchEdit(), &enter);
    EXPECT_EQ(view->model()->rowCount(), 2);
    EXPECT_NE(w.result(), QDialog::Accepted);
    EXPECT_FALSE(w.Selected().key.size());

    // Enter in the list takes the selected patient.
    view->setFocus();
    view->SelectRow(1);
    QKeyEvent enter2(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(view, &enter2);
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(w.Selected().key, "0000000003");
}

TEST(NoticeWindows, SendHistoryMarksDetailAndReportedDeletes) {
    DialogTestApp();
    WindowRig rig;
    const std::string second = rig.AddNotice("'2024-01-04'", "'0000000001'", "お薬のお知らせ",
                                             "お薬が出ています。\r\n受付でお受け取りください。");
    Answers answers;
    CPatientNotification w(rig.ctx, "0000000001", nullptr, answers.Hooks());
    EXPECT_EQ(w.windowTitle(), U("送信履歴"));
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    DialogListView* view = w.ListView();
    ASSERT_EQ(view->model()->rowCount(), 2);
    EXPECT_EQ(view->model()->index(0, 0).data().toString(), U("○"));
    EXPECT_EQ(view->model()->index(1, 0).data().toString(), U(""));
    EXPECT_EQ(view->selectionMode(), QAbstractItemView::ExtendedSelection);

    view->SelectRow(1);
    EXPECT_EQ(w.DetailEdit()->toPlainText(),
              U("2024-01-04\n\nお薬のお知らせ\n\nお薬が出ています。\n受付でお受け取りください。"));
    SaveScreenshot(w, "patient_notification");

    // Both selected; one refused: it stays and the message names it.
    view->selectAll();
    const WebFault fault(rig.web, WebFault::Kind::Refuse, "notifications", "DELETE",
                         platform::J("OLD.title='お薬のお知らせ'"));
    Click(w, "1001");
    EXPECT_EQ(answers.asked.back(), J("選択中のお知らせを削除します。"));
    ASSERT_EQ(answers.told.size(), 1u);
    EXPECT_EQ(
        answers.told[0].rfind(J("次のお知らせを削除できませんでした。\n[お薬のお知らせ] "), 0), 0u);
    ASSERT_EQ(view->model()->rowCount(), 1);
    EXPECT_EQ(w.History().Items()[0].id, second);
    EXPECT_EQ(w.DetailEdit()->toPlainText(), U(""));

    // Without a connection: one clear line, not an empty list that reads as "no notices".
    rig.StopServer();
    CPatientNotification offline(rig.ctx, "0000000001", nullptr, answers.Hooks());
    EXPECT_TRUE(offline.ProblemLine()->isVisibleTo(&offline));
    EXPECT_TRUE(offline.ProblemLine()->text().startsWith(U("Webデータベースに接続できません：")));
    SaveScreenshot(offline, "patient_notification_offline");
}

TEST(NoticeWindows, PositionAndWidthsAreKeptAndTheMainWindowOpensTheList) {
    DialogTestApp();
    WindowRig rig;
    Answers answers;
    {
        CNotification w(rig.ctx, nullptr, answers.Hooks());
        w.show();
        w.move(60, 40);
        w.ListView()->setColumnWidth(2, 321);
        Click(w, "2"); // "閉じる"
        EXPECT_FALSE(w.isVisible());
    }
    {
        CNotification w(rig.ctx, nullptr, answers.Hooks());
        EXPECT_EQ(w.pos(), QPoint(60, 40));
        EXPECT_EQ(w.ListView()->columnWidth(2), 321);
    }

    // From the main window: a modal list that logs to the window's log.
    QWidget main;
    bool opened = false;
    QTimer::singleShot(0, [&] {
        auto* list = qobject_cast<CNotification*>(QApplication::activeModalWidget());
        EXPECT_NE(list, nullptr);
        if (!list)
            return;
        opened = true;
        EXPECT_EQ(list->parentWidget(), &main);
        list->reject();
    });
    rig.StopServer();
    OpenNotificationDialog(&main, rig.session, rig.log, rig.clinic.DatabaseFolder(), rig.directory);
    EXPECT_TRUE(opened);
}

TEST(NoticeWindows, NoConnectionShowsOneLine) {
    DialogTestApp();
    WindowRig rig;
    rig.StopServer();
    Answers answers;
    CNotification w(rig.ctx, nullptr, answers.Hooks());
    EXPECT_EQ(w.ListView()->model()->rowCount(), 0);
    EXPECT_TRUE(w.ProblemLine()->isVisibleTo(&w));
    EXPECT_TRUE(w.ProblemLine()->text().startsWith(U("Webデータベースに接続できません：")));
    SaveScreenshot(w, "notification_offline");
}
