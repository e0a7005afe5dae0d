// The booking settings dialog offscreen: enable rules, limits, the type list with its warnings
// and hidden-type tokens, the booking-mode switch, and what OK leaves in the files.
#include <gtest/gtest.h>

#include "DialogClinic.h"
#include "DialogTestApp.h"
#include "SettingDlgAccess.h"
#include "agent/core/WebSession.h"
#include "agent/dialogs/CSettingDlg.h"
#include "agent/dialogs/TypeListBox.h"
#include "agent/dialogs/TypeListDelegate.h"
#include "platform/Cp932.h"
#include "platform/FileOps.h"
#include "platform/qt/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using platform::J;

namespace {

QStringList Items(const QComboBox* c) {
    QStringList items;
    for (int i = 0; i < c->count(); ++i)
        items << c->itemText(i);
    return items;
}

// Text is drawn smoothed: its strokes are near the pen colour rather than equal to it.
int CountReddish(const QImage& img, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom() && y < img.height(); ++y)
        for (int x = area.left(); x <= area.right() && x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 90 && c.blue() < 90)
                ++n;
        }
    return n;
}

int CountColour(const QImage& img, const QRect& area, const QColor& c) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom() && y < img.height(); ++y)
        for (int x = area.left(); x <= area.right() && x < img.width(); ++x)
            if (img.pixelColor(x, y) == c)
                ++n;
    return n;
}

// The list's viewport as painted, in logical pixels.
QImage ListImage(TypeListBox* list) {
    list->Redraw();
    QApplication::processEvents();
    QImage img = list->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    return img.scaled(list->viewport()->size());
}

// A clinic with three appointment types, two units, two doctors and an entry folder.
struct SettingClinic : DialogClinic {
    SettingClinic() {
        AddCategory("0", "01", "検診");
        AddCategory("0", "02", "クリーニング");
        AddCategory("0", "03", "抜歯");
        AddCategory("1", "01", "ユニット1");
        AddCategory("1", "02", "ユニット2");
        AddDoctor("D1", "鈴木");
        AddDoctor("D2", "佐藤");
        SetEntryFolder(Entry());
        platform::MakeDirs(Entry());
    }
    std::string Entry() const { return DatabaseFolder() + "Entry/"; }
};

void ClickBox(TypeListBox* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->BoxRect(row).center());
}

} // namespace

TEST(SettingDlg, TimeLimitAndWindowEnableRulesAndHour24) {
    DialogTestApp();
    SettingClinic clinic;
    clinic.Set("COMMON", "LIMIT_TODAY", "0");
    clinic.Set("COMMON", "LIMIT_TIME_H", "18");
    clinic.Set("COMMON", "LIMIT_TIME_M", "5");
    CSettingDlg dlg(nullptr, "C0001");

    auto* today = Get<QCheckBox>(dlg, 4102);
    auto* hour = Get<QLineEdit>(dlg, 9436);
    auto* minute = Get<QLineEdit>(dlg, 9437);
    EXPECT_FALSE(today->isChecked());
    EXPECT_FALSE(hour->isEnabled());
    EXPECT_FALSE(minute->isEnabled());
    EXPECT_EQ(hour->text(), "18");
    EXPECT_EQ(minute->text(), "05");
    today->click();
    EXPECT_TRUE(hour->isEnabled());
    EXPECT_TRUE(minute->isEnabled());

    // 自動 enables the months ahead, 手動 the year and month.
    EXPECT_TRUE(Get<QRadioButton>(dlg, 1029)->isChecked());
    EXPECT_TRUE(dlg.Control(1031)->isEnabled());
    EXPECT_FALSE(dlg.Control(1032)->isEnabled());
    Get<QRadioButton>(dlg, 1030)->click();
    EXPECT_FALSE(dlg.Control(1031)->isEnabled());
    EXPECT_TRUE(dlg.Control(1032)->isEnabled());
    EXPECT_TRUE(dlg.Control(1033)->isEnabled());
    auto* year = Get<QComboBox>(dlg, 1032);
    EXPECT_EQ(year->count(), 5);
    year->setEditText("2031");
    Get<QComboBox>(dlg, 1033)->setEditText("7");

    hour->setText("24");
    minute->setText("30");
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(clinic.Get("COMMON", "LIMIT_TODAY"), "1");
    EXPECT_EQ(clinic.Get("COMMON", "LIMIT_TIME_H"), "24");
    EXPECT_EQ(clinic.Get("COMMON", "LIMIT_TIME_M"), "0");
    EXPECT_EQ(clinic.Get("COMMON", "LIMIT_TYPE"), "1");
    EXPECT_EQ(clinic.Get("COMMON", "LIMIT_MANUAL_Y"), "2031");
    EXPECT_EQ(clinic.Get("COMMON", "LIMIT_MANUAL_M"), "7");
    SaveScreenshot(dlg, "setting_dialog");
}

// A changeable type without slots and minutes is drawn in red with the unit-mode warning, and
// selected on RGB(150, 200, 255); a complete type uses the ordinary colours.
TEST(SettingDlg, IncompleteChangeableTypeWarnedInRed) {
    DialogTestApp();
    SettingClinic clinic;
    clinic.Set("PENDING_APPOINTMENTS", "TYPE", "01,02");
    clinic.Set("PENDING_APPOINTMENTS", "CHANGE_OK", "1,1");
    clinic.Set("PENDING_APPOINTMENTS", "TYPETIME", "0,30");
    clinic.Set("PENDING_APPOINTMENTS", "TYPEUNIT", ",01");
    CSettingDlg dlg(nullptr, "C0001");
    dlg.resize(1200, 700);
    dlg.show();
    TypeListBox* list = dlg.TypeList();
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(dlg.Types().Warning(0), J(" ※ユニット、診療時間が未指定です！"));
    EXPECT_EQ(dlg.Types().Warning(1), "");

    const QRect row0 = list->visualRect(list->model()->index(0, 0));
    const QRect row1 = list->visualRect(list->model()->index(1, 0));
    QImage img = ListImage(list);
    EXPECT_GT(CountReddish(img, row0), 40);
    EXPECT_EQ(CountReddish(img, row1), 0);
    // The boxes: dark for the changeable types, white for the third.
    EXPECT_GT(CountColour(img, list->BoxRect(0), TypeListDelegate::CheckedBox()), 10);
    EXPECT_EQ(CountColour(img, list->BoxRect(2), TypeListDelegate::CheckedBox()), 0);

    list->setCurrentRow(0);
    img = ListImage(list);
    EXPECT_GT(CountColour(img, row0, TypeListDelegate::WarnedSelection()), 100);
    list->setCurrentRow(1);
    img = ListImage(list);
    EXPECT_EQ(CountColour(img, row1, TypeListDelegate::WarnedSelection()), 0);
    EXPECT_EQ(CountColour(img, row0, TypeListDelegate::WarnedSelection()), 0);

    // Giving the first type slots and minutes clears its warning once the edits are left.
    list->setCurrentRow(0);
    Get<QLineEdit>(dlg, 1013)->setText("01");
    Get<QLineEdit>(dlg, 1020)->setText("30");
    emit Get<QLineEdit>(dlg, 1020)->editingFinished();
    EXPECT_EQ(dlg.Types().Warning(0), "");
    SaveScreenshot(dlg, "setting_dialog_types");
}

// Selecting a type shows its record; the editing controls follow its box; the slot chooser's
// result lands in the slots; OK stores the lists.
TEST(SettingDlg, TypeEditingAndSlotChooser) {
    DialogTestApp();
    SettingClinic clinic;
    clinic.Set("PENDING_APPOINTMENTS", "TYPE", "01,02,03");
    clinic.Set("PENDING_APPOINTMENTS", "CHANGE_OK", "1,0,1");
    clinic.Set("PENDING_APPOINTMENTS", "TYPETIME", "30,15,45");
    clinic.Set("PENDING_APPOINTMENTS", "TYPEUNIT", "01_02,,02");
    clinic.Set("PENDING_APPOINTMENTS", "TYPEDOCTOR", "D2,,D9");
    clinic.Set("PENDING_APPOINTMENTS", "TYPEDAY", "3-1,0-0,1-2");
    clinic.Set("PENDING_APPOINTMENTS", "NAME", "定期検診,,");
    CSettingDlg dlg(nullptr, "C0001");
    BookingMode chooserMode = kDoctorMode;
    std::string chooserIn;
    dlg.SetSlotChooser([&](BookingMode mode, std::string& slotCodes) {
        chooserMode = mode;
        chooserIn = slotCodes;
        slotCodes = "01,02,03";
        return true;
    });
    TypeListBox* list = dlg.TypeList();
    auto* slotCodes = Get<QLineEdit>(dlg, 1013);
    auto* designated = Get<QComboBox>(dlg, 1015);
    EXPECT_FALSE(slotCodes->isEnabled()); // nothing shown yet
    EXPECT_TRUE(dlg.Control(4101)->isEnabled());
    EXPECT_EQ(Get<QLabel>(dlg, 1014)->text(), U("ドクター指定"));
    EXPECT_EQ(Items(designated), (QStringList{"", U("鈴木"), U("佐藤")}));

    list->setCurrentRow(0);
    EXPECT_EQ(dlg.ShownType(), "01");
    EXPECT_EQ(slotCodes->text(), "01,02");
    EXPECT_EQ(designated->currentText(), U("佐藤"));
    EXPECT_EQ(Get<QLineEdit>(dlg, 1020)->text(), "30");
    EXPECT_EQ(Get<QLineEdit>(dlg, 1016)->text(), "3");
    EXPECT_EQ(Get<QLineEdit>(dlg, 1017)->text(), "1");
    EXPECT_EQ(Get<QLineEdit>(dlg, 1018)->text(), U("定期検診"));
    for (int id : {1013, 1003, 1015, 1020, 1016, 1017})
        EXPECT_TRUE(dlg.Control(id)->isEnabled()) << id;
    EXPECT_FALSE(dlg.Control(4101)->isEnabled());

    list->setCurrentRow(1); // not changeable
    for (int id : {1013, 1003, 1015, 1020, 1016, 1017})
        EXPECT_FALSE(dlg.Control(id)->isEnabled()) << id;
    EXPECT_TRUE(dlg.Control(4101)->isEnabled());

    // A designated doctor no longer listed (D9) is shown and kept, not dropped by showing it.
    list->setCurrentRow(2);
    EXPECT_EQ(designated->currentText(), "D9");
    Get<QPushButton>(dlg, 1003)->click();
    EXPECT_EQ(chooserMode, kUnitMode);
    EXPECT_EQ(chooserIn, "02");
    EXPECT_EQ(slotCodes->text(), "01,02,03");
    designated->setCurrentIndex(1); // 鈴木
    Get<QLineEdit>(dlg, 1018)->setText(U("抜歯,奥歯"));

    dlg.accept();
    EXPECT_EQ(clinic.Get("PENDING_APPOINTMENTS", "TYPE"), "01,02,03");
    EXPECT_EQ(clinic.Get("PENDING_APPOINTMENTS", "CHANGE_OK"), "1,0,1");
    EXPECT_EQ(clinic.Get("PENDING_APPOINTMENTS", "TYPETIME"), "30,15,45");
    EXPECT_EQ(clinic.Get("PENDING_APPOINTMENTS", "TYPEUNIT"), "01_02,,01_02_03");
    EXPECT_EQ(clinic.Get("PENDING_APPOINTMENTS", "TYPEDOCTOR"), "D2,,D1");
    EXPECT_EQ(clinic.Get("PENDING_APPOINTMENTS", "TYPEDAY"), "3-1,0-0,1-2");
    EXPECT_EQ(clinic.Get("PENDING_APPOINTMENTS", "NAME"), "定期検診,,抜歯.奥歯");
}

// Hiding a type that patients cannot move adds its token; making it changeable clears the box
// and removes the token at the next collect.
TEST(SettingDlg, HiddenTypeTokenAddedAndRemoved) {
    DialogTestApp();
    SettingClinic clinic;
    clinic.Set("COMMON", "HIDDEN_APPOTYPES", "[03]");
    CSettingDlg dlg(nullptr, "C0001");
    dlg.resize(1200, 700);
    dlg.show();
    QApplication::processEvents();
    TypeListBox* list = dlg.TypeList();
    auto* hidden = Get<QCheckBox>(dlg, 4101);

    list->setCurrentRow(0);
    ASSERT_TRUE(hidden->isEnabled());
    EXPECT_FALSE(hidden->isChecked());
    hidden->setChecked(true);
    list->setCurrentRow(2);
    EXPECT_TRUE(hidden->isChecked()); // 03 was hidden already
    EXPECT_EQ(dlg.Types().HiddenText(), "[03][01]");

    ClickBox(list, 0); // 01 becomes changeable: shown, and no longer hidden
    EXPECT_EQ(dlg.ShownType(), "01");
    EXPECT_TRUE(dlg.Types().Entries()[0].checked);
    EXPECT_FALSE(hidden->isEnabled());
    EXPECT_FALSE(hidden->isChecked());
    EXPECT_EQ(dlg.Types().HiddenText(), "[03][01]"); // until the next collect
    list->setCurrentRow(1);
    EXPECT_EQ(dlg.Types().HiddenText(), "[03]");

    dlg.accept();
    EXPECT_EQ(clinic.Get("COMMON", "HIDDEN_APPOTYPES"), "[03]");
    EXPECT_EQ(clinic.Get("PENDING_APPOINTMENTS", "CHANGE_OK"), "1,0,0");
}

// Switching to doctor mode relabels the designated list, fills it with units and shows the
// doctor slots of the type; the unit slots typed before are kept.
TEST(SettingDlg, BookingModeSwitch) {
    DialogTestApp();
    SettingClinic clinic;
    clinic.Set("PENDING_APPOINTMENTS", "TYPE", "01");
    clinic.Set("PENDING_APPOINTMENTS", "TYPEDOCTOR", "D1");
    CSettingDlg dlg(nullptr, "C0001");
    TypeListBox* list = dlg.TypeList();
    list->setCurrentRow(0);
    Get<QLineEdit>(dlg, 1013)->setText("02");

    Get<QRadioButton>(dlg, 1005)->click();
    EXPECT_EQ(dlg.Types().Mode(), kDoctorMode);
    EXPECT_EQ(Get<QLabel>(dlg, 1014)->text(), U("ユニット指定"));
    EXPECT_EQ(Items(Get<QComboBox>(dlg, 1015)), (QStringList{"", U("ユニット1"), U("ユニット2")}));
    EXPECT_EQ(Get<QLineEdit>(dlg, 1013)->text(), "D1");
    EXPECT_EQ(dlg.Types().Warning(0), J(" ※診療時間が未指定です！")); // doctor slots are set
    ASSERT_NE(dlg.Types().Find("01"), nullptr);
    EXPECT_EQ(dlg.Types().Find("01")->unitSlots, "02");

    Get<QRadioButton>(dlg, 1004)->click();
    EXPECT_EQ(Get<QLabel>(dlg, 1014)->text(), U("ドクター指定"));
    EXPECT_EQ(Get<QLineEdit>(dlg, 1013)->text(), "02");
    Get<QRadioButton>(dlg, 1005)->click();
    dlg.accept();
    EXPECT_EQ(clinic.Get("COMMON", "UNIT_TYPE"), "1");
    EXPECT_EQ(clinic.Get("PENDING_APPOINTMENTS", "TYPEDOCTOR"), "D1,,");
    EXPECT_EQ(clinic.Get("PENDING_APPOINTMENTS", "TYPEUNIT"), ",,"); // no unit designated
}

// Two first-visit pages with every key, as a hand-edited file holds them.
static std::string FirstVisitSection() {
    std::string text = "[FRIST_APPOINTMENTS]\r\nUSE_RANGE=0\r\nPAGE_NUM=2\r\n";
    for (int p = 0; p < 2; ++p) {
        const std::string sfx = p ? "_" + std::to_string(p) : "";
        auto key = [&](const std::string& name, const std::string& value) {
            text += name + sfx + "=" + value + "\r\n";
        };
        key("TITLE", J(p ? "矯正相談" : "初診相談"));
        key("NOTE", J("一行目[$ENTER]二行目"));
        key("REQUIRED", p ? "NAME,KANA,BIRTH,TEL,NOTE," : "NAME,KANA,TEL,");
        key("UNIT_ID", p ? "02" : "01,02");
        key("UNIT_DOCTOR_ID", p ? "" : "D1");
        key("CATEGORY_ID", p ? "02" : "01");
        key("TIME", p ? "45" : "30");
        key("AFTER_DAYS", "2");
        for (int d = 1; d <= 7; ++d) {
            const std::string n = std::to_string(d);
            key("DayOfWeek" + n, d == 1 ? "0" : "1");
            key("Times" + n, d == 1 ? "" : "9:00,10:30,14:00");
            key("WtAmFrm" + n, d == 1 ? "0" : "930");
            key("WtAmTo" + n, d == 1 ? "0" : "1200");
            key("WtPmFrm" + n, d == 1 ? "0" : "1400");
            key("WtPmTo" + n, d == 1 ? "0" : "2400");
        }
    }
    return text;
}

// OK without changes on a hand-written file: the file stays byte for byte as it was (other
// sections and comments included) and the trigger is dropped into the entry folder.
TEST(SettingDlg, OkWithoutChangesKeepsTheFile) {
    DialogTestApp();
    SettingClinic clinic;
    const std::string text =
        "; written by hand\r\n"
        "[COMMON]\r\n"
        "HOST=db.example.jp\r\nPORT=3307\r\n"
        "USER=6DFE6110381B48BBFEC3CB58FA66125B\r\nPASS=080CA37E9CC8EC9819C49CDBFC9EAD31\r\n"
        "MYSQL_DB=demo\r\nDB_VERSION=4\r\nAPPOSEND=2\r\nHIDE_PAYMANT=1\r\nSHOWID_CUT=1\r\n"
        "HIDE_APPOTYPE=1\r\nHIDE_ENDTIME=0\r\nSHOW_TREATMENT=1\r\nUNIT_TYPE=0\r\n"
        "LIMIT_TYPE=1\r\nLIMIT_TODAY=1\r\nLIMIT_AUTO=4\r\nLIMIT_TIME_H=17\r\nLIMIT_TIME_M=30\r\n"
        "LIMIT_MANUAL_Y=2023\r\nLIMIT_MANUAL_M=11\r\nAFTER_DAYS=2\r\n"
        "HIDDEN_APPOTYPES=[02]\r\nLINK_URL=https://clinic.example/\r\nURL_TITLE=" +
        J("当院について") +
        "\r\nLINK_URL2=\r\nURL2_TITLE=\r\n"
        "\r\n"
        "[HOSPITAL_INFO]\r\nNAME=" +
        J("さくら歯科") + "\r\nTEL=03-1234-5678\r\nID=" + J("診察券No") +
        "\r\n"
        "[PENDING_APPOINTMENTS]\r\n"
        "TYPE=01,02,03\r\nCHANGE_OK=1,0,1\r\nTYPETIME=30,0,45\r\nTYPEUNIT=01_02,,02\r\n"
        "TYPEDOCTOR=D1,,D2\r\nTYPEDAY=3-1,0-0,2-0\r\nNAME=" +
        J("定期検診") +
        ",,\r\nTIME=60\r\n"
        "; other programs' settings\r\n"
        "[Notification]\r\nLeft=10\r\n" +
        FirstVisitSection();
    ASSERT_TRUE(platform::WriteFileAtomic(clinic.Ini(), text));

    CSettingDlg dlg(nullptr, "C0001");
    dlg.accept();
    std::string after;
    ASSERT_TRUE(platform::ReadFile(clinic.Ini(), after));
    EXPECT_EQ(platform::Cp932ToUtf8(after), platform::Cp932ToUtf8(text));
    std::string trigger = "x";
    ASSERT_TRUE(platform::ReadFile(clinic.Entry() + "Setting", trigger));
    EXPECT_EQ(trigger, "");
}

// Without a configured entry folder OK stores the settings but drops no trigger anywhere;
// cancel stores nothing.
TEST(SettingDlg, NoTriggerWithoutEntryFolderAndCancelStoresNothing) {
    DialogTestApp();
    SettingClinic clinic;
    clinic.SetEntryFolder("");
    {
        CSettingDlg dlg(nullptr, "C0001");
        Get<QLineEdit>(dlg, 1011)->setText("cancelled.example");
        dlg.reject();
    }
    EXPECT_FALSE(platform::FileExists(clinic.Ini()));

    // The process's connection follows the host and port stored.
    WebSession web(WebConnectionValues{}, [](std::chrono::milliseconds) {});
    CSettingDlg dlg(&web, "C0001");
    Get<QLineEdit>(dlg, 1011)->setText("db2.example");
    Get<QLineEdit>(dlg, 1012)->setText("3310");
    dlg.accept();
    EXPECT_EQ(clinic.Get("COMMON", "HOST"), "db2.example");
    EXPECT_EQ(web.Values().host, "db2.example");
    EXPECT_EQ(web.Values().port, 3310);
    EXPECT_FALSE(platform::FileExists(clinic.Entry() + "Setting"));
    EXPECT_FALSE(platform::FileExists(clinic.EntryFolder() + "Setting"));
}

// The staff calendar address carries the clinic code in Base64; its QR image is saved as a
// 264x264 PNG, and a file that cannot be written is reported.
TEST(SettingDlg, StaffCalendarAddressAndQrImage) {
    DialogTestApp();
    SettingClinic clinic;
    clinic.Set("COMMON", "BOOKING_SITE", "https://site.example/");
    CSettingDlg dlg(nullptr, "C0001");
    EXPECT_EQ(Get<QLineEdit>(dlg, 1040)->text(), "https://site.example/staff/login?code=QzAwMDE=");
    std::string opened;
    dlg.SetOpener([&](const std::string& address) {
        opened = address;
        return true;
    });
    Get<QPushButton>(dlg, 1047)->click();
    EXPECT_EQ(opened, "https://site.example/staff/login?code=QzAwMDE=");

    std::string suggested;
    std::string path = clinic.DatabaseFolder() + "calendar.png";
    dlg.SetFileChooser([&](const std::string& name) {
        suggested = name;
        return path;
    });
    std::vector<std::string> messages;
    dlg.SetInform([&](const std::string& m) { messages.push_back(m); });
    Get<QPushButton>(dlg, 1106)->click();
    EXPECT_EQ(suggested, J("スタッフ用カレンダー"));
    QImage saved(platform::ToQString(path));
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), QSize(264, 264));
    EXPECT_TRUE(messages.empty());

    path = clinic.DatabaseFolder() + "no/such/folder/calendar.png";
    Get<QPushButton>(dlg, 1106)->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(J("保存できませんでした")), std::string::npos);
}

// A settings file that cannot be written keeps the dialog open with a message.
TEST(SettingDlg, UnwritableSettingsFileKeepsTheDialogOpen) {
    DialogTestApp();
    SettingClinic clinic;
    CSettingDlg dlg(nullptr, "C0001");
    std::vector<std::string> messages;
    dlg.SetInform([&](const std::string& m) { messages.push_back(m); });
    platform::MakeDirs(clinic.Ini()); // a folder where the file should be
    dlg.accept();
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(J("保存できませんでした")), std::string::npos);
    EXPECT_FALSE(platform::FileExists(clinic.Entry() + "Setting"));
}
