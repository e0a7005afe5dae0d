#include "agent/core/AgentSettings.h"

#include "TempDir.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace sk = settingkeys;
using WorkTime = AgentSettings::WorkTime;

namespace {

std::time_t Fallback1971() {
    std::tm tm{};
    tm.tm_year = 71;
    tm.tm_mday = 1;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

// The program folder (and so the product settings file) is a temp folder; the database folder
// is its "db" subfolder unless a test says otherwise.
class AgentSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("CORVANE_HOME", m_home.Path().c_str(), 1);
        m_db = m_home.Path() + "db/";
        WriteProduct("[GLOBAL]\r\nDATABASE=" + m_db + "\r\n");
        AgentSettings::SetProfileFile("");
    }
    void TearDown() override { unsetenv("CORVANE_HOME"); }

    void WriteProduct(const std::string& text) { m_home.Write("PelmoV3.ini", text); }
    void WriteAgent(const std::string& text) { m_home.Write("db/Apposync.ini", text); }
    void WriteShared(const std::string& text) { m_home.Write("db/GLOBALSETTING.ini", text); }

    TempDir m_home;
    std::string m_db;
};

} // namespace

TEST_F(AgentSettingsTest, DatabaseFolderFromProductFile) {
    EXPECT_EQ(AgentSettings::DatabaseFolder(), m_db);
    EXPECT_EQ(AgentSettings::AgentFile(), m_db + "Apposync.ini");
    EXPECT_EQ(AgentSettings::SharedFile(), m_db + "GLOBALSETTING.ini");

    // Without a trailing delimiter the delimiter is added, so Apposync.ini is found there.
    WriteProduct("[global]\r\ndatabase = " + m_home.Path() + "other\r\n");
    m_home.Write("other/Apposync.ini", "[COMMON]\r\nPORT=3307\r\n");
    EXPECT_EQ(AgentSettings::DatabaseFolder(), m_home.Path() + "other/");
    AgentSettings::SetProfileFile("");
    EXPECT_EQ(AgentSettings::Get(sk::kPort), 3307);

    // Missing key or file: empty folder, bare file names, nothing read from a shared file.
    WriteProduct("[GLOBAL]\r\nOTHER=1\r\n");
    EXPECT_EQ(AgentSettings::DatabaseFolder(), "");
    EXPECT_EQ(AgentSettings::AgentFile(), "Apposync.ini");
    EXPECT_EQ(AgentSettings::SharedFile(), "");
    EXPECT_EQ(AgentSettings::SharedString("ClinicName", "GLOBAL", "none"), "none");
    EXPECT_EQ(AgentSettings::SharedInt("TimeSpan", "GLOBAL", 15), 15);
    EXPECT_EQ(AgentSettings::SharedFileTime(), Fallback1971());
    unsetenv("CORVANE_HOME");
    setenv("CORVANE_HOME", (m_home.Path() + "nowhere/").c_str(), 1);
    EXPECT_EQ(AgentSettings::DatabaseFolder(), "");
}

TEST_F(AgentSettingsTest, MissingKeysTakeTheirDefaults) {
    // No Apposync.ini at all.
    EXPECT_EQ(AgentSettings::Get(sk::kHost), "127.0.0.1");
    EXPECT_EQ(AgentSettings::Get(sk::kPort), 3306);
    EXPECT_EQ(AgentSettings::User(), "apposync");
    EXPECT_EQ(AgentSettings::Password(), "apposync-demo");
    EXPECT_EQ(AgentSettings::Get(sk::kMysqlDb), "");
    EXPECT_EQ(AgentSettings::Get(sk::kDbVersion), 0);
    EXPECT_EQ(AgentSettings::Get(sk::kAppoSend), 0);
    EXPECT_EQ(AgentSettings::Get(sk::kHidePaymant), 0);
    EXPECT_EQ(AgentSettings::Get(sk::kShowIdCut), 0);
    EXPECT_EQ(AgentSettings::Get(sk::kUnitType), 0);
    EXPECT_EQ(AgentSettings::Get(sk::kLimitToday), 1);
    EXPECT_EQ(AgentSettings::Get(sk::kLimitAuto), 3);
    EXPECT_EQ(AgentSettings::Get(sk::kLimitTimeH), 6);
    EXPECT_EQ(AgentSettings::Get(sk::kLimitTimeM), 0);
    EXPECT_EQ(AgentSettings::Get(sk::kAfterDays), 1);
    EXPECT_EQ(AgentSettings::Get(sk::kHospitalId), platform::J("診察券番号"));
    EXPECT_EQ(AgentSettings::Get(sk::kPendingTime), 60);
    EXPECT_EQ(AgentSettings::Get(sk::kFirstUseRange), 1);
    EXPECT_EQ(AgentSettings::Get(sk::kFirstPageNum), 0);
    EXPECT_EQ(AgentSettings::Get(sk::kFirstCategoryId, 2), "00");
    EXPECT_EQ(AgentSettings::Get(sk::kFirstTime, 1), 60);
    EXPECT_EQ(AgentSettings::Get(sk::kFirstAfterDays, 1), 1);
    EXPECT_EQ(AgentSettings::Get(sk::kFirstDayOfWeek, 0, 7), 1);
    EXPECT_EQ(AgentSettings::FirstWorkTime(WorkTime::AmFrom, 0, 1), 0);
    EXPECT_EQ(AgentSettings::FirstWorkTime(WorkTime::PmTo, 0, 1), 0);
    EXPECT_EQ(AgentSettings::FirstWorkTime(WorkTime::AmFrom, 3, 2), 900);
    EXPECT_EQ(AgentSettings::FirstWorkTime(WorkTime::AmTo, 0, 4), 1200);
    EXPECT_EQ(AgentSettings::FirstWorkTime(WorkTime::PmFrom, 0, 7), 1300);
    EXPECT_EQ(AgentSettings::FirstWorkTime(WorkTime::PmTo, 1, 7), 1800);

    // An empty integer value is 0, not the default; an empty USER deciphers to nothing.
    WriteAgent("[COMMON]\r\nLIMIT_TODAY=\r\nAFTER_DAYS=x\r\nUSER=\r\nPASS=zz\r\n");
    EXPECT_EQ(AgentSettings::Get(sk::kLimitToday), 0);
    EXPECT_EQ(AgentSettings::Get(sk::kAfterDays), 0);
    EXPECT_EQ(AgentSettings::User(), "");
    EXPECT_EQ(AgentSettings::Password(), "");
}

TEST_F(AgentSettingsTest, WritesAndReadsPerPageAndWeekdayKeys) {
    WriteAgent("; written by the clinic\r\n[COMMON]\r\nHOST=db.example\r\n");
    ASSERT_TRUE(AgentSettings::Set(sk::kFirstTitle, platform::J("初診ソ表"), 0));
    ASSERT_TRUE(AgentSettings::Set(sk::kFirstTitle, "second", 1));
    ASSERT_TRUE(AgentSettings::Set(sk::kFirstDayOfWeek, 0, 2, 3));
    ASSERT_TRUE(AgentSettings::Set(sk::kHidePaymant, 1));
    ASSERT_TRUE(AgentSettings::WriteInt("FRIST_APPOINTMENTS", "WtPmTo3_2", 2400));

    std::string file = TempDir::Read(m_db + "Apposync.ini");
    EXPECT_NE(file.find("; written by the clinic"), std::string::npos);
    EXPECT_NE(file.find("[FRIST_APPOINTMENTS]"), std::string::npos);
    EXPECT_NE(file.find("TITLE_1=second"), std::string::npos);
    EXPECT_NE(file.find("DayOfWeek3_2=0"), std::string::npos);

    EXPECT_EQ(AgentSettings::Get(sk::kHost), "db.example");
    EXPECT_EQ(AgentSettings::Get(sk::kFirstTitle), platform::J("初診ソ表"));
    EXPECT_EQ(AgentSettings::Get(sk::kFirstTitle, 1), "second");
    EXPECT_EQ(AgentSettings::Get(sk::kFirstTitle, 2), "");
    EXPECT_EQ(AgentSettings::Get(sk::kFirstDayOfWeek, 2, 3), 0);
    EXPECT_EQ(AgentSettings::Get(sk::kFirstDayOfWeek, 0, 3), 1);
    EXPECT_EQ(AgentSettings::Get(sk::kHidePaymant), 1);
    EXPECT_EQ(AgentSettings::FirstWorkTime(WorkTime::PmTo, 2, 3), 2400);
    EXPECT_EQ(AgentSettings::KeyName("Times", 0, 5), "Times5");
    EXPECT_EQ(AgentSettings::KeyName("UNIT_ID", 8), "UNIT_ID_8");

    // Another process's write is seen at the next read.
    WriteAgent("[COMMON]\r\nHIDE_PAYMANT=0\r\n");
    EXPECT_EQ(AgentSettings::Get(sk::kHidePaymant), 0);
}

TEST_F(AgentSettingsTest, ProfileFileSwitchesAndComesBack) {
    WriteAgent("[GLOBAL]\r\nDATABASE=agent\r\n");
    EXPECT_EQ(AgentSettings::ProfileFile(), m_db + "Apposync.ini");
    EXPECT_EQ(AgentSettings::GetString("GLOBAL", "DATABASE", ""), "agent");

    AgentSettings::SetProfileFile(m_home.Path() + "PelmoV3.ini");
    EXPECT_EQ(AgentSettings::GetString("GLOBAL", "DATABASE", ""), m_db);

    AgentSettings::SetProfileFile("");
    EXPECT_EQ(AgentSettings::ProfileFile(), m_db + "Apposync.ini");
    EXPECT_EQ(AgentSettings::GetString("GLOBAL", "DATABASE", ""), "agent");
}

TEST_F(AgentSettingsTest, SharedFileAndClinicFallbacks) {
    EXPECT_EQ(AgentSettings::SharedFileTime(), Fallback1971());
    EXPECT_EQ(AgentSettings::ClinicName(), "");

    const std::string name = platform::J("ソ表能歯科");
    const std::string longValue(1500, 'x');
    WriteShared("[GLOBAL]\r\nClinicName=" + name + "\r\nClinicTel=03-0000-0000\r\nLong=" +
                longValue + "\r\n[MENTE]\r\nWtAmFrm2=830\r\nDayOfWeek1=1\r\n");
    EXPECT_EQ(AgentSettings::SharedString("Long", "GLOBAL", ""), longValue.substr(0, 1000));
    EXPECT_EQ(AgentSettings::Shared(sk::kTimeSpan), 15);
    EXPECT_EQ(AgentSettings::Shared(sk::kClinicClosed, 1), 1);
    EXPECT_EQ(AgentSettings::Shared(sk::kClinicClosed, 2), 0);
    EXPECT_EQ(AgentSettings::ClinicWorkTime(WorkTime::AmFrom, 2), 830);
    EXPECT_EQ(AgentSettings::ClinicWorkTime(WorkTime::AmTo, 2), 1200);
    EXPECT_EQ(AgentSettings::ClinicWorkTime(WorkTime::PmTo, 1), 0);

    struct stat st {};
    ASSERT_EQ(stat((m_db + "GLOBALSETTING.ini").c_str(), &st), 0);
    EXPECT_EQ(AgentSettings::SharedFileTime(), st.st_mtime);

    // Empty own values fall back to the shared file; own values win.
    WriteAgent("[HOSPITAL_INFO]\r\nNAME=\r\n");
    EXPECT_EQ(AgentSettings::ClinicName(), name);
    EXPECT_EQ(AgentSettings::ClinicTel(), "03-0000-0000");
    WriteAgent("[HOSPITAL_INFO]\r\nNAME=Own\r\nTEL=011\r\n");
    EXPECT_EQ(AgentSettings::ClinicName(), "Own");
    EXPECT_EQ(AgentSettings::ClinicTel(), "011");
}
