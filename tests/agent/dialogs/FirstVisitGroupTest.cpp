// The first-visit booking pages of the settings dialog offscreen: tabs, views, fixed-time
// checks, the booking-mode switch, what OK stores and what one cycle then publishes.
#include <gtest/gtest.h>

#include "DialogClinic.h"
#include "DialogTestApp.h"
#include "SettingDlgAccess.h"
#include "WebDb.h"
#include "WebDbValues.h"
#include "agent/app/HeadlessRunner.h"
#include "agent/core/AgentSettings.h"
#include "agent/dialogs/CSettingDlg.h"
#include "agent/dialogs/FirstVisitGroup.h"
#include "agent/dialogs/TintedPanel.h"
#include "platform/Cp932.h"
#include "platform/FileOps.h"
#include "platform/Profile.h"
#include "platform/SystemClock.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <sstream>

using platform::J;

namespace {

// Units, doctors and types, an entry folder, and clinic hours with Sunday closed.
struct PageClinic : DialogClinic {
    PageClinic() {
        AddCategory("0", "01", "初診");
        AddCategory("0", "02", "相談");
        AddCategory("1", "01", "ユニット1");
        AddCategory("1", "02", "ユニット2");
        AddDoctor("D1", "鈴木");
        SetEntryFolder(DatabaseFolder() + "Entry/");
        platform::MakeDirs(DatabaseFolder() + "Entry/");
        platform::WriteProfileString(SharedIni(), "MENTE", "DayOfWeek1", "1");
        platform::WriteProfileString(SharedIni(), "GLOBAL", "TimeSpan", "15");
    }
};

void LeaveBox(QLineEdit* box) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(box, &out);
}

bool Red(const QLineEdit* box) {
    return box->palette().color(QPalette::Text) == QColor(255, 0, 0);
}

} // namespace

// Adding a page keeps the first page's edits and starts from the new-page values; deleting
// page 2 of 3 relabels the tabs and shows the former third page.
TEST(FirstVisitGroup, AddAndDeletePages) {
    DialogTestApp();
    PageClinic clinic;
    CSettingDlg dlg(nullptr, "C0001");
    QTabBar* tabs = Get<QTabBar>(dlg, 1042);
    auto* add = Get<QPushButton>(dlg, 1023);
    auto* remove = Get<QPushButton>(dlg, 1024);
    auto* title = Get<QLineEdit>(dlg, 1025);
    ASSERT_EQ(tabs->count(), 1);
    EXPECT_TRUE(add->isEnabled());
    EXPECT_FALSE(remove->isEnabled());
    EXPECT_EQ(Get<QLineEdit>(dlg, 1039)->text(),
              "https://booking.example.com/user?code=QzAwMDE=&appoType=1");

    title->setText(U("初診相談"));
    Get<QCheckBox>(dlg, 4403)->setChecked(true);
    add->click();
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_EQ(tabs->tabText(1), "2");
    EXPECT_EQ(title->text(), "");
    EXPECT_EQ(Get<QLineEdit>(dlg, 1021)->text(), "60");
    EXPECT_EQ(Get<QLineEdit>(dlg, 1039)->text(),
              "https://booking.example.com/user?code=QzAwMDE=&appoType=2");
    for (int id : {4401, 4402, 4406}) { // on, and cannot be turned off
        EXPECT_TRUE(Get<QCheckBox>(dlg, id)->isChecked()) << id;
        EXPECT_FALSE(Get<QCheckBox>(dlg, id)->isEnabled()) << id;
    }
    EXPECT_FALSE(Get<QCheckBox>(dlg, 4403)->isChecked());
    EXPECT_TRUE(Get<QCheckBox>(dlg, 4403)->isEnabled());
    title->setText("B");
    tabs->setCurrentIndex(0);
    EXPECT_EQ(title->text(), U("初診相談"));
    EXPECT_TRUE(Get<QCheckBox>(dlg, 4403)->isChecked());
    EXPECT_FALSE(Get<QCheckBox>(dlg, 4401)->isChecked()); // the stored page had none
    EXPECT_TRUE(Get<QCheckBox>(dlg, 4401)->isEnabled());

    add->click();
    title->setText("C");
    tabs->setCurrentIndex(1);
    EXPECT_EQ(title->text(), "B");
    remove->click();
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), "1");
    EXPECT_EQ(tabs->tabText(1), "2");
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_EQ(title->text(), "C");

    while (tabs->count() < 9)
        add->click();
    EXPECT_FALSE(add->isEnabled());
    remove->click(); // the last page: the new last one is shown
    EXPECT_EQ(tabs->currentIndex(), 7);
    EXPECT_TRUE(add->isEnabled());
    while (tabs->count() > 1)
        remove->click();
    EXPECT_FALSE(remove->isEnabled());
    EXPECT_EQ(title->text(), U("初診相談"));
}

// The page address opens in the browser and saves as a QR image named after the page; a file
// that cannot be written is reported.
TEST(FirstVisitGroup, PageAddressOpenAndQrImage) {
    DialogTestApp();
    PageClinic clinic;
    CSettingDlg dlg(nullptr, "C0001");
    Get<QPushButton>(dlg, 1023)->click();
    std::string opened, suggested;
    std::string path = clinic.DatabaseFolder() + "page2.png";
    std::vector<std::string> messages;
    dlg.SetOpener([&](const std::string& a) {
        opened = a;
        return true;
    });
    dlg.SetFileChooser([&](const std::string& name) {
        suggested = name;
        return path;
    });
    dlg.SetInform([&](const std::string& m) { messages.push_back(m); });
    Get<QPushButton>(dlg, 1044)->click();
    EXPECT_EQ(opened, "https://booking.example.com/user?code=QzAwMDE=&appoType=2");
    Get<QPushButton>(dlg, 1105)->click();
    EXPECT_EQ(suggested, J("Web予約ページ2"));
    EXPECT_EQ(QImage(QString::fromStdString(path)).size(), QSize(264, 264));
    EXPECT_TRUE(messages.empty());
    path = clinic.DatabaseFolder() + "missing/page2.png";
    Get<QPushButton>(dlg, 1105)->click();
    EXPECT_EQ(messages.size(), 1u);
}

// Range view: the range edits and "診療時間から取得"; fixed view: the fixed-times boxes and the
// instruction. Clinic hours are copied by weekday, a closed day unticked.
TEST(FirstVisitGroup, RangeAndFixedViews) {
    DialogTestApp();
    PageClinic clinic;
    CSettingDlg dlg(nullptr, "C0001");
    dlg.show();
    auto* fromClinic = Get<QPushButton>(dlg, 1001);
    EXPECT_TRUE(Get<QRadioButton>(dlg, 1045)->isChecked());
    EXPECT_TRUE(dlg.Control(9381)->isVisible());
    EXPECT_TRUE(dlg.Control(4301)->isVisible());
    EXPECT_FALSE(dlg.Control(4201)->isVisible());
    EXPECT_TRUE(fromClinic->isEnabled());
    EXPECT_EQ(Get<QLabel>(dlg, 1099)->text(), U("予約可能時間帯"));
    EXPECT_TRUE(dlg.Control(1103)->isVisible()); // no slots on the page
    SaveScreenshot(dlg, "setting_dialog_range");

    fromClinic->click();
    EXPECT_FALSE(Get<QCheckBox>(dlg, 4000)->isChecked()); // Sunday: closed
    EXPECT_TRUE(Get<QCheckBox>(dlg, 4001)->isChecked());
    const int mondayIds[8] = {9381, 9388, 9395, 9402, 9409, 9416, 9423, 9430};
    const char* monday[8] = {"9", "00", "12", "00", "13", "00", "18", "00"};
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(Get<QLineEdit>(dlg, mondayIds[k])->text(), monday[k]) << mondayIds[k];

    Get<QRadioButton>(dlg, 1046)->click();
    EXPECT_FALSE(dlg.Control(9381)->isVisible());
    EXPECT_FALSE(dlg.Control(4301)->isVisible());
    EXPECT_TRUE(dlg.Control(4201)->isVisible());
    EXPECT_FALSE(fromClinic->isEnabled());
    EXPECT_EQ(Get<QLabel>(dlg, 1099)->text(),
              U("予約時間 カンマ( , )区切りで入力 入力例 9:00,11:00,15:30"));
    Get<QLineEdit>(dlg, 1006)->setText("01");
    EXPECT_FALSE(dlg.Control(1103)->isVisible());
    Get<QLineEdit>(dlg, 4201)->setText("9:00,9:30,11:30");
    LeaveBox(Get<QLineEdit>(dlg, 4201));
    SaveScreenshot(dlg, "setting_dialog_fixed");
    dlg.accept();
    EXPECT_EQ(clinic.Get("FRIST_APPOINTMENTS", "USE_RANGE"), "0");
    EXPECT_EQ(clinic.Get("FRIST_APPOINTMENTS", "WtPmTo2"), "1800");
    EXPECT_EQ(clinic.Get("FRIST_APPOINTMENTS", "DayOfWeek1"), "0");
}

// A fixed-times box is normalised and checked when left, when the minutes change and on Enter;
// Enter with a clean result is OK, otherwise the dialog stays.
TEST(FirstVisitGroup, FixedTimesCheckedOnLeaveMinutesAndEnter) {
    DialogTestApp();
    PageClinic clinic;
    clinic.Set("FRIST_APPOINTMENTS", "USE_RANGE", "0");
    clinic.Set("FRIST_APPOINTMENTS", "TIME", "60");
    auto dlg = std::make_unique<CSettingDlg>(nullptr, "C0001");
    dlg->show();
    FirstVisitGroup* group = dlg->findChild<FirstVisitGroup*>();
    ASSERT_NE(group, nullptr);
    auto* monday = Get<QLineEdit>(*dlg, 4201);
    monday->setText(U("9;00 11:30,１５３０"));
    LeaveBox(monday);
    EXPECT_EQ(monday->text(), "9:00,11:30,15:30");
    EXPECT_EQ(group->CheckResult(2), 1); // 11:30 + 60 ends after the morning
    EXPECT_TRUE(Red(monday));
    EXPECT_TRUE(dlg->Control(1101)->isVisible());
    EXPECT_FALSE(dlg->Control(1102)->isVisible());

    Get<QLineEdit>(*dlg, 1021)->setText("30");
    EXPECT_EQ(group->CheckResult(2), 0);
    EXPECT_FALSE(Red(monday));
    EXPECT_FALSE(dlg->Control(1101)->isVisible());

    auto* tuesday = Get<QLineEdit>(*dlg, 4202);
    tuesday->setText("10:00,10:10");
    tuesday->setFocus();
    QTest::keyClick(tuesday, Qt::Key_Return);
    EXPECT_EQ(group->CheckResult(3), 10);
    EXPECT_TRUE(dlg->Control(1102)->isVisible());
    EXPECT_NE(dlg->result(), QDialog::Accepted); // stays for the correction
    EXPECT_TRUE(dlg->isVisible());

    // A closed weekday with a time: units digit, whether or not its box is ticked.
    auto* sunday = Get<QLineEdit>(*dlg, 4200);
    EXPECT_TRUE(Get<QCheckBox>(*dlg, 4000)->isChecked()); // offered by default
    sunday->setText("10:00");
    LeaveBox(sunday);
    EXPECT_EQ(group->CheckResult(1), 1);
    Get<QCheckBox>(*dlg, 4000)->setChecked(false);
    sunday->setText("10:00,");
    LeaveBox(sunday);
    EXPECT_EQ(group->CheckResult(1), 1);
    sunday->clear();
    LeaveBox(sunday);

    tuesday->setText("10:00,10:30");
    QTest::keyClick(tuesday, Qt::Key_Return);
    EXPECT_EQ(group->CheckResult(3), 0);
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(clinic.Get("FRIST_APPOINTMENTS", "Times3"), "10:00,10:30");
    EXPECT_EQ(clinic.Get("FRIST_APPOINTMENTS", "TIME"), "30");
}

// Switching the booking mode keeps the page's edits; each mode has its own slots, and OK stores
// those of the mode chosen.
TEST(FirstVisitGroup, BookingModeSwitchKeepsThePage) {
    DialogTestApp();
    PageClinic clinic;
    CSettingDlg dlg(nullptr, "C0001");
    auto* title = Get<QLineEdit>(dlg, 1025);
    auto* slotEdit = Get<QLineEdit>(dlg, 1006);
    auto* designated = Get<QComboBox>(dlg, 1008);
    EXPECT_EQ(Get<QLabel>(dlg, 1007)->text(), U("ドクター指定"));
    title->setText(U("矯正相談"));
    slotEdit->setText("01,02");
    designated->setCurrentIndex(designated->findText(U("鈴木")));
    Get<QPlainTextEdit>(dlg, 1026)->setPlainText(U("一行目\n二行目"));

    Get<QRadioButton>(dlg, 1005)->click();
    EXPECT_EQ(title->text(), U("矯正相談"));
    EXPECT_EQ(Get<QPlainTextEdit>(dlg, 1026)->toPlainText(), U("一行目\n二行目"));
    EXPECT_EQ(slotEdit->text(), "");
    EXPECT_EQ(Get<QLabel>(dlg, 1007)->text(), U("ユニット指定"));
    EXPECT_NE(designated->findText(U("ユニット2")), -1);
    slotEdit->setText("D1");

    Get<QRadioButton>(dlg, 1004)->click();
    EXPECT_EQ(slotEdit->text(), "01,02");
    EXPECT_EQ(designated->currentText(), U("鈴木"));
    dlg.accept();
    EXPECT_EQ(clinic.Get("FRIST_APPOINTMENTS", "UNIT_ID"), "01,02");
    EXPECT_EQ(clinic.Get("FRIST_APPOINTMENTS", "UNIT_DOCTOR_ID"), "D1");
    EXPECT_EQ(clinic.Get("FRIST_APPOINTMENTS", "TITLE"), "矯正相談");
    EXPECT_EQ(clinic.Get("FRIST_APPOINTMENTS", "NOTE"), "一行目[$ENTER]二行目");

    CSettingDlg again(nullptr, "C0001");
    EXPECT_EQ(Get<QPlainTextEdit>(again, 1026)->toPlainText(), U("一行目\n二行目"));
}

// The panel below the tabs is painted in the tint of the face colour.
TEST(FirstVisitGroup, PanelTint) {
    DialogTestApp();
    PageClinic clinic;
    CSettingDlg dlg(nullptr, "C0001");
    dlg.show();
    FirstVisitGroup* group = dlg.findChild<FirstVisitGroup*>();
    ASSERT_NE(group, nullptr);
    TintedPanel* panel = group->Panel();
    const QImage img = panel->grab().toImage();
    const QColor face = dlg.palette().color(QPalette::Window);
    const QColor expected(std::max(face.red() - 10, 0), std::max(face.red() - 20, 0),
                          face.blue() == 255 ? 200 : std::min(face.blue() + 20, 255));
    EXPECT_EQ(panel->Tint(), expected);
    EXPECT_EQ(img.pixelColor(img.width() - 2, img.height() - 2), expected);
    EXPECT_LE(group->Tabs()->geometry().bottom(), panel->geometry().top());
}

// Pages stored by the dialog are what one headless cycle publishes as first-visit hours.
TEST(FirstVisitGroup, StoredPagesArePublishedByOneCycle) {
    DialogTestApp();
    PageClinic clinic;
    WebDb db;
    clinic.UseWebDatabase(db);
    clinic.Set("FRIST_APPOINTMENTS", "USE_RANGE", "0");
    {
        CSettingDlg dlg(nullptr, "C0001");
        Get<QLineEdit>(dlg, 1006)->setText("01");
        Get<QLineEdit>(dlg, 1021)->setText("30");
        Get<QCheckBox>(dlg, 4001)->setChecked(true);
        Get<QLineEdit>(dlg, 4201)->setText("11:00,9:00");
        Get<QPushButton>(dlg, 1023)->click();
        Get<QLineEdit>(dlg, 1025)->setText(U("矯正相談"));
        Get<QLineEdit>(dlg, 1006)->setText("02");
        Get<QCheckBox>(dlg, 4002)->setChecked(true);
        Get<QLineEdit>(dlg, 4202)->setText("1400");
        dlg.accept();
        ASSERT_EQ(dlg.result(), QDialog::Accepted);
    }

    std::ostringstream out;
    OperationLog log(platform::SystemClock::Instance(), {});
    EngineState state;
    WebSession web(WebDbValues(db));
    HeadlessRunner runner(AgentSettings::Process(), web, log, platform::SystemClock::Instance(),
                          state, out);
    ASSERT_EQ(runner.Run(true), 0) << out.str();

    auto rows = db.Query("SELECT first_appo_flag,working_day,am_start_time,am_end_time,time_list "
                         "FROM appo_times WHERE first_appo_flag>0 AND working_day IN ('MON','TUE') "
                         "ORDER BY first_appo_flag,working_day");
    ASSERT_EQ(rows.size(), 4u) << out.str();
    auto row = [&](std::size_t i) {
        std::string text;
        for (const auto& v : rows[i])
            text += (v ? *v : "NULL") + "|";
        return text;
    };
    EXPECT_EQ(row(0), "1|MON|09:00:00|11:30:00|11:00,9:00|");
    EXPECT_EQ(row(1), "1|TUE|00:00:00|00:00:00|NULL|");
    EXPECT_EQ(row(2), "2|MON|00:00:00|00:00:00|NULL|");
    EXPECT_EQ(row(3), "2|TUE|14:00:00|15:00:00|1400|"); // the list as typed
    EXPECT_EQ(db.Scalar("SELECT title FROM appo_types WHERE type IS NULL AND name=2"),
              J("矯正相談"));
    EXPECT_EQ(db.Scalar("SELECT available_unit_id FROM appo_types WHERE type IS NULL AND "
                        "name IS NULL"),
              "01");
}
