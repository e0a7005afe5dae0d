// The health monitor around real cycles against the private web database, on a fake clock: a
// good cycle, a refused statement, a server nobody answers for ten minutes, and its return.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "ClosedPort.h"
#include "EngineTestAgent.h"
#include "TestClinic.h"
#include "WebFault.h"
#include "agent/sync/health/HealthMonitor.h"
#include "agent/sync/health/HealthStatusFile.h"
#include "outside/pelmodb/CPelmoDBSys.h"
#include "platform/FileOps.h"

namespace {

using std::chrono::minutes;
using std::chrono::seconds;

struct Told {
    HealthState state;
    std::string title; // UTF-8; empty when the change was not announced
    std::string text;
};

struct HealthRig {
    explicit HealthRig(const WebDb& db)
        : agent(clinic.Settings(), WebDbValues(db)),
          monitor(agent.log, agent.web, agent.state, agent.clock, HealthThresholds{},
                  HealthStatusFile::PathIn(clinic.DatabaseFolder()), 77) {
        // Without a clinic code the hospital publish fails every cycle.
        CPelmoDBSys sys(clinic.DatabaseFolder());
        EXPECT_EQ(sys.SetClinicCode("C0042"), 0);
        monitor.SetListener([this](const HealthSnapshot& h, const HealthMonitor::Change& c) {
            const HealthMonitor::Announcement a = HealthMonitor::Announce(h, c);
            told.push_back(
                {h.state, platform::Cp932ToUtf8(a.title), platform::Cp932ToUtf8(a.text)});
        });
    }
    const HealthSnapshot& Cycle() {
        monitor.CycleStarting();
        monitor.CycleEnded(agent.Run());
        return monitor.Current();
    }
    int Announced() const {
        return static_cast<int>(std::count_if(told.begin(), told.end(),
                                              [](const Told& t) { return !t.title.empty(); }));
    }
    nlohmann::json StatusFile() const {
        std::string bytes;
        EXPECT_TRUE(platform::ReadFile(monitor.StatusFile(), bytes));
        return nlohmann::json::parse(bytes, nullptr, false);
    }

    TestClinic clinic;
    EngineTestAgent agent;
    HealthMonitor monitor;
    std::vector<Told> told;
};

void AddBooking(TestClinic& clinic, const std::string& key) {
    TestReservation r;
    r.key = key;
    r.patient = "0000004711";
    clinic.BookReservation(r);
}

} // namespace

TEST(HealthCycle, GoodRefusedUnreachableForTenMinutesAndBack) {
    WebDb db;
    HealthRig rig(db);
    rig.clinic.AddPatient("0000004711", "100", "山田 太郎");
    const auto start = rig.agent.clock.Now();

    // A good cycle.
    HealthSnapshot h = rig.Cycle();
    EXPECT_EQ(h.state, HealthState::Normal);
    EXPECT_EQ(h.lastGoodSync, start);
    EXPECT_FALSE(h.lastErrorAt) << platform::Cp932ToUtf8(h.lastErrorText);
    EXPECT_EQ(rig.StatusFile()["state"], "normal");
    EXPECT_EQ(rig.StatusFile()["pid"], 77);
    EXPECT_EQ(rig.StatusFile()["change_requests_waiting"], 0);

    // One statement refused: the booking waits, the cycle warns with the server's text.
    AddBooking(rig.clinic, "0000009001");
    rig.agent.clock.Advance(seconds(3));
    {
        WebFault refuse(db, WebFault::Kind::Refuse, "appointments", "INSERT", "TRUE");
        h = rig.Cycle();
        EXPECT_EQ(refuse.Count(), 1);
    }
    EXPECT_EQ(h.state, HealthState::Warning);
    EXPECT_EQ(h.entriesWaiting, 1);
    EXPECT_EQ(h.lastErrorAt, rig.agent.clock.Now());
    EXPECT_FALSE(h.lastErrorText.empty());
    EXPECT_NE(h.reason.find(h.lastErrorText.substr(0, 20)), std::string::npos);
    EXPECT_EQ(rig.StatusFile()["state"], "warning");
    EXPECT_EQ(rig.StatusFile()["entries_waiting"], 1);

    rig.agent.clock.Advance(seconds(3));
    h = rig.Cycle();
    EXPECT_EQ(h.state, HealthState::Normal);
    EXPECT_EQ(h.entriesWaiting, 0);
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM appointments"), "1");
    const auto lastGood = rig.agent.clock.Now();

    // The server stops answering: a warning at once, an error ten minutes after the last good
    // cycle, told once however many cycles fail.
    WebConnectionValues down = WebDbValues(db);
    down.port = ClosedPort();
    rig.agent.web.SetValues(down);
    AddBooking(rig.clinic, "0000009002");
    rig.agent.clock.Advance(seconds(3));
    h = rig.Cycle();
    EXPECT_EQ(h.state, HealthState::Warning);
    EXPECT_EQ(h.unreachableSince, rig.agent.clock.Now());
    EXPECT_FALSE(h.lastErrorText.empty());
    for (int i = 0; i < 3; ++i) {
        rig.agent.clock.Advance(minutes(3));
        h = rig.Cycle();
    }
    // 9:03 after the last good cycle.
    EXPECT_EQ(h.state, HealthState::Warning);
    rig.agent.clock.SetInstant(lastGood + minutes(10) - seconds(1));
    rig.monitor.Reevaluate();
    EXPECT_EQ(rig.monitor.Current().state, HealthState::Warning);
    rig.agent.clock.SetInstant(lastGood + minutes(10));
    h = rig.Cycle();
    EXPECT_EQ(h.state, HealthState::Error);
    EXPECT_EQ(h.UnreachableFor(), minutes(10) - seconds(3));
    EXPECT_EQ(h.entriesWaiting, 1);
    EXPECT_EQ(rig.StatusFile()["state"], "error");
    EXPECT_EQ(rig.StatusFile()["web_unreachable_seconds"], 597);
    ASSERT_EQ(rig.Announced(), 1);
    EXPECT_EQ(rig.told.back().title, "Web連携の異常");
    EXPECT_EQ(rig.told.back().text.rfind("10分間同期できていません 最後のエラー: ", 0), 0u)
        << rig.told.back().text;
    rig.agent.clock.Advance(seconds(3));
    rig.Cycle();
    rig.monitor.Reevaluate();
    EXPECT_EQ(rig.Announced(), 1);

    // Back: normal after the first connected cycle, which sends what waited; told once.
    rig.agent.web.SetValues(WebDbValues(db));
    rig.agent.clock.Advance(seconds(3));
    h = rig.Cycle();
    EXPECT_EQ(h.state, HealthState::Normal);
    EXPECT_EQ(h.entriesWaiting, 0);
    EXPECT_FALSE(h.unreachableSince);
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM appointments"), "2");
    ASSERT_EQ(rig.Announced(), 2);
    EXPECT_EQ(rig.told.back().title, "Web連携の復旧");
    EXPECT_EQ(rig.told.back().text.rfind("復旧しました: 正常 最終同期 ", 0), 0u);
    EXPECT_EQ(rig.StatusFile()["state"], "normal");
}

TEST(HealthCycle, ChangeRequestsLeftWaitingAreCounted) {
    WebDb db;
    HealthRig rig(db);
    rig.Cycle();
    ASSERT_EQ(rig.monitor.Current().changeRequestsWaiting, 0);
    // Two change requests: one for a booking the clinic no longer has (answered by removing
    // it), one for a booking of a type the clinic lets nobody move (left waiting, untouched).
    TestReservation r;
    r.key = "0000009001";
    r.patient = "0000004711";
    rig.clinic.AddReservation(r);
    for (const char* key : {"0000009001", "0000009999"})
        db.Exec(std::string("INSERT INTO appointments(appo_key,patient_key,appo_date,"
                            "appo_start_time,appo_end_time,status_flag) VALUES('") +
                key + "','0000004711','2024-01-10','11:00:00','11:30:00',2)");
    rig.agent.clock.Advance(seconds(3));
    HealthSnapshot h = rig.Cycle();
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM appointments WHERE status_flag=2"), "1");
    EXPECT_EQ(h.changeRequestsWaiting, 1);
    EXPECT_EQ(h.state, HealthState::Normal);
    // The state stayed: the file is renewed only once it is 15 seconds old.
    EXPECT_EQ(rig.StatusFile()["change_requests_waiting"], 0);
    rig.agent.clock.Advance(seconds(11));
    rig.Cycle();
    EXPECT_EQ(rig.StatusFile()["change_requests_waiting"], 0);
    rig.agent.clock.Advance(seconds(1));
    rig.Cycle();
    EXPECT_EQ(rig.StatusFile()["change_requests_waiting"], 1);
    EXPECT_EQ(
        rig.StatusFile()["written_at_unix"],
        std::chrono::duration_cast<seconds>(rig.agent.clock.Now().time_since_epoch()).count());
    EXPECT_EQ(platform::Cp932ToUtf8(h.Line()).find("変更依頼 1件") != std::string::npos, true);
}
