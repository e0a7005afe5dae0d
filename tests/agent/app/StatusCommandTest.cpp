// `apposync --status` on the status files a headless agent wrote: the real program's exit status
// and line for each state, and a status nobody renewed for a minute.
#include "agent/app/StatusCommand.h"
#include "agent/app/HeadlessStart.h"
#include "agent/sync/health/HealthStatusFile.h"
#include "outside/pelmodb/CPelmoDBSys.h"
#include "platform/FileOps.h"

#include "ClosedPort.h"
#include "FakeClock.h"
#include "TempDir.h"
#include "TestClinic.h"
#include "WebDb.h"
#include "WebSettingsIni.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>

namespace {

using std::chrono::minutes;
using std::chrono::seconds;

struct Checked {
    int exitCode = -1;
    std::string line;
};

class StatusCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("CORVANE_HOME", m_home.Path().c_str(), 1);
        setenv("XDG_RUNTIME_DIR", m_home.Path().c_str(), 1);
        m_home.Write("PelmoV3.ini", "[GLOBAL]\r\nDATABASE=" + m_home.File("db") + "\r\n");
        ASSERT_TRUE(platform::MakeDirs(m_home.File("db/")));
        std::string err;
        ASSERT_EQ(CPelmoDBSys::CreateDatabase(m_home.File("db/"), err), 0) << err;
        CPelmoDBSys sys(m_home.File("db/"));
        ASSERT_EQ(sys.SetClinicCode("C0042"), 0);
    }
    void PointAt(int port, const std::string& mysqlDb) {
        m_home.Write("db/Apposync.ini", WebSettingsIni(port, mysqlDb));
    }
    // One cycle of the headless agent, which leaves its status file behind.
    void AgentCycle() {
        std::ostringstream out, err;
        HeadlessStart::Run(true, out, err);
        ASSERT_TRUE(platform::FileExists(m_home.File("db/ApposyncStatus.json"))) << err.str();
    }
    // The real program, as a server's monitoring runs it.
    static Checked Program() {
        Checked c;
        FILE* p = popen(CORVANE_BIN_DIR "/apposync --status", "r");
        if (!p)
            return c;
        char buf[4096];
        while (std::fgets(buf, sizeof buf, p))
            c.line += buf;
        const int status = pclose(p);
        c.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return c;
    }
    TempDir m_home;
};

} // namespace

TEST_F(StatusCommandTest, ExitStatusFollowsTheStateTheHeadlessAgentWrote) {
    // No agent ran yet.
    Checked c = Program();
    EXPECT_EQ(c.exitCode, 3);
    EXPECT_EQ(c.line.rfind("APPOSYNC UNKNOWN - 状態ファイルがありません: ", 0), 0u) << c.line;

    WebDb web;
    PointAt(WebDb::Port(), web.Suffix());
    AgentCycle();
    c = Program();
    EXPECT_EQ(c.exitCode, 0) << c.line;
    EXPECT_EQ(c.line.rfind("APPOSYNC OK - 正常 最終同期 ", 0), 0u) << c.line;
    EXPECT_NE(c.line.find(" 未送信 0件 | entries=0 "), std::string::npos) << c.line;
    EXPECT_EQ(std::count(c.line.begin(), c.line.end(), '\n'), 1);

    // The server is gone: a warning until the limits pass.
    PointAt(ClosedPort(), web.Suffix());
    AgentCycle();
    c = Program();
    EXPECT_EQ(c.exitCode, 1) << c.line;
    EXPECT_EQ(c.line.rfind("APPOSYNC WARNING - 注意 最終同期 なし 未送信 0件 "
                           "前回の同期で失敗した処理があります 最後のエラー: ",
                           0),
              0u)
        << c.line;

    // And a booking that has waited for more than half an hour: an error.
    const std::string entry = m_home.File("db/EntryToWeb/0000009001.txt");
    ASSERT_TRUE(platform::MakeDirs(m_home.File("db/EntryToWeb/")));
    ASSERT_TRUE(platform::WriteFileAtomic(entry, "INSERT\r\nRegNo=0000009001\r\n"));
    TestClinic::SetModified(entry, std::chrono::system_clock::now() - minutes(31));
    AgentCycle();
    c = Program();
    EXPECT_EQ(c.exitCode, 2) << c.line;
    EXPECT_EQ(c.line.rfind("APPOSYNC CRITICAL - 異常 最終同期 なし 未送信 1件 "
                           "エントリファイルが31分間送信されていません",
                           0),
              0u)
        << c.line;

    // Nobody renewed it for more than a minute.
    std::ostringstream out;
    FakeClock clock;
    clock.SetInstant(std::chrono::system_clock::now() + seconds(45));
    EXPECT_EQ(StatusCommand::Run(out, clock), 2);
    clock.Advance(seconds(20));
    out.str({});
    EXPECT_EQ(StatusCommand::Run(out, clock), 3);
    EXPECT_EQ(out.str().rfind("APPOSYNC UNKNOWN - 状態が1分以上書かれていません（最終 ", 0), 0u)
        << out.str();
    EXPECT_NE(out.str().find("、pid " + std::to_string(getpid()) + "）"), std::string::npos)
        << out.str();

    // Settings that name no database folder.
    m_home.Write("PelmoV3.ini", "[GLOBAL]\r\n");
    c = Program();
    EXPECT_EQ(c.exitCode, 3);
    EXPECT_NE(c.line.find("データベースフォルダが設定されていません"), std::string::npos) << c.line;
}
