#include <gtest/gtest.h>

#include "CheckInClinic.h"
#include "ClinicZoneGuard.h"
#include "agent/sync/exchanges/ProcessAppCheckIns.h"
#include "outside/tools/CTools.h"
#include "platform/Cp932.h"

using platform::J;

namespace {

struct CheckInTest : ::testing::Test {
    void AddPatient(const std::string& key, const std::string& displayNo, const std::string& name) {
        CPatientDB p(c.folder, 1);
        p.SetAssociatedDB(nullptr);
        Put(p.m_rec.key, key);
        Put(p.m_rec.displayNo, displayNo);
        Put(p.m_rec.name, name);
        ASSERT_EQ(p.Insert(), 0) << p.GetLastDBErr();
    }
    void AddReservation(const std::string& key, const std::string& patient, char status,
                        char saleOnArrival = 0, const std::string& saleNo = {}) {
        CReservationDB r(c.folder, 1);
        r.SetAssociatedDB(nullptr);
        Put(r.m_rec.key, key);
        Put(r.m_rec.patientKey, patient);
        Put(r.m_rec.date, "20240105");
        Put(r.m_rec.start, "1000");
        Put(r.m_rec.end, "1030");
        Put(r.m_rec.saleNo, saleNo);
        r.m_rec.status = status;
        r.m_rec.saleOnArrival = saleOnArrival;
        r.m_rec.amount = 3000;
        ASSERT_EQ(r.Insert(), 0) << r.GetLastDBErr();
    }
    tagReservation Reservation(const std::string& key) {
        CReservationDB r(c.folder, 0);
        r.SetAssociatedDB(nullptr);
        EXPECT_EQ(r.GetReservationData(key), 0) << key;
        return r.m_rec;
    }
    // A 'CHK' row; day is an SQL date expression, at a DATETIME literal or NULL.
    void AddCheckIn(const std::string& appoKey, const std::string& day,
                    const std::string& at = "NULL") {
        c.web.Exec("INSERT INTO appointments(appo_key,appo_date,hospital_visited,"
                   "hospital_visited_at) VALUES('" +
                   appoKey + "'," + day + ",'CHK'," + at + ")");
    }
    // hospital_visited of the web row, "<gone>" when deleted.
    std::string Visited(const std::string& appoKey) {
        auto rows = c.web.Query("SELECT hospital_visited FROM appointments WHERE appo_key='" +
                                appoKey + "'");
        return rows.empty() ? "<gone>" : rows[0][0].value_or("<null>");
    }
    long Sales() {
        CSaleDB s(c.folder, 0);
        s.SetAssociatedDB(nullptr);
        return s.GetRecordCount();
    }

    CheckInClinic c;
};

} // namespace

TEST_F(CheckInTest, ArrivalsDeletionsAndRowsLeftAlone) {
    AddPatient("0000004711", "0001", J("山田 太郎"));
    AddReservation("0000000001", "0000004711", 0);
    AddReservation("0000000002", "0000004711", 0);
    AddReservation("0000000003", "0000004711", 2);
    AddReservation("0000000004", "0000009999", 0); // no such patient
    AddReservation("0000000005", "0000004711", 1);
    AddReservation("0000000006", "0000004711", 0);
    const std::string today = kWebToday;
    AddCheckIn("0000000001", today, "'2024-01-05 10:05:00'");
    AddCheckIn("0000000002", today + " - INTERVAL 1 DAY", "'2024-01-04 10:05:00'");
    AddCheckIn("0000000003", today);
    AddCheckIn("0000000004", today);
    AddCheckIn("0000000005", today, "'2024-01-05 11:00:00'");
    AddCheckIn("0000000099", today);
    // Longer than any local key: it must not check in reservation 6.
    AddCheckIn("00000000066", today);

    ProcessAppCheckIns(*c.ctx);

    tagReservation r1 = Reservation("0000000001");
    EXPECT_EQ(r1.status, 1);
    EXPECT_STREQ(r1.receptionTime, "1005");
    EXPECT_EQ(Visited("0000000001"), J("済み"));
    EXPECT_TRUE(c.Logged("[" + J("来院受付") + "] " + J("来院受付[10:05 0001 山田 太郎]")));
    CPatientDB p(c.folder, 0);
    p.SetAssociatedDB(nullptr);
    ASSERT_EQ(p.GetPatient1Data("0000004711"), 0);
    EXPECT_STREQ(p.m_rec.lastFinishedDate, "20240105") << "the local clock's date";

    // Yesterday's row is not today's business.
    EXPECT_EQ(Reservation("0000000002").status, 0);
    EXPECT_EQ(Visited("0000000002"), "CHK");

    // Cancelled locally, missing locally, or a key no local reservation can have: deleted.
    EXPECT_EQ(Reservation("0000000003").status, 2);
    EXPECT_EQ(Visited("0000000003"), "<gone>");
    EXPECT_EQ(Visited("0000000099"), "<gone>");
    EXPECT_EQ(Visited("00000000066"), "<gone>");
    EXPECT_EQ(Reservation("0000000006").status, 0);

    // A missing patient still arrives; without a check-in time the reception time stays empty.
    tagReservation r4 = Reservation("0000000004");
    EXPECT_EQ(r4.status, 1);
    EXPECT_STREQ(r4.receptionTime, "");
    EXPECT_EQ(Visited("0000000004"), J("済み"));
    EXPECT_TRUE(c.Logged(J("来院受付[00:00 未登録 ]")));

    // Already arrived: left as it is (the reservation publish settles the web row).
    EXPECT_STREQ(Reservation("0000000005").receptionTime, "");
    EXPECT_EQ(Visited("0000000005"), "CHK");
    EXPECT_EQ(Sales(), 0);
    EXPECT_TRUE(c.Logged(J("チェックインデータ取得[0000000001]")));
}

TEST_F(CheckInTest, OneSaleOnlyAndTheProfileAlwaysSwitchedBack) {
    AddPatient("0000004711", "0001", J("山田"));
    AddReservation("0000000007", "0000004711", 0, 1);
    AddCheckIn("0000000007", kWebToday, "'2024-01-05 09:15:00'");
    const std::string agentFile = c.folder + "Apposync.ini";
    ASSERT_EQ(AgentSettings::ProfileFile(), agentFile);

    // The sale is made, then the arrival cannot be written back.
    c.Local("CREATE TRIGGER refuse BEFORE UPDATE ON reservation WHEN NEW.status=1 "
            "BEGIN SELECT RAISE(ABORT,'refused'); END");
    ProcessAppCheckIns(*c.ctx);
    EXPECT_EQ(AgentSettings::ProfileFile(), agentFile);
    EXPECT_EQ(Sales(), 1);
    tagReservation r = Reservation("0000000007");
    EXPECT_EQ(r.status, 0);
    const std::string saleNo = r.saleNo;
    EXPECT_FALSE(saleNo.empty()) << "the stored reservation names its sale";
    EXPECT_EQ(Visited("0000000007"), "CHK");
    EXPECT_TRUE(c.Logged(J("来院受付に失敗[0000000007] Status=")));

    // Next cycle: the arrival is written, with the same sale.
    c.Local("DROP TRIGGER refuse");
    ProcessAppCheckIns(*c.ctx);
    EXPECT_EQ(Sales(), 1);
    r = Reservation("0000000007");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(std::string(r.saleNo), saleNo);
    EXPECT_STREQ(r.receptionTime, "0915");
    EXPECT_EQ(Visited("0000000007"), J("済み"));

    // The sale cannot be made: no arrival without it, and the profile is the agent's again.
    AddReservation("0000000008", "0000004711", 0, 1);
    AddCheckIn("0000000008", kWebToday);
    c.Local("CREATE TRIGGER nosale BEFORE INSERT ON sale BEGIN SELECT RAISE(ABORT,'no'); END");
    ProcessAppCheckIns(*c.ctx);
    EXPECT_EQ(AgentSettings::ProfileFile(), agentFile);
    EXPECT_NE(AgentSettings::ProfileFile(), CTools::GetCorvaneIniFileName());
    EXPECT_EQ(Reservation("0000000008").status, 0);
    EXPECT_EQ(Visited("0000000008"), "CHK");
    EXPECT_TRUE(c.Logged(J("来院受付に失敗[0000000008] Status=")));
    c.Local("DROP TRIGGER nosale");
    ProcessAppCheckIns(*c.ctx);
    EXPECT_EQ(Sales(), 2);
    EXPECT_EQ(Reservation("0000000008").status, 1);

    // A sale made for the reservation that the reservation lost track of is taken, not doubled.
    AddReservation("0000000009", "0000004711", 0, 1);
    {
        CSaleDB s(c.folder, 1);
        s.SetAssociatedDB(nullptr);
        Put(s.m_rec.saleNo, "0000000777");
        Put(s.m_rec.patientKey, "0000004711");
        Put(s.m_rec.date, "20240105");
        Put(s.m_rec.reservationKey, "0000000009");
        ASSERT_EQ(s.Insert(), 0);
    }
    AddCheckIn("0000000009", kWebToday);
    ProcessAppCheckIns(*c.ctx);
    EXPECT_EQ(Sales(), 3);
    EXPECT_STREQ(Reservation("0000000009").saleNo, "0000000777");
    EXPECT_EQ(Reservation("0000000009").status, 1);
}

TEST_F(CheckInTest, WebErrorsAreLoggedAndLeaveTheLocalWriteDone) {
    AddPatient("0000004711", "0001", J("山田"));
    AddReservation("0000000001", "0000004711", 0);
    AddCheckIn("0000000001", kWebToday);
    // The web row cannot be updated: the arrival stays written, the error is logged.
    c.web.Exec("CREATE TRIGGER nomark BEFORE UPDATE ON appointments FOR EACH ROW "
               "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='marking refused'");
    ProcessAppCheckIns(*c.ctx);
    EXPECT_EQ(Reservation("0000000001").status, 1);
    EXPECT_TRUE(c.Logged("[" + J("SQLエラー") + "] "));
    EXPECT_TRUE(c.Logged("marking refused"));
    EXPECT_EQ(Visited("0000000001"), "CHK");

    // A lost connection ends the exchange with a logged error, never an exception.
    c.session.Close();
    const std::size_t before = c.log.Lines().size();
    EXPECT_NO_THROW(ProcessAppCheckIns(*c.ctx));
    EXPECT_GT(c.log.Lines().size(), before);
}

// At 08:30 in Japan a machine on UTC still has the day before; the arrival is the clinic's today.
TEST_F(CheckInTest, DatedTheClinicsTodayWhileUtcIsStillYesterday) {
    ClinicZoneGuard zone("Asia/Tokyo");
    c.clock.SetInstant(std::chrono::system_clock::from_time_t(1704411000)); // 01-04 23:30 UTC
    AddPatient("0000004711", "0001", J("山田 太郎"));
    AddReservation("0000000001", "0000004711", 0);
    AddCheckIn("0000000001", kWebToday, "'2024-01-05 08:30:00'");

    ProcessAppCheckIns(*c.ctx);

    EXPECT_EQ(Reservation("0000000001").status, 1);
    CPatientDB p(c.folder, 0);
    p.SetAssociatedDB(nullptr);
    ASSERT_EQ(p.GetPatient1Data("0000004711"), 0);
    EXPECT_STREQ(p.m_rec.lastFinishedDate, "20240105");
    EXPECT_TRUE(c.Logged("2024.01.05 08:30:00.000 [" + J("来院受付") + "]"));
}
