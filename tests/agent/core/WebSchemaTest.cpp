#include <gtest/gtest.h>

#include <set>

#include "TempDir.h"
#include "WebDb.h"
#include "WebDbValues.h"
#include "agent/core/WebSchema.h"
#include "agent/core/WebSession.h"
#include "platform/Profile.h"

namespace {

const char* const kGroupA[] = {"appo_times.time_list", "appo_types.title", "appo_types.note",
                               "appo_types.required", "first_appointments.appo_flag"};
const char* const kGroupB[] = {"hospital_infos.url"};
const char* const kGroupC[] = {"hospital_infos.hidden_appotype", "hospital_infos.hidden_endtime",
                               "hospital_infos.calendar_type"};
const char* const kGroupD[] = {"hospital_infos.url_title", "hospital_infos.url2",
                               "hospital_infos.url2_title"};

std::set<std::string> Columns(const WebDb& db) {
    std::set<std::string> out;
    for (const auto& row : db.Query("SELECT table_name, column_name FROM "
                                    "information_schema.columns WHERE table_schema='" +
                                    db.Name() + "'"))
        out.insert(*row[0] + "." + *row[1]);
    return out;
}

} // namespace

TEST(WebSchema, UpgradeFromEveryStoredVersion) {
    for (int version = 0; version <= 5; ++version) {
        SCOPED_TRACE(version);
        WebDb db;
        TempDir dir;
        std::string ini = dir.File("Apposync.ini");
        if (version > 0)
            platform::WriteProfileString(ini, "COMMON", "DB_VERSION", std::to_string(version));
        WebSession s(WebDbValues(db));
        ASSERT_TRUE(s.OpenWebConnection());
        EXPECT_TRUE(UpgradeWebSchema(s.Database(), ini));
        EXPECT_EQ(platform::GetProfileInt(ini, "COMMON", "DB_VERSION", -1),
                  version >= 4 ? (version == 4 ? 4 : 5) : 4);
        auto cols = Columns(db);
        auto expect = [&](const auto& group, bool present) {
            for (const char* c : group)
                EXPECT_EQ(cols.count(c), present ? 1u : 0u) << c;
        };
        expect(kGroupA, version <= 0);
        expect(kGroupB, version <= 1);
        expect(kGroupC, version <= 2);
        expect(kGroupD, version <= 3);
    }
}

TEST(WebSchema, SecondClinicMeetsDuplicateAndStillStoresFour) {
    WebDb db;
    TempDir first, second;
    WebSession a(WebDbValues(db));
    WebSession b(WebDbValues(db));
    ASSERT_TRUE(a.OpenWebConnection());
    ASSERT_TRUE(b.OpenWebConnection());
    EXPECT_TRUE(UpgradeWebSchema(a.Database(), first.File("Apposync.ini")));
    EXPECT_TRUE(UpgradeWebSchema(b.Database(), second.File("Apposync.ini")));
    EXPECT_EQ(platform::GetProfileInt(second.File("Apposync.ini"), "COMMON", "DB_VERSION", -1), 4);
    EXPECT_EQ(Columns(db).count("hospital_infos.url2_title"), 1u);
}

TEST(WebSchema, FailingStatementLeavesTheStoredVersion) {
    WebDb db;
    TempDir dir;
    std::string ini = dir.File("Apposync.ini");
    platform::WriteProfileString(ini, "COMMON", "DB_VERSION", "2");
    db.Exec("DROP TABLE hospital_infos");
    WebSession s(WebDbValues(db));
    ASSERT_TRUE(s.OpenWebConnection());
    EXPECT_FALSE(UpgradeWebSchema(s.Database(), ini));
    EXPECT_EQ(platform::GetProfileInt(ini, "COMMON", "DB_VERSION", -1), 2);

    // Once the table is back the next cycle finishes the upgrade.
    db.Exec("CREATE TABLE hospital_infos (id INT PRIMARY KEY, code VARCHAR(32))");
    EXPECT_TRUE(UpgradeWebSchema(s.Database(), ini));
    EXPECT_EQ(platform::GetProfileInt(ini, "COMMON", "DB_VERSION", -1), 4);
    EXPECT_FALSE(s.ReconnectNeeded());
}
