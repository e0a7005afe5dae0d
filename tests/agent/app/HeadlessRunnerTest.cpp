// The agent without a window: one cycle for a whole small clinic, and the loop.
#include <gtest/gtest.h>

#include <sstream>

#include "EngineTestAgent.h"
#include "TestClinic.h"
#include "agent/app/HeadlessRunner.h"
#include "platform/SystemClock.h"

namespace {

// A small clinic with every kind of reservation, one INSERT entry file per reservation.
void BuildDemoClinic(TestClinic& clinic) {
    clinic.AddDoctor("D1", "佐藤");
    clinic.AddDoctor("D2", "鈴木");
    clinic.AddUnit("1", "ユニット1");
    clinic.AddUnit("2", "ユニット2");
    const char* names[] = {"山田 太郎", "田中 花子", "高橋 ソウ", "伊藤 能子", "渡辺 表"};
    char key[11];
    for (int p = 0; p < 5; ++p) {
        std::snprintf(key, sizeof key, "%010d", 4711 + p);
        clinic.AddPatient(key, std::to_string(100 + p), names[p]);
    }
    TestReservation r;
    for (int i = 0; i < 24; ++i) {
        std::snprintf(key, sizeof key, "%010d", 9000 + i);
        r.key = key;
        char patient[11];
        std::snprintf(patient, sizeof patient, "%010d", 4711 + i % 5);
        r.patient = i % 8 == 7 ? "" : i % 8 == 6 ? "++++++++++" : patient;
        r.guestName = "初診 太郎";
        r.date = "202401" + std::to_string(10 + i / 8);
        r.start = std::to_string(900 + (i % 8) * 100);
        if (r.start.size() < 4)
            r.start = "0" + r.start;
        r.end = r.start.substr(0, 2) + "30";
        r.unit = i % 2 ? "1" : "2";
        r.doctor = i % 2 ? "D1" : "D2";
        r.status = i % 5 == 0 ? 1 : 0;
        r.receptionTime = r.status ? r.start : "";
        clinic.AddReservation(r);
        clinic.Entry(std::string(key) + ".txt", std::string("INSERT\r\nRegNo=") + key + "\r\n");
    }
}

} // namespace

TEST(Headless, OnceSendsTheWholeClinicAndReportsUnreachableDatabases) {
    TestClinic clinic;
    WebDb db;
    BuildDemoClinic(clinic);
    ASSERT_EQ(clinic.ReservationCount(), 24);

    std::ostringstream out;
    OperationLog log(platform::SystemClock::Instance(), {});
    EngineState state;
    WebSession web(WebDbValues(db));
    HeadlessRunner runner(clinic.Settings(), web, log, platform::SystemClock::Instance(), state,
                          out);
    EXPECT_EQ(runner.Run(true), 0);
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM appointments"), "24");
    // Lines reach the terminal as UTF-8.
    EXPECT_NE(out.str().find("[Info] 更新 [2024-01-10 09:00]"), std::string::npos) << out.str();

    WebSession down(UnreachableWeb(), [](std::chrono::milliseconds) {});
    HeadlessRunner downRunner(clinic.Settings(), down, log, platform::SystemClock::Instance(),
                              state, out);
    EXPECT_NE(downRunner.Run(true), 0);

    TestClinic noDatabase;
    std::remove((noDatabase.DatabaseFolder() + "PelmoDB.sqlite").c_str());
    WebSession up(WebDbValues(db));
    HeadlessRunner noLocal(noDatabase.Settings(), up, log, platform::SystemClock::Instance(), state,
                           out);
    EXPECT_NE(noLocal.Run(true), 0);
}

TEST(Headless, LoopRunsACycleAfterEachWaitUntilStopped) {
    TestClinic clinic;
    WebDb db;
    clinic.AddPatient("0000000001", "1", "山田 太郎");
    TestReservation r;
    r.key = "0000000001";
    r.patient = "0000000001";
    clinic.AddReservation(r);
    r.key = "0000000002";
    clinic.AddReservation(r);
    clinic.Entry("1.txt", "INSERT\r\nRegNo=0000000001\r\n");

    std::ostringstream out;
    OperationLog log(platform::SystemClock::Instance(), {});
    EngineState state;
    WebSession web(WebDbValues(db));
    std::vector<long> rowsAtWait;
    HeadlessRunner runner(
        clinic.Settings(), web, log, platform::SystemClock::Instance(), state, out,
        [&](std::chrono::milliseconds period) {
            EXPECT_EQ(period.count(), 3000);
            rowsAtWait.push_back(std::stol(db.Scalar("SELECT COUNT(*) FROM appointments").value()));
            if (rowsAtWait.size() == 1)
                clinic.Entry("2.txt", "INSERT\r\nRegNo=0000000002\r\n");
            return rowsAtWait.size() < 2;
        });
    EXPECT_EQ(runner.Run(false), 0);
    EXPECT_EQ(rowsAtWait, (std::vector<long>{1, 2}));
}
