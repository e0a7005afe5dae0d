// The entry queue through real cycles: a temporary clinic, the private web database.
#include <gtest/gtest.h>

#include "EngineTestAgent.h"
#include "TestClinic.h"
#include "agent/core/CRecordset.h"
#include "agent/core/FieldText.h"
#include "agent/sync/cycle/ScanEntryFolder.h"
#include "agent/sync/exchanges/ProcessAppointmentEntry.h"
#include "platform/Cp932.h"
#include "platform/FileOps.h"

#include <unistd.h>

using platform::J;

namespace {

std::string Q(const WebDb& db, const std::string& sql) {
    return db.Scalar(sql).value_or("<NULL>");
}
std::string Col(const WebDb& db, const std::string& column, const std::string& key) {
    return Q(db, "SELECT " + column + " FROM appointments WHERE appo_key='" + key + "'");
}
long Count(const WebDb& db, const std::string& sql) {
    return std::stol(db.Scalar(sql).value_or("0"));
}

void AddClinicBasics(TestClinic& clinic) {
    clinic.AddPatient("0000000001", "1001", "山田 太郎", "ヤマダ タロウ", "19800102", "0312345678",
                      "表示ソ能", "ペニシリン");
    clinic.AddDoctor("D1", "佐藤");
    clinic.AddUnit("1", "ユニット1");
}

} // namespace

TEST(EntryQueue, OperationWordsAndKeyLines) {
    TestClinic clinic;
    WebDb db;
    AddClinicBasics(clinic);
    TestReservation r;
    r.patient = "0000000001";
    r.amount = 3000;
    r.memo = "歯石除去";
    for (const char* key : {"0000000101", "0000000102", "0000000103", "0000000104", "0000000105",
                            "0000000106", "0000000108"}) {
        r.key = key;
        clinic.AddReservation(r);
    }
    clinic.AddStandby("0000000501", "0000000105");
    db.Exec("INSERT INTO appointments(appo_key,patient_name,status_flag,amount) "
            "VALUES('0000000102','old',4,1)");
    for (const char* key : {"0000000105", "0000000106", "0000000107"}) {
        db.Exec(std::string("INSERT INTO appointments(appo_key,patient_id,patient_name,appo_date,"
                            "appo_start_time,status_flag) VALUES('") +
                key + "','77','web','2024-01-10','10:00:00',4)");
        db.Exec(std::string("INSERT INTO pending_appointments(appo_key,confirmed_flag) VALUES('") +
                key + "',2)");
        db.Exec(std::string("INSERT INTO first_appointments(appo_key) VALUES('") + key + "')");
    }

    clinic.Entry("insert.txt", "INSERT\r\nRegNo=0000000101\r\n");
    clinic.Entry("update.txt", "UPDATE\r\nRegNo=0000000102\r\n");
    clinic.Entry("lower.txt", "update\r\nRegNo=0000000103\r\n");
    clinic.Entry("unknown.txt", "UPSERT\r\nRegNo=0000000104\r\n");
    clinic.Entry("nokey.txt", "INSERT\r\n");
    clinic.Entry("otherkey.txt", "INSERT\r\nKey=0000000104\r\n");
    clinic.Entry("emptykey.txt", "INSERT\r\nRegNo=\r\n");
    clinic.Entry("empty.txt", "");
    clinic.Entry("delete.txt", "DELETE\r\nRegNo=0000000105\r\n");
    clinic.Entry("del1.txt", "DELETE\r\nRegNo=0000000106\r\n");
    clinic.Entry("del2.txt", "DELETE\r\nRegNo=0000000106\r\n");
    clinic.Entry("gone.txt", "UPDATE\r\nRegNo=0000000107\r\n");
    clinic.Entry("lf.txt", "INSERT_NO_PENDING_UPDATE\nRegNo=0000000108");
    clinic.Entry("standby.txt", "STD_INSERT\r\nRegNo=0000000501\r\n");

    EngineTestAgent agent(clinic.Settings(), WebDbValues(db));
    CycleOutcome out = agent.Run();
    EXPECT_TRUE(out.localOpened && out.webOpened && out.completed);

    // Published rows, with the patient snapshot, the unit and doctor names and the amount.
    EXPECT_EQ(Col(db, "patient_key", "0000000101"), "0000000001");
    EXPECT_EQ(Col(db, "patient_id", "0000000101"), "1001");
    EXPECT_EQ(Col(db, "patient_name", "0000000101"), J("山田 太郎"));
    EXPECT_EQ(Col(db, "patient_name_kana", "0000000101"), J("ヤマダ タロウ"));
    EXPECT_EQ(Col(db, "patient_birthday", "0000000101"), "1980-01-02");
    EXPECT_EQ(Col(db, "patient_comment", "0000000101"), J("表示ソ能"));
    EXPECT_EQ(Col(db, "patient_characteristic", "0000000101"), J("ペニシリン"));
    EXPECT_EQ(Col(db, "appo_date", "0000000101"), "2024-01-10");
    EXPECT_EQ(Col(db, "appo_start_time", "0000000101"), "10:00:00");
    EXPECT_EQ(Col(db, "appo_end_time", "0000000101"), "10:30:00");
    EXPECT_EQ(Col(db, "unit_name", "0000000101"), J("ユニット1"));
    EXPECT_EQ(Col(db, "pic_name", "0000000101"), J("佐藤"));
    EXPECT_EQ(Col(db, "treatment_detail", "0000000101"), J("歯石除去"));
    EXPECT_EQ(Col(db, "status_flag", "0000000101"), "4");
    EXPECT_EQ(Col(db, "amount", "0000000101"), "3000");
    EXPECT_EQ(Col(db, "hospital_visited", "0000000101"), "<NULL>");
    // UPDATE rewrote the existing row rather than adding one.
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM appointments WHERE appo_key='0000000102'"), 1);
    EXPECT_EQ(Col(db, "patient_name", "0000000102"), J("山田 太郎"));
    EXPECT_EQ(Col(db, "amount", "0000000102"), "3000");
    EXPECT_EQ(Col(db, "patient_name", "0000000108"), J("山田 太郎"));
    EXPECT_EQ(agent.LinesWith("更新 [2024-01-10 10:00] 1001 山田 太郎"), 1); // repeats are merged

    // Words other than the exact ones, and files without a key, are dropped unsent.
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM appointments WHERE appo_key IN "
                        "('0000000103','0000000104')"),
              0);
    for (const char* name :
         {"insert.txt", "update.txt", "lower.txt", "unknown.txt", "nokey.txt", "otherkey.txt",
          "emptykey.txt", "empty.txt", "delete.txt", "del1.txt", "del2.txt", "gone.txt", "lf.txt"})
        EXPECT_FALSE(clinic.EntryExists(name)) << name;
    // A standby entry that does not exist locally has no web row to remove: done.
    EXPECT_FALSE(clinic.EntryExists("standby.txt"));

    // DELETE: row gone; a standby entry still points at it, so the waiting request is reset.
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM appointments WHERE appo_key='0000000105'"), 0);
    EXPECT_EQ(Q(db, "SELECT confirmed_flag FROM pending_appointments WHERE appo_key='0000000105'"),
              "0");
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM first_appointments WHERE appo_key='0000000105'"), 0);
    EXPECT_EQ(agent.LinesWith("削除 [2024-01-10 10:00] 77 web"), 1);
    // Deleting twice: the second finds nothing and succeeds silently.
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM appointments WHERE appo_key='0000000106'"), 0);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM pending_appointments WHERE appo_key='0000000106'"),
              0);
    // UPDATE of a reservation deleted locally: the web row and its dependents go.
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM appointments WHERE appo_key='0000000107'"), 0);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM pending_appointments WHERE appo_key='0000000107'"),
              0);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM first_appointments WHERE appo_key='0000000107'"), 0);
}

TEST(EntryQueue, BlockedSlotGuestVisitsAndHiddenPayments) {
    TestClinic clinic;
    WebDb db;
    AddClinicBasics(clinic);
    clinic.SetCommon("HIDE_PAYMANT", "1");
    TestReservation r;
    r.amount = 5000;
    r.key = "0000000201"; // no patient: a blocked slot
    clinic.AddReservation(r);
    r.key = "0000000202";
    r.patient = "++++++++++";
    r.guestName = "初診 花子";
    r.guestKana = "ショシン ハナコ";
    r.guestBirthday = "19991231";
    r.guestTel = "09011112222";
    r.start = "1415";
    clinic.AddReservation(r);
    r = TestReservation{};
    r.patient = "0000000001";
    r.key = "0000000203"; // arrived
    r.status = 1;
    r.receptionTime = "0955";
    clinic.AddReservation(r);
    r.key = "0000000204"; // cancelled in the app, the day has passed
    r.status = 0;
    r.secondaryState = 2;
    r.date = "20240104";
    clinic.AddReservation(r);
    r.key = "0000000205"; // cancelled in the app, the day is today
    r.date = "20240105";
    clinic.AddReservation(r);
    r.key = "0000000206"; // patient record missing
    r.patient = "0000009999";
    r.secondaryState = 0;
    clinic.AddReservation(r);
    db.Exec("INSERT INTO first_appointments(appo_key,appo_date,appo_time) "
            "VALUES('0000000202','2024-01-01','09:00:00')");
    for (int i = 1; i <= 6; ++i)
        clinic.Entry("r" + std::to_string(i) + ".txt",
                     "UPDATE\r\nRegNo=000000020" + std::to_string(i) + "\r\n");
    clinic.Entry("a.sale", "INSERT\r\nSaleReg=0000000001\r\n");
    clinic.Entry("b.SALE", "DELETE\r\nSaleReg=0000000002\r\n");
    clinic.Entry("c.memo", "MEMO\r\nPatientReg=0000000001\r\nMemoNo=1\r\n");
    clinic.Entry("d.notice", "0000000001\r\n20240105\r\n\r\nhello\r\n");
    clinic.Entry("0000000001.pat", "");

    EngineTestAgent agent(clinic.Settings(), WebDbValues(db)); // today: 2024-01-05
    ASSERT_TRUE(agent.Run().completed);

    EXPECT_EQ(Col(db, "status_flag", "0000000201"), "5");
    EXPECT_EQ(Col(db, "patient_name", "0000000201"), J("予約不可枠"));
    EXPECT_EQ(Col(db, "patient_key", "0000000201"), "<NULL>");
    EXPECT_EQ(Col(db, "patient_id", "0000000201"), "<NULL>");

    EXPECT_EQ(Col(db, "patient_key", "0000000202"), "++++++++++");
    EXPECT_EQ(Col(db, "patient_id", "0000000202"), J("初診相談"));
    EXPECT_EQ(Col(db, "patient_name", "0000000202"), J("初診 花子"));
    EXPECT_EQ(Col(db, "patient_name_kana", "0000000202"), J("ショシン ハナコ"));
    EXPECT_EQ(Col(db, "patient_birthday", "0000000202"), "1999-12-31");
    EXPECT_EQ(Col(db, "patient_tel", "0000000202"), "09011112222");
    EXPECT_EQ(Col(db, "patient_comment", "0000000202"), J("Webページからの初診相談患者"));
    EXPECT_EQ(Col(db, "status_flag", "0000000202"), "4");
    EXPECT_EQ(Q(db, "SELECT CONCAT(appo_date,' ',appo_time) FROM first_appointments WHERE "
                    "appo_key='0000000202'"),
              "2024-01-10 14:15:00");

    EXPECT_EQ(Col(db, "hospital_visited", "0000000203"), J("済み"));
    EXPECT_EQ(Col(db, "hospital_visited_at", "0000000203"), "2024-01-10 09:55:00");
    EXPECT_EQ(Col(db, "hospital_visited", "0000000204"), J("未来院"));
    EXPECT_EQ(Col(db, "hospital_visited_at", "0000000204"), "<NULL>");
    EXPECT_EQ(Col(db, "hospital_visited", "0000000205"), "<NULL>");
    EXPECT_EQ(Col(db, "patient_key", "0000000206"), "0000009999");
    EXPECT_EQ(Col(db, "patient_name", "0000000206"), "<NULL>");

    // Payments hidden: amounts 0, payment files gone unread; the other kinds are sent (the memo
    // is not in the local database, so there is nothing to send for it).
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM appointments WHERE amount<>0"), 0);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM appointments"), 6);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM payment_histories"), 0);
    EXPECT_FALSE(clinic.EntryExists("a.sale"));
    EXPECT_FALSE(clinic.EntryExists("b.SALE"));
    EXPECT_FALSE(clinic.EntryExists("c.memo"));
    EXPECT_FALSE(clinic.EntryExists("d.notice"));
    EXPECT_FALSE(clinic.EntryExists("0000000001.pat"));
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM notifications"), 1);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM patient_infos WHERE patient_key='0000000001'"), 1);
}

TEST(EntryQueue, RequestStepsRunAgainAfterEveryBatch) {
    TestClinic clinic;
    WebDb db;
    AddClinicBasics(clinic);
    TestReservation r;
    r.patient = "0000000001";
    char key[11];
    for (int i = 1; i <= 45; ++i) {
        std::snprintf(key, sizeof key, "%010d", 300 + i);
        r.key = key;
        clinic.AddReservation(r);
        clinic.Entry(std::string(key) + ".txt", std::string("INSERT\r\nRegNo=") + key + "\r\n");
    }
    // A patient's request to move another reservation onto the full slot: the change-request
    // exchange of the cycle refuses it.
    clinic.Settings().Set(settingkeys::kPendingType, "01");
    clinic.Settings().Set(settingkeys::kPendingChangeOk, "1");
    clinic.Settings().Set(settingkeys::kPendingTypeUnit, "1");
    clinic.Settings().Set(settingkeys::kUnitType, 0);
    r.key = "0000000399";
    r.date = "20240111";
    clinic.AddReservation(r);
    db.Exec("INSERT INTO appointments(appo_key,patient_key,appo_date,appo_start_time,"
            "appo_end_time,unit_id,pic_id,status_flag,updated_at) VALUES('0000000399',"
            "'0000000001','2024-01-10','10:00:00','10:30:00','1','D1',2,'2024-01-04 18:00:00')");
    EngineTestAgent agent(clinic.Settings(), WebDbValues(db));
    EXPECT_TRUE(agent.state.firstCycle);
    ASSERT_TRUE(agent.Run().completed);
    EXPECT_FALSE(agent.state.firstCycle);

    // Files sent before each run of the request exchanges: 0 (the cycle's own run), 20, 40.
    std::vector<int> filesBefore;
    int files = 0;
    for (const std::string& s : agent.steps) {
        if (s == "ProcessAppointmentEntry")
            ++files;
        if (s == "ProcessWebChangeRequests")
            filesBefore.push_back(files);
    }
    EXPECT_EQ(filesBefore, (std::vector<int>{0, 20, 40}));
    EXPECT_EQ(files, 45);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM appointments"), 46);
    EXPECT_EQ(Col(db, "status_flag", "0000000399"), "1");

    // The fixed order of one cycle's web side.
    const std::vector<std::string> head(agent.steps.begin(), agent.steps.begin() + 14);
    EXPECT_EQ(head, (std::vector<std::string>{
                        "UpgradeWebSchema", "ImportSystemInfo", "PublishHospitalInfo",
                        "PublishClosedDays", "PublishAppoTimes", "PublishFirstAppoTimes",
                        "PublishStaffsAndAppoTypes", "ProcessAppCheckIns",
                        "ProcessFirstVisitCancellations", "ProcessStandbyCancellations",
                        "ProcessFirstVisitBookings", "ProcessWebChangeRequests",
                        "ProcessStandbyConfirmations", "SyncWebLogins"}));
    EXPECT_EQ(SyncCycle::BatchSize(1), 100);
    EXPECT_EQ(SyncCycle::BatchSize(2), 200);
}

TEST(EntryQueue, WebDatabaseDownKeepsEveryFileButConsumesTheTrigger) {
    TestClinic clinic;
    clinic.Entry("a.txt", "INSERT\r\nRegNo=0000000001\r\n");
    clinic.Entry("b.sale", "INSERT\r\nSaleReg=1\r\n");
    clinic.SetCommon("HIDE_PAYMANT", "1");
    clinic.Entry("Setting", "");

    EngineTestAgent agent(clinic.Settings(), UnreachableWeb());
    agent.state.typesPublished = 12345;
    CycleOutcome out = agent.Run();
    EXPECT_TRUE(out.localOpened);
    EXPECT_FALSE(out.webOpened);
    EXPECT_FALSE(clinic.EntryExists("Setting"));
    EXPECT_EQ(agent.state.typesPublished, EngineState::Never());
    EXPECT_TRUE(clinic.EntryExists("a.txt"));
    EXPECT_TRUE(clinic.EntryExists("b.sale"));
    EXPECT_TRUE(agent.state.firstCycle);

    // No local database: one error line, nothing else.
    TestClinic empty;
    std::remove((empty.DatabaseFolder() + "PelmoDB.sqlite").c_str());
    EngineTestAgent agent2(empty.Settings(), UnreachableWeb());
    out = agent2.Run();
    EXPECT_FALSE(out.localOpened);
    EXPECT_FALSE(out.webOpened);
    ASSERT_EQ(agent2.log.Lines().size(), 1u);
    // In Japanese, naming the file and the setting that points there.
    const std::string& line = agent2.log.Lines().front();
    EXPECT_NE(line.find(J("[エラー] ローカルデータベースが見つかりません: ") +
                        empty.DatabaseFolder() + "PelmoDB.sqlite"),
              std::string::npos)
        << line;
    EXPECT_NE(line.find("PelmoV3.ini" + J(" の [GLOBAL] DATABASE")), std::string::npos) << line;
}

TEST(EntryQueue, FilesInFlightVanishingOrUnreadable) {
    TestClinic clinic;
    WebDb db;
    AddClinicBasics(clinic);
    TestReservation r;
    r.patient = "0000000001";
    for (const char* key : {"0000000401", "0000000402", "0000000403"}) {
        r.key = key;
        clinic.AddReservation(r);
    }
    const std::string a = clinic.Entry("a.txt", "INSERT\r\nRegNo=0000000401\r\n");
    const std::string b = clinic.Entry("b.txt", "INSERT\r\nRegNo=0000000402\r\n");
    const std::string c = clinic.Entry("c.txt", "INSERT\r\nRegNo=0000000403\r\n");

    EngineTestAgent agent(clinic.Settings(), WebDbValues(db));
    // c.txt was written just under two seconds ago: its writer may not be done.
    TestClinic::SetModified(c, agent.clock.Now() - std::chrono::milliseconds(1999));
    // Another program takes b.txt away during the pass (before or after its turn comes).
    bool taken = false;
    agent.onStep = [&](const std::string& name) {
        if (name == "ProcessAppointmentEntry" && !taken) {
            taken = true;
            unlink(b.c_str());
        }
    };
    ASSERT_TRUE(agent.Run().completed);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM appointments WHERE appo_key='0000000401'"), 1);
    EXPECT_FALSE(platform::FileExists(a));
    EXPECT_FALSE(platform::FileExists(b));
    EXPECT_TRUE(platform::FileExists(c));
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM appointments WHERE appo_key='0000000403'"), 0);

    // Exactly two seconds after its last change it is taken.
    agent.onStep = nullptr;
    agent.clock.Advance(std::chrono::milliseconds(1));
    ASSERT_TRUE(agent.Run().completed);
    EXPECT_FALSE(platform::FileExists(c));
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM appointments WHERE appo_key='0000000403'"), 1);

    // A file that exists but cannot be read stays, with a line saying so.
    const std::string loop = clinic.EntryFolder() + "loop.txt";
    ASSERT_EQ(symlink(loop.c_str(), loop.c_str()), 0);
    LocalTables tables(clinic.DatabaseFolder());
    SyncContext ctx{.web = agent.web,
                    .log = agent.log,
                    .clock = agent.clock,
                    .settings = agent.settings,
                    .state = agent.state,
                    .tables = tables,
                    .databaseFolder = clinic.DatabaseFolder(),
                    .entryFolder = clinic.EntryFolder()};
    EXPECT_FALSE(ProcessAppointmentEntry(ctx, loop));
    EXPECT_EQ(agent.LinesWith("loop.txt"), 1);
    // A file already gone counts as done.
    EXPECT_TRUE(ProcessAppointmentEntry(ctx, clinic.EntryFolder() + "none.txt"));
}

TEST(EntryQueue, LostConnectionMidPassKeepsTheFileAndReconnects) {
    TestClinic clinic;
    WebDb db;
    AddClinicBasics(clinic);
    TestReservation r;
    r.patient = "0000000001";
    for (const char* key : {"0000000601", "0000000602", "0000000603"}) {
        r.key = key;
        clinic.AddReservation(r);
        clinic.Entry(std::string(key) + ".txt", std::string("UPDATE\r\nRegNo=") + key + "\r\n");
    }
    EngineTestAgent agent(clinic.Settings(), WebDbValues(db));
    bool killed = false;
    agent.onStep = [&](const std::string& name) {
        if (name != "ProcessAppointmentEntry" || killed)
            return;
        killed = true;
        CRecordset rs(&agent.web.Database());
        rs.Open(CRecordset::forwardOnly, "SELECT CONNECTION_ID()", CRecordset::readOnly);
        db.Exec("KILL " + GetFieldText(rs, ""));
    };
    ASSERT_TRUE(agent.Run().completed);
    // The server's first answer on a killed connection ("Connection was killed") need not read
    // as a lost connection; the next statement's does, and the file after it goes through on a
    // new connection. Every file not sent is still there.
    const long rows = Count(db, "SELECT COUNT(*) FROM appointments");
    int left = 0;
    for (const char* key : {"0000000601", "0000000602", "0000000603"})
        left += clinic.EntryExists(std::string(key) + ".txt");
    EXPECT_GE(rows, 1);
    EXPECT_EQ(rows + left, 3);

    agent.onStep = nullptr;
    ASSERT_TRUE(agent.Run().completed);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM appointments"), 3);
}

TEST(EntryQueue, WebLoginsAboutEveryTwoHours) {
    // A zone without daylight saving, so the hours since 1971-01-01 00:00 are the hour of day.
    setenv("TZ", "UTC0", 1);
    tzset();
    TestClinic clinic;
    WebDb db;
    EngineTestAgent agent(clinic.Settings(), WebDbValues(db), {2024, 1, 5, 1, 30, 0, 0});
    agent.state.usersSyncTime = EngineState::Never();
    auto runsAt = [&](int hour, int minute) {
        agent.clock.Set({2024, 1, 5, hour, minute, 0, 0});
        agent.Run();
        return agent.StepCount("SyncWebLogins");
    };
    EXPECT_EQ(runsAt(1, 30), 0); // first run waits for 02:00 local time
    EXPECT_EQ(runsAt(2, 0), 1);
    EXPECT_EQ(runsAt(3, 59), 0);
    EXPECT_EQ(runsAt(4, 0), 1);
}
