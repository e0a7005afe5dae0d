#include "platform/ClinicZone.h"
#include "platform/Cp932.h"
#include "platform/FileOps.h"

#include "ClinicZoneGuard.h"
#include "TempDir.h"

#include <gtest/gtest.h>

using platform::J;

namespace {

// 2024-01-04 23:30:00 UTC: 08:30 of the next day in Japan.
constexpr std::time_t kJapanMorning = 1704411000;
// 2024-03-31 01:00:00 UTC: British summer time begins.
constexpr std::time_t kLondonSummerStarts = 1711846800;

std::string Fields(const std::tm& t) {
    char buf[80];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1,
                  t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return buf;
}

std::tm Local(int y, int mo, int d, int h, int mi, int s) {
    std::tm t{};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_min = mi;
    t.tm_sec = s;
    return t;
}

} // namespace

TEST(ClinicZone, OnlyRelativeNamesOfZoneFilesAreZones) {
    EXPECT_TRUE(platform::IsZoneName("Asia/Tokyo"));
    EXPECT_TRUE(platform::IsZoneName("Europe/London"));
    EXPECT_TRUE(platform::IsZoneName("America/New_York"));
    EXPECT_TRUE(platform::IsZoneName("Etc/GMT+9"));
    EXPECT_TRUE(platform::IsZoneName("UTC"));

    for (const char* bad :
         {"", "Asia/Tokio", "asia/tokyo", "Asia", "Asia/", "/Asia/Tokyo", "Asia//Tokyo",
          "/usr/share/zoneinfo/Asia/Tokyo", "../zoneinfo/Asia/Tokyo", "Asia/../Asia/Tokyo",
          "./Asia/Tokyo", "Asia/Tokyo ", "JST-9", "Asia/Tokyo,M3.5.0"})
        EXPECT_FALSE(platform::IsZoneName(bad)) << "'" << bad << "'";

    // A file in the zone folder is a zone only when it is one of the database's files.
    TempDir folder;
    std::string tokyo;
    ASSERT_TRUE(platform::ReadFile(std::string(platform::kZoneinfoFolder) + "/Asia/Tokyo", tokyo));
    folder.Write("Copy/Tokyo", tokyo);
    folder.Write("Fake/Zone", "not a zone file");
    folder.Write("Empty/Zone", "");
    const std::string root = folder.Path().substr(0, folder.Path().size() - 1);
    EXPECT_TRUE(platform::IsZoneName("Copy/Tokyo", root));
    EXPECT_FALSE(platform::IsZoneName("Fake/Zone", root));
    EXPECT_FALSE(platform::IsZoneName("Empty/Zone", root));
    EXPECT_FALSE(platform::IsZoneName("Copy", root));
    EXPECT_FALSE(platform::IsZoneName("Asia/Tokyo", root));
}

TEST(ClinicZone, LocalFieldsFollowTheZoneSet) {
    {
        ClinicZoneGuard zone("Asia/Tokyo");
        EXPECT_EQ(platform::ClinicZoneName(), "Asia/Tokyo");
        EXPECT_EQ(Fields(platform::ToClinicTime(kJapanMorning)), "2024-01-05 08:30:00");
        std::tm back = Local(2024, 1, 5, 8, 30, 0);
        EXPECT_EQ(platform::FromClinicTime(back), kJapanMorning);

        // An unknown zone changes nothing.
        EXPECT_FALSE(platform::SetClinicZone("Asia/Tokio"));
        EXPECT_EQ(platform::ClinicZoneName(), "Asia/Tokyo");
        EXPECT_EQ(Fields(platform::ToClinicTime(kJapanMorning)), "2024-01-05 08:30:00");

        // Fields out of range are carried over as the C library does.
        std::tm over = Local(2024, 2, 30, 24, 0, 0);
        platform::FromClinicTime(over);
        EXPECT_EQ(Fields(over), "2024-03-02 00:00:00");
        std::tm dayZero = Local(2024, 3, 0, 12, 0, 0);
        platform::FromClinicTime(dayZero);
        EXPECT_EQ(Fields(dayZero), "2024-02-29 12:00:00");

        {
            ClinicZoneGuard london("Europe/London");
            EXPECT_EQ(Fields(platform::ToClinicTime(kJapanMorning)), "2024-01-04 23:30:00");
            EXPECT_EQ(Fields(platform::ToClinicTime(kLondonSummerStarts - 1)),
                      "2024-03-31 00:59:59");
            EXPECT_EQ(Fields(platform::ToClinicTime(kLondonSummerStarts)), "2024-03-31 02:00:00");
            // Whether summer time applies is looked up, never taken from the caller's fields.
            std::tm winter = Local(2024, 1, 4, 23, 30, 0);
            winter.tm_isdst = 1;
            EXPECT_EQ(platform::FromClinicTime(winter), kJapanMorning);
            std::tm summer = Local(2024, 3, 31, 2, 0, 0);
            EXPECT_EQ(platform::FromClinicTime(summer), kLondonSummerStarts);
        }
        EXPECT_EQ(platform::ClinicZoneName(), "Asia/Tokyo");
        EXPECT_EQ(Fields(platform::ToClinicTime(kJapanMorning)), "2024-01-05 08:30:00");
    }
}

// A clock's instant reads as the whole second it is in, also before 1970 where truncating
// towards zero would give the second after.
TEST(ClinicZone, AClocksInstantReadsAsTheSecondItIsIn) {
    using namespace std::chrono;
    ClinicZoneGuard zone("Asia/Tokyo");
    const auto morning = system_clock::from_time_t(kJapanMorning);
    EXPECT_EQ(Fields(platform::ToClinicTime(morning)), "2024-01-05 08:30:00");
    EXPECT_EQ(Fields(platform::ToClinicTime(morning + milliseconds(999))), "2024-01-05 08:30:00");
    EXPECT_EQ(Fields(platform::ToClinicTime(morning - milliseconds(1))), "2024-01-05 08:29:59");
    EXPECT_EQ(Fields(platform::ToClinicTime(system_clock::time_point{} - milliseconds(500))),
              "1970-01-01 08:59:59");
}

TEST(ClinicZone, StartReadsTheProductSettingsAndFallsBackToJapanWithOneProblem) {
    ClinicZoneGuard restore("UTC");
    TempDir home;
    const std::string ini = home.File("PelmoV3.ini");

    // No file, or no key: Japan, nothing to report.
    platform::ClinicZoneChoice choice = platform::UseClinicZone(ini);
    EXPECT_EQ(choice.zone, "Asia/Tokyo");
    EXPECT_EQ(choice.problem, "");
    EXPECT_EQ(Fields(platform::ToClinicTime(kJapanMorning)), "2024-01-05 08:30:00");
    EXPECT_FALSE(choice.machine.empty());
    EXPECT_EQ(choice.DiffersFromMachine(), choice.machine != "Asia/Tokyo");

    home.Write("PelmoV3.ini", "[GLOBAL]\r\nDATABASE=/x/\r\nTIMEZONE=\r\n");
    EXPECT_EQ(platform::UseClinicZone(ini).zone, "Asia/Tokyo");

    home.Write("PelmoV3.ini", "[global]\r\ntimezone = Europe/London \r\n");
    choice = platform::UseClinicZone(ini);
    EXPECT_EQ(choice.zone, "Europe/London");
    EXPECT_EQ(choice.problem, "");
    EXPECT_EQ(platform::StartZoneChoice().zone, "Europe/London");
    EXPECT_EQ(Fields(platform::ToClinicTime(kJapanMorning)), "2024-01-04 23:30:00");

    // A misspelt zone, or a path out of the zone folder: Japan time and one line saying why.
    for (const std::string bad : {"Asia/Tokio", "../../../etc/passwd"}) {
        home.Write("PelmoV3.ini", "[GLOBAL]\r\nTIMEZONE=" + bad + "\r\n");
        choice = platform::UseClinicZone(ini);
        EXPECT_EQ(choice.zone, "Asia/Tokyo");
        EXPECT_EQ(choice.problem, "PelmoV3.ini" + J(" の [GLOBAL] TIMEZONE「") + bad +
                                      J("」は時間帯データベースにありません。Asia/Tokyo "
                                        "の時刻で動作します。"));
        EXPECT_EQ(Fields(platform::ToClinicTime(kJapanMorning)), "2024-01-05 08:30:00");
        EXPECT_EQ(platform::StartZoneChoice().problem, choice.problem);
    }

    // Without Japan in the database the zone in effect stays, and the line says so: never a
    // silent change to UTC.
    TempDir emptyDatabase;
    home.Write("PelmoV3.ini", "[GLOBAL]\r\nTIMEZONE=Europe/London\r\n");
    choice = platform::UseClinicZone(ini, emptyDatabase.Path());
    EXPECT_EQ(choice.zone, "");
    EXPECT_NE(choice.problem.find(J("に Asia/Tokyo がありません")), std::string::npos)
        << platform::Cp932ToUtf8(choice.problem);
    EXPECT_FALSE(choice.DiffersFromMachine());
    EXPECT_EQ(Fields(platform::ToClinicTime(kJapanMorning)), "2024-01-05 08:30:00");
}

TEST(ClinicZone, TheZoneInEffectBeforeComesBack) {
    const std::string name = platform::ClinicZoneName();
    const std::string fields = Fields(platform::ToClinicTime(kJapanMorning));
    {
        ClinicZoneGuard zone(name == "Pacific/Auckland" ? "Asia/Tokyo" : "Pacific/Auckland");
        EXPECT_NE(Fields(platform::ToClinicTime(kJapanMorning)), fields);
    }
    EXPECT_EQ(platform::ClinicZoneName(), name);
    EXPECT_EQ(Fields(platform::ToClinicTime(kJapanMorning)), fields);
}
