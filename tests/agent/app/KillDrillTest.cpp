// The real agent is killed after it booked a web row locally and before the web took the
// answer; started again, it books the row once.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "TestClinic.h"
#include "WebDb.h"
#include "WebFault.h"
#include "platform/Cp932.h"
#include "platform/Profile.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(90); // only ever reached when something is broken

// Starts the agent with its output in a file; the pid, or -1.
pid_t StartAgent(const std::vector<std::string>& args, const std::string& outFile) {
    std::vector<std::string> all = {std::string(CORVANE_BIN_DIR) + "/apposync"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Waits for the agent to end; its exit status, or -1 when it had to be killed.
int WaitAgent(pid_t pid) {
    const auto until = Clock::now() + kPatience;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() > until) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

} // namespace

TEST(KillDrill, AgentKilledBeforeTheWebTookItsBookingBooksItOnceAfterRestart) {
    TestClinic clinic;
    WebDb web;
    setenv("XDG_RUNTIME_DIR", clinic.DatabaseFolder().c_str(), 1);
    clinic.UseWebDatabase(web);
    const std::string ini = clinic.DatabaseFolder() + "Apposync.ini";
    platform::WriteProfileString(ini, "FRIST_APPOINTMENTS", "UNIT_ID", "1,2");
    platform::WriteProfileString(ini, "FRIST_APPOINTMENTS", "TIME", "30");
    const std::string day =
        web.Scalar("SELECT DATE_ADD(DATE(CONVERT_TZ(CURRENT_TIME,'UTC','Asia/Tokyo')),"
                   "INTERVAL 1 DAY)")
            .value();
    web.Exec(platform::J("INSERT INTO first_appointments(id,appo_date,appo_time,name,name_kana,"
                         "gender) VALUES(1,'" +
                         day + "','10:00:00','初診 一郎','ｲﾁﾛｳ','M')"));
    const std::string appoKey = "SELECT appo_key FROM first_appointments WHERE id=1";
    const std::string out = clinic.DatabaseFolder() + "agent.out";

    {
        // The server holds the answer; the agent is killed while it waits for it.
        WebFault hold(web, WebFault::Kind::Hold, "first_appointments", "UPDATE",
                      "NEW.appo_key IS NOT NULL");
        const pid_t agent = StartAgent({"--headless"}, out);
        ASSERT_GT(agent, 0);
        const auto until = Clock::now() + kPatience;
        int ended = 0;
        while (hold.Count() == 0 && Clock::now() < until && waitpid(agent, &ended, WNOHANG) == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const bool held = hold.Count() == 1;
        kill(agent, SIGKILL);
        waitpid(agent, &ended, 0);
        ASSERT_TRUE(held) << ReadFile(out);
    }
    EXPECT_EQ(clinic.ReservationCount(), 1) << "booked locally before the answer";
    EXPECT_FALSE(web.Scalar(appoKey)) << "the web never took the answer";

    const pid_t again = StartAgent({"--headless", "--once"}, out);
    ASSERT_GT(again, 0);
    EXPECT_EQ(WaitAgent(again), 0) << ReadFile(out);

    EXPECT_EQ(clinic.ReservationCount(), 1) << ReadFile(out);
    const std::string key = web.Scalar(appoKey).value_or("");
    ASSERT_EQ(key.size(), 10u);
    CReservationDB book(clinic.DatabaseFolder(), 0);
    ASSERT_EQ(book.GetReservationData(key), 0);
    EXPECT_STREQ(book.m_rec.unit, "1");
    EXPECT_STREQ(book.m_rec.start, "1000");
    EXPECT_NE(ReadFile(out).find("予約は登録済みのため、Webへの確定のみ行いました [予約番号 " + key +
                                 "]"),
              std::string::npos)
        << ReadFile(out);
}
