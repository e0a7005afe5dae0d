// The slot chooser and the URL settings dialog offscreen.
#include <gtest/gtest.h>

#include "ClosedPort.h"
#include "DialogClinic.h"
#include "DialogTestApp.h"
#include "WebDb.h"
#include "agent/core/AgentSettings.h"
#include "agent/core/WebSchema.h"
#include "agent/core/WebSession.h"
#include "agent/core/WebSettings.h"
#include "agent/dialogs/CUnitSel.h"
#include "agent/dialogs/CUrlSetting.h"
#include "outside/pelmodb/CPelmoDBSys.h"
#include "platform/Cp932.h"

#include <QLineEdit>
#include <QListWidget>

using platform::J;

TEST(UnitSelDlg, TickedSlotsInListOrder) {
    DialogTestApp();
    DialogClinic clinic;
    clinic.AddCategory("1", "01", "ユニット1");
    clinic.AddCategory("1", "02", "ユニット2");
    clinic.AddCategory("1", "03", "ユニット3");
    CPelmoDBSys sys(clinic.DatabaseFolder());
    CUnitSel dlg(kUnitMode, sys, "03,01", nullptr);
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("相談予約枠の選択"));
    QListWidget* list = dlg.List();
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(1)->text(), QString::fromUtf8("02,ユニット2"));
    EXPECT_EQ(list->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(list->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(list->item(2)->checkState(), Qt::Checked);
    list->item(1)->setCheckState(Qt::Checked);
    SaveScreenshot(dlg, "slot_chooser");
    dlg.accept();
    EXPECT_EQ(dlg.Result(), "01,02,03");
}

namespace {

// The URL dialog on a clinic whose settings name a fresh, upgraded web database.
struct UrlClinic {
    UrlClinic() {
        clinic.UseWebDatabase(db);
        AgentSettings::SetProfileFile("");
        web.SetValues(WebConnectionValuesFromSettings());
        EXPECT_TRUE(web.OpenWebConnection());
        EXPECT_TRUE(UpgradeWebSchema(web.Database(), AgentSettings::ProfileFile()));
        web.Close();
    }
    DialogClinic clinic;
    WebDb db;
    WebSession web{{}, [](std::chrono::milliseconds) {}};
};

QLineEdit* Edit(const CUrlSetting& dlg, int id) {
    auto* e = qobject_cast<QLineEdit*>(dlg.Control(id));
    EXPECT_NE(e, nullptr) << id;
    return e;
}

} // namespace

// The edits take at most 256 and 20 characters; OK stores the keys and the web row.
TEST(UrlSettingDlg, LimitsAndOkWritesFileAndRow) {
    DialogTestApp();
    UrlClinic rig;
    rig.clinic.Set("COMMON", "URL_TITLE", "予約");
    CUrlSetting dlg(rig.web, "C0001");
    EXPECT_EQ(Edit(dlg, 1013)->text(), QString::fromUtf8("予約"));
    Edit(dlg, 1006)->setText(QString(300, 'a'));
    EXPECT_EQ(Edit(dlg, 1006)->text().size(), 256);
    Edit(dlg, 1017)->setText(QString::fromUtf8("あいうえおかきくけこさしすせそたちつてとな"));
    EXPECT_EQ(Edit(dlg, 1017)->text().size(), 20);
    std::vector<std::string> messages;
    dlg.SetInform([&](const std::string& m) { messages.push_back(m); });
    SaveScreenshot(dlg, "url_dialog");
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(rig.clinic.Get("COMMON", "LINK_URL"), std::string(256, 'a'));
    EXPECT_EQ(rig.clinic.Get("COMMON", "URL2_TITLE"), "あいうえおかきくけこさしすせそたちつてと");
    EXPECT_EQ(rig.db.Scalar("SELECT url_title FROM hospital_infos WHERE code='C0001'"), J("予約"));
    EXPECT_EQ(rig.db.Scalar("SELECT url2 FROM hospital_infos WHERE code='C0001'"), std::nullopt);
}

// An unreachable web database is reported and the dialog stays open with the file written.
TEST(UrlSettingDlg, UnreachableDatabaseSaysSoAndStaysOpen) {
    DialogTestApp();
    UrlClinic rig;
    WebConnectionValues nowhere = rig.web.Values();
    nowhere.port = ClosedPort();
    nowhere.connectTimeoutSeconds = 1;
    rig.web.SetValues(nowhere);
    CUrlSetting dlg(rig.web, "C0001");
    Edit(dlg, 1006)->setText("https://clinic.example/");
    std::vector<std::string> messages;
    dlg.SetInform([&](const std::string& m) { messages.push_back(m); });
    dlg.accept();
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(J("接続できませんでした")), std::string::npos);
    EXPECT_NE(messages[0].find(J("保存済み")), std::string::npos);
    EXPECT_EQ(rig.clinic.Get("COMMON", "LINK_URL"), "https://clinic.example/");
}
