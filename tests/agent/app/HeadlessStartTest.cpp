#include "agent/app/HeadlessStart.h"
#include "agent/app/StartMode.h"
#include "outside/pelmodb/CPelmoDBSys.h"
#include "platform/FileOps.h"
#include "platform/SingleInstance.h"

#include "TempDir.h"
#include "TestClinic.h"
#include "WebDb.h"
#include "WebSettingsIni.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace {

// A clinic: program folder with PelmoV3.ini, database folder with the clinic database and
// Apposync.ini pointing at the private web database (or at a port given).
class HeadlessStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("CORVANE_HOME", m_home.Path().c_str(), 1);
        setenv("XDG_RUNTIME_DIR", m_home.Path().c_str(), 1);
        m_home.Write("PelmoV3.ini", "[GLOBAL]\r\nDATABASE=" + m_home.File("db") + "\r\n");
    }
    void MakeClinic() {
        std::string err;
        ASSERT_EQ(CPelmoDBSys::CreateDatabase(m_home.File("db/"), err), 0) << err;
    }
    void PointAt(int port, const std::string& mysqlDb) {
        m_home.Write("db/Apposync.ini", WebSettingsIni(port, mysqlDb));
    }
    int RunOnce() {
        m_out.str({});
        m_err.str({});
        return HeadlessStart::Run(true, m_out, m_err);
    }
    TempDir m_home;
    std::ostringstream m_out;
    std::ostringstream m_err;
};

} // namespace

TEST(HeadlessOptionsTest, OnlyWholeArgumentsCountAndOnceNeedsHeadless) {
    EXPECT_TRUE(HeadlessStart::Parse({"--headless"}).headless);
    EXPECT_FALSE(HeadlessStart::Parse({"--headless"}).once);
    EXPECT_TRUE(HeadlessStart::Parse({"--headless", "--once"}).once);
    EXPECT_TRUE(HeadlessStart::Parse({"--once", "--headless"}).once);
    EXPECT_FALSE(HeadlessStart::Parse({"--once"}).once);
    EXPECT_FALSE(HeadlessStart::Parse({"--headlessly"}).headless);
    EXPECT_FALSE(HeadlessStart::Parse({"SETTING"}).headless);
    // Neither option holds a command word: the start-mode table stays untouched.
    EXPECT_EQ(StartMode::Detect("--headless --once"), 0);
}

TEST_F(HeadlessStartTest, OneCycleTellsWhetherBothDatabasesOpened) {
    WebDb web;
    PointAt(WebDb::Port(), web.Suffix());
    MakeClinic();
    EXPECT_EQ(RunOnce(), 0) << m_out.str() << m_err.str();
    EXPECT_NE(m_out.str().find("[Info] 開始"), std::string::npos) << m_out.str();

    // The web database is gone: the cycle says why and the run fails.
    PointAt(WebDb::Port(), web.Suffix() + "-missing");
    EXPECT_EQ(RunOnce(), 1);
    EXPECT_NE(m_out.str().find("[SQLエラー]"), std::string::npos) << m_out.str();

    // Another resident agent holds the guard: nothing runs.
    platform::SingleInstance other(StartMode::MutexName(0));
    ASSERT_TRUE(other.Acquire());
    PointAt(WebDb::Port(), web.Suffix());
    EXPECT_EQ(RunOnce(), 1);
    EXPECT_NE(m_err.str().find("already runs"), std::string::npos);
    EXPECT_EQ(m_out.str(), "");
}

TEST_F(HeadlessStartTest, NoClinicDatabaseFailsTheRunWithAnErrorLine) {
    PointAt(1, "x");
    EXPECT_EQ(RunOnce(), 1);
    EXPECT_NE(m_out.str().find("[エラー]"), std::string::npos) << m_out.str();
}

// The whole start-up path of `apposync --headless --once`: settings with enciphered credentials,
// then one cycle that publishes every reservation whose entry file waits.
TEST(HeadlessStartClinicTest, OnceThroughStartUpPublishesEveryReservation) {
    WebDb web;
    TestClinic clinic;
    const std::string runtime = clinic.DatabaseFolder();
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    clinic.UseWebDatabase(web);
    clinic.AddDoctor("D1", "佐藤");
    clinic.AddUnit("1", "ユニット1");
    clinic.AddPatient("0000004711", "100", "山田 太郎");
    TestReservation r;
    r.patient = "0000004711";
    for (const char* key : {"0000009001", "0000009002", "0000009003"}) {
        r.key = key;
        clinic.AddReservation(r);
        clinic.Entry(std::string(key) + ".txt", std::string("INSERT\r\nRegNo=") + key + "\r\n");
        r.start = "1100";
        r.end = "1130";
    }
    std::ostringstream out, err;
    EXPECT_EQ(HeadlessStart::Run(true, out, err), 0) << out.str() << err.str();
    EXPECT_EQ(web.Scalar("SELECT COUNT(*) FROM appointments"),
              std::to_string(clinic.ReservationCount()));
    EXPECT_FALSE(clinic.EntryExists("0000009001.txt"));
}

// A missing, empty or unreadable settings file is named with what is wrong; nothing runs and
// the exit status says so.
TEST_F(HeadlessStartTest, EachBrokenSettingsFileIsNamed) {
    WebDb web;
    ASSERT_TRUE(platform::MakeDirs(m_home.File("db")));
    MakeClinic();
    const std::string product = m_home.File("PelmoV3.ini");
    const std::string agent = m_home.File("db/Apposync.ini");
    auto said = [this](const std::string& text) {
        return m_out.str().find("[エラー] " + text) != std::string::npos;
    };

    // Apposync.ini missing, then empty, then a folder in its place.
    EXPECT_EQ(RunOnce(), 1);
    EXPECT_TRUE(said("設定ファイルがありません: " + agent)) << m_out.str();
    EXPECT_EQ(m_out.str().find("開始"), std::string::npos) << "no cycle runs";
    m_home.Write("db/Apposync.ini", " \r\n\r\n");
    EXPECT_EQ(RunOnce(), 1);
    EXPECT_TRUE(said("設定ファイルが空です: " + agent)) << m_out.str();
    std::remove(agent.c_str());
    ASSERT_TRUE(platform::MakeDirs(agent));
    EXPECT_EQ(RunOnce(), 1);
    EXPECT_TRUE(said("設定ファイルを読めません: " + agent + " (フォルダです)")) << m_out.str();
    rmdir(agent.c_str());

    // PelmoV3.ini without the database folder, empty, missing: only that file is named.
    PointAt(WebDb::Port(), web.Suffix());
    m_home.Write("PelmoV3.ini", "[GLOBAL]\r\nOTHER=1\r\n");
    EXPECT_EQ(RunOnce(), 1);
    EXPECT_TRUE(said("設定ファイルに [GLOBAL] DATABASE がありません: " + product)) << m_out.str();
    m_home.Write("PelmoV3.ini", "");
    EXPECT_EQ(RunOnce(), 1);
    EXPECT_TRUE(said("設定ファイルが空です: " + product)) << m_out.str();
    std::remove(product.c_str());
    EXPECT_EQ(RunOnce(), 1);
    EXPECT_TRUE(said("設定ファイルがありません: " + product)) << m_out.str();
    EXPECT_EQ(m_out.str().find("Apposync.ini"), std::string::npos) << m_out.str();

    // Both files sound again: the cycle runs.
    m_home.Write("PelmoV3.ini", "[GLOBAL]\r\nDATABASE=" + m_home.File("db") + "\r\n");
    EXPECT_EQ(RunOnce(), 0) << m_out.str();
}
