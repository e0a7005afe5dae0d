#include <gtest/gtest.h>

#include "ClosedPort.h"
#include "DialogClinic.h"
#include "WebDb.h"
#include "WebDbValues.h"
#include "agent/core/AgentSettings.h"
#include "agent/core/WebSchema.h"
#include "agent/core/WebSession.h"
#include "agent/dialogs/UrlSettings.h"
#include "platform/Cp932.h"

using platform::J;

namespace {

// A session on a fresh web database brought up to the current schema (the URL columns come with
// the upgrade).
struct UrlRig {
    UrlRig() : web(WebDbValues(db), [](std::chrono::milliseconds) {}) {
        EXPECT_TRUE(web.OpenWebConnection());
        EXPECT_TRUE(UpgradeWebSchema(web.Database(), AgentSettings::ProfileFile()));
    }
    DialogClinic clinic;
    WebDb db;
    WebSession web;
};

} // namespace

// No row yet: INSERT with the code and the four values (empty ones NULL); a second OK updates
// the same row. Values are cut to 256 and 20 characters, in the file and on the web.
TEST(UrlSettings, InsertThenUpdateWithNullsAndCuts) {
    UrlRig rig;
    UrlSettings s;
    s.url = "https://clinic.example/" + std::string(300 - 23, 'u');
    s.title = J("ご予約はこちらからどうぞ。お待ちしています"); // 21 characters
    ASSERT_TRUE(s.Write());
    EXPECT_EQ(rig.clinic.Get("COMMON", "LINK_URL").size(), 256u);
    EXPECT_EQ(rig.clinic.Get("COMMON", "URL_TITLE"), "ご予約はこちらからどうぞ。お待ちしていま");
    EXPECT_EQ(rig.clinic.Get("COMMON", "LINK_URL2"), "");

    ASSERT_EQ(s.Publish(rig.web, "C0001").kind, UrlSettings::Outcome::Written);
    auto rows = rig.db.Query("SELECT code,url,url_title,url2,url2_title FROM hospital_infos");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], "C0001");
    ASSERT_TRUE(rows[0][1]);
    EXPECT_EQ(rows[0][1]->size(), 256u);
    EXPECT_EQ(rows[0][1]->substr(0, 23), "https://clinic.example/");
    EXPECT_EQ(rows[0][2], J("ご予約はこちらからどうぞ。お待ちしていま"));
    EXPECT_EQ(rows[0][3], std::nullopt);
    EXPECT_EQ(rows[0][4], std::nullopt);

    UrlSettings second;
    second.url2 = "https://left.example/";
    second.title2 = J("左");
    ASSERT_EQ(second.Publish(rig.web, "C0001").kind, UrlSettings::Outcome::Written);
    rows = rig.db.Query("SELECT code,url,url_title,url2,url2_title FROM hospital_infos");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][1], std::nullopt);
    EXPECT_EQ(rows[0][2], std::nullopt);
    EXPECT_EQ(rows[0][3], "https://left.example/");
    EXPECT_EQ(rows[0][4], J("左"));
}

// An unreachable server is reported as such (the values are in the file already); a refused
// statement carries the database's text.
TEST(UrlSettings, ConnectionAndStatementFailuresAreReported) {
    UrlRig rig;
    WebConnectionValues nowhere = WebDbValues(rig.db);
    nowhere.host = "127.0.0.1";
    nowhere.port = ClosedPort(); // nothing listens there
    nowhere.connectTimeoutSeconds = 1;
    WebSession unreachable(nowhere, [](std::chrono::milliseconds) {});
    UrlSettings s;
    s.url = "https://clinic.example/";
    const UrlSettings::Outcome failed = s.Publish(unreachable, "C0001");
    EXPECT_EQ(failed.kind, UrlSettings::Outcome::NotConnected);
    EXPECT_FALSE(failed.error.empty());

    rig.db.Exec("ALTER TABLE hospital_infos DROP COLUMN url2_title");
    const UrlSettings::Outcome refused = s.Publish(rig.web, "C0001");
    EXPECT_EQ(refused.kind, UrlSettings::Outcome::StatementFailed);
    EXPECT_NE(refused.error.find("url2_title"), std::string::npos) << refused.error;
}
