// The web refuses an exchange's answer once, right after the local book was written: the next
// cycles must answer again without writing the book a second time.
#include <gtest/gtest.h>

#include "StandbyClinic.h"
#include "WebFault.h"
#include "agent/sync/exchanges/FirstVisitBookings.h"
#include "agent/sync/exchanges/PendingAppointments.h"
#include "agent/sync/exchanges/ProcessAppCheckIns.h"
#include "agent/sync/exchanges/WebChangeRequests.h"
#include "outside/pelmodb/CWebLinkDB.h"
#include "platform/Cp932.h"

using platform::J;

namespace {

std::string Repeated(const std::string& label, const std::string& what, const std::string& key) {
    return "[" + label + "] " + what + "は登録済みのため、Webへの確定のみ行いました [予約番号 " +
           key + "]";
}

std::string Value(const StandbyClinic& c, const std::string& sql) {
    return c.Web().Scalar(sql).value_or("NULL");
}

// The link of a web row as the local database keeps it; nullopt when there is none.
std::optional<tagWebLink> Link(const StandbyClinic& c, const std::string& table,
                               const std::string& id) {
    CWebLinkDB links(c.Folder(), 0);
    if (links.GetWebLink(table, id) != 0)
        return std::nullopt;
    return links.m_rec;
}

void BookFirstVisit(const StandbyClinic& c, const std::string& id, const std::string& day) {
    c.Web().Exec(J("INSERT INTO first_appointments(id,appo_date,appo_time,name,name_kana,gender,"
                   "tel,updated_at) VALUES(" +
                   id + ",'" + day + "','10:00:00','初診 " + id + "','ｼｮｼﾝ','M','03','2024-01-0" +
                   id + " 00:00:00')"));
}

std::string Ymd(const std::string& webDate) {
    return webDate.substr(0, 4) + webDate.substr(5, 2) + webDate.substr(8, 2);
}

const char* const kFirstVisitKeyGiven =
    "NEW.appo_key IS NOT NULL AND NOT (NEW.appo_key <=> OLD.appo_key)";

} // namespace

TEST(RefusedAnswer, FirstVisitBookingIsMadeOnceAndItsCancellationFreesTheChair) {
    StandbyClinic c;
    const std::string day = c.JapanDate(1);
    c.Set("FRIST_APPOINTMENTS", "UNIT_ID", "1,2");
    c.Set("FRIST_APPOINTMENTS", "TIME", "30");
    BookFirstVisit(c, "1", day);
    BookFirstVisit(c, "2", c.JapanDate(2));
    {
        WebFault refuse(c.Web(), WebFault::Kind::Refuse, "first_appointments", "UPDATE",
                        kFirstVisitKeyGiven, 2);
        ProcessFirstVisitBookings(c.Ctx(), false);
        EXPECT_EQ(refuse.Count(), 2);
    }
    ASSERT_EQ(c.AllReservations().size(), 2u);
    EXPECT_EQ(Value(c, "SELECT appo_key FROM first_appointments WHERE id=1"), "NULL");
    const std::string key1 = Utf8Of(c.AllReservations()[0].key);
    const std::string key2 = Utf8Of(c.AllReservations()[1].key);
    auto link = Link(c, "first_appointments", "1");
    ASSERT_TRUE(link);
    EXPECT_EQ(Utf8Of(link->reservationKey), key1);
    EXPECT_STREQ(link->confirmedAt, "");

    // Row 2 is cancelled on the web before any answer reached it: it names no reservation, yet
    // the chair is freed and the row learns which reservation that was.
    c.Web().Exec("UPDATE first_appointments SET cancel_flag=1 WHERE id=2");
    c.FreshLog();
    for (int cycle = 0; cycle < 2; ++cycle) {
        ProcessFirstVisitCancellations(c.Ctx());
        ProcessFirstVisitBookings(c.Ctx(), false);
    }

    const auto all = c.AllReservations();
    ASSERT_EQ(all.size(), 2u) << "booked twice";
    EXPECT_EQ(Utf8Of(all[0].unit), "1");
    EXPECT_EQ(Utf8Of(all[0].date), Ymd(day));
    EXPECT_EQ(Utf8Of(all[0].start), "1000");
    EXPECT_EQ(all[0].status, 0);
    EXPECT_EQ(Value(c, "SELECT appo_key FROM first_appointments WHERE id=1"), key1);
    EXPECT_EQ(all[1].status, 2);
    EXPECT_EQ(Value(c, "SELECT appo_key FROM first_appointments WHERE id=2"), key2);
    EXPECT_EQ(Value(c, "SELECT cancel_flag FROM first_appointments WHERE id=2"), "2");
    link = Link(c, "first_appointments", "1");
    ASSERT_TRUE(link);
    EXPECT_EQ(std::string(link->confirmedAt).size(), 14u) << "kept as history, confirmed";

    const auto lines = c.TakeLines();
    EXPECT_EQ(StandbyClinic::Count(lines, Repeated("Web予約", "予約", key1)), 1);
    EXPECT_EQ(StandbyClinic::Count(lines, "登録済み"), 1);
    EXPECT_EQ(StandbyClinic::Count(lines, "[Web予約] 希望日時"), 0);
    EXPECT_EQ(StandbyClinic::Count(lines, "初診相談予約のキャンセル"), 1);
}

TEST(RefusedAnswer, FirstVisitCancellationIsWrittenOnce) {
    StandbyClinic c;
    c.AddReservation({.key = "0000000101", .patient = "++++++++++"});
    c.Web().Exec(J("INSERT INTO first_appointments(id,appo_key,appo_date,appo_time,name,name_kana,"
                   "tel,cancel_flag,updated_at) VALUES(1,'0000000101','2024-03-10','10:00:00',"
                   "'取消 一郎','ｶﾅ','03',1,'2024-03-05 08:00:00')"));
    {
        WebFault refuse(c.Web(), WebFault::Kind::Refuse, "first_appointments", "UPDATE",
                        "NEW.cancel_flag=2");
        ProcessFirstVisitCancellations(c.Ctx());
        EXPECT_EQ(refuse.Count(), 1);
    }
    EXPECT_EQ(c.Reservation("0000000101")->status, 2);
    EXPECT_EQ(Value(c, "SELECT cancel_flag FROM first_appointments WHERE id=1"), "1");

    // A later change of the web row does not reach the note written then.
    c.Web().Exec(J("UPDATE first_appointments SET name='別人' WHERE id=1"));
    c.FreshLog();
    ProcessFirstVisitCancellations(c.Ctx());
    ProcessFirstVisitCancellations(c.Ctx());
    EXPECT_EQ(Value(c, "SELECT cancel_flag FROM first_appointments WHERE id=1"), "2");
    EXPECT_EQ(Utf8Of(c.Reservation("0000000101")->cancelNote),
              "Webにてキャンセル 取消 一郎(ｶﾅ) TEL:03");
    const auto lines = c.TakeLines();
    EXPECT_EQ(StandbyClinic::Count(lines, Repeated("Web予約", "予約取消", "0000000101")), 1);
    EXPECT_EQ(StandbyClinic::Count(lines, "初診相談予約のキャンセル"), 1);
}

TEST(RefusedAnswer, StandbyConfirmationsNewAndMovedAreWrittenOnce) {
    StandbyClinic c;
    c.AddPatient("0000000001", "P-1", "山田 太郎");
    c.AddReservation({.key = "0000000200",
                      .patient = "0000000001",
                      .date = "20240311",
                      .start = "0900",
                      .end = "0930",
                      .unit = "1"});
    // Unit 1 is taken at 09:15 on the 12th while the answers are refused.
    c.AddReservation({.key = "0000000300",
                      .patient = "0000000002",
                      .date = "20240312",
                      .start = "0900",
                      .end = "1000",
                      .unit = "1"});
    c.AddStandby("0000000001", "0000000001", "20240301", "20240331", "01");
    c.Web().Exec(
        "INSERT INTO pending_appointments(id,pending_appo_id,patient_key,available_unit_id,type,"
        "treatment_time,confirmed_flag,hope_appo_day,hope_appo_time,appo_key,updated_at) VALUES"
        "(11,'0000000001','0000000001','1,2','01',30,1,'2024-03-10','10:00:00',NULL,"
        "'2024-03-01 08:00:00'),"
        "(12,NULL,'0000000001','1,2','01',30,1,'2024-03-12','09:15:00','0000000200',"
        "'2024-03-01 08:01:00')");
    {
        WebFault refuse(c.Web(), WebFault::Kind::Refuse, "pending_appointments", "UPDATE",
                        "OLD.confirmed_flag=1 AND NEW.confirmed_flag=2", 2);
        ProcessStandbyConfirmations(c.Ctx());
        EXPECT_EQ(refuse.Count(), 2);
    }
    ASSERT_EQ(c.AllReservations().size(), 3u);
    EXPECT_EQ(Utf8Of(c.Reservation("0000000200")->unit), "2");

    // Unit 1 frees up: the move made before stays where it was booked.
    CReservationDB book(c.Folder(), 1);
    ASSERT_EQ(book.GetReservationData("0000000300"), 0);
    book.m_rec.status = 2;
    ASSERT_EQ(book.Update(0), 0);
    c.FreshLog();
    ProcessStandbyConfirmations(c.Ctx());
    ProcessStandbyConfirmations(c.Ctx());

    const auto all = c.AllReservations();
    ASSERT_EQ(all.size(), 3u) << "booked twice";
    const std::string key = Value(c, "SELECT appo_key FROM pending_appointments WHERE id=11");
    ASSERT_EQ(key.size(), 10u);
    const auto booked = c.Reservation(key);
    ASSERT_TRUE(booked);
    EXPECT_EQ(Utf8Of(booked->unit), "1");
    EXPECT_EQ(Utf8Of(booked->date), "20240310");
    EXPECT_EQ(Utf8Of(booked->start), "1000");
    EXPECT_EQ(Utf8Of(c.Standby("0000000001")->reservationKey), key);
    EXPECT_EQ(Value(c, "SELECT confirmed_flag FROM pending_appointments WHERE id=11"), "2");
    const auto moved = c.Reservation("0000000200");
    EXPECT_EQ(Utf8Of(moved->unit), "2");
    EXPECT_EQ(Utf8Of(moved->date), "20240312");
    EXPECT_EQ(Utf8Of(moved->start), "0915");
    EXPECT_EQ(Value(c, "SELECT confirmed_flag FROM pending_appointments WHERE id=12"), "2");
    EXPECT_EQ(Value(c, "SELECT appo_key FROM pending_appointments WHERE id=12"), "0000000200");

    const auto lines = c.TakeLines();
    EXPECT_EQ(StandbyClinic::Count(lines, Repeated("予約確定", "予約", key)), 1);
    EXPECT_EQ(StandbyClinic::Count(lines, Repeated("予約確定", "予約", "0000000200")), 1);
    EXPECT_EQ(StandbyClinic::Count(lines, "希望日時"), 0);
}

TEST(RefusedAnswer, StandbyCancellationKeepsItsNewStandbyEntry) {
    StandbyClinic c;
    c.AddPatient("0000000001", "P-1", "山田 太郎");
    c.AddReservation({.key = "0000000100", .patient = "0000000001", .date = "20240310"});
    c.Web().Exec("INSERT INTO pending_appointments(id,patient_key,available_period_from,"
                 "available_period_to,confirmed_flag,appo_key) VALUES(21,'0000000001',"
                 "'2024-03-01','2024-03-31',3,'0000000100')");
    {
        WebFault refuse(c.Web(), WebFault::Kind::Refuse, "pending_appointments", "UPDATE",
                        "OLD.confirmed_flag=3 AND NEW.confirmed_flag=0");
        ProcessStandbyCancellations(c.Ctx());
        EXPECT_EQ(refuse.Count(), 1);
    }
    EXPECT_EQ(c.Reservation("0000000100")->status, 2);
    ASSERT_TRUE(c.Standby("0000000001"));
    c.FreshLog();
    ProcessStandbyCancellations(c.Ctx());
    ProcessStandbyCancellations(c.Ctx());
    EXPECT_EQ(Value(c, "SELECT confirmed_flag FROM pending_appointments WHERE id=21"), "0");
    EXPECT_EQ(Value(c, "SELECT pending_appo_id FROM pending_appointments WHERE id=21"),
              "0000000001");
    EXPECT_FALSE(c.Standby("0000000002")) << "a second standby entry";
    EXPECT_EQ(StandbyClinic::Count(c.TakeLines(), Repeated("予約取消", "予約取消", "0000000100")),
              1);

    // A confirmation whose answer was refused, then cancelled in the app on a row that never
    // learnt its key: the chair is freed all the same.
    c.Web().Exec("INSERT INTO pending_appointments(id,patient_key,available_unit_id,type,"
                 "treatment_time,confirmed_flag,hope_appo_day,hope_appo_time) VALUES"
                 "(22,'0000000001','1','01',30,1,'2024-03-20','10:00:00')");
    {
        WebFault refuse(c.Web(), WebFault::Kind::Refuse, "pending_appointments", "UPDATE",
                        "OLD.confirmed_flag=1 AND NEW.confirmed_flag=2");
        ProcessStandbyConfirmations(c.Ctx());
        EXPECT_EQ(refuse.Count(), 1);
    }
    c.Web().Exec("UPDATE pending_appointments SET confirmed_flag=3 WHERE id=22");
    ProcessStandbyCancellations(c.Ctx());
    ProcessStandbyConfirmations(c.Ctx());
    const auto all = c.AllReservations();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1].status, 2);
    EXPECT_EQ(Value(c, "SELECT appo_key FROM pending_appointments WHERE id=22"),
              Utf8Of(all[1].key));
    EXPECT_EQ(Value(c, "SELECT confirmed_flag FROM pending_appointments WHERE id=22"), "0");
}

TEST(RefusedAnswer, AppCheckInIsAnsweredAgainWithoutASecondArrival) {
    StandbyClinic c;
    c.AddPatient("0000000001", "P-1", "山田 太郎");
    c.AddReservation({.key = "0000000100", .patient = "0000000001"});
    // Arrived at the clinic's desk, not through this exchange: left alone as before.
    c.AddReservation({.key = "0000000101", .patient = "0000000001", .status = 1});
    for (const char* key : {"0000000100", "0000000101"})
        c.Web().Exec(std::string("INSERT INTO appointments(appo_key,appo_date,hospital_visited,"
                                 "hospital_visited_at) VALUES('") +
                     key +
                     "',DATE(CONVERT_TZ(CURRENT_TIME,'UTC','Asia/Tokyo')),'CHK',"
                     "'2024-03-01 09:05:00')");
    const std::string visited = "SELECT hospital_visited FROM appointments WHERE appo_key=";
    {
        WebFault refuse(c.Web(), WebFault::Kind::Refuse, "appointments", "UPDATE",
                        "OLD.hospital_visited='CHK' AND NOT (NEW.hospital_visited <=> 'CHK')");
        ProcessAppCheckIns(c.Ctx());
        EXPECT_EQ(refuse.Count(), 1);
    }
    EXPECT_EQ(c.Reservation("0000000100")->status, 1);
    EXPECT_EQ(Value(c, visited + "'0000000100'"), "CHK");
    ProcessAppCheckIns(c.Ctx());
    ProcessAppCheckIns(c.Ctx());
    EXPECT_EQ(platform::Cp932ToUtf8(Value(c, visited + "'0000000100'")), "済み");
    EXPECT_EQ(Value(c, visited + "'0000000101'"), "CHK");
    EXPECT_EQ(Utf8Of(c.Reservation("0000000100")->receptionTime), "0905");
    const auto lines = c.TakeLines();
    EXPECT_EQ(StandbyClinic::Count(lines, "[来院受付] 来院受付[09:05"), 1);
    EXPECT_EQ(StandbyClinic::Count(lines, Repeated("来院受付", "来院受付", "0000000100")), 1);
    EXPECT_EQ(StandbyClinic::Count(lines, Repeated("来院受付", "来院受付", "0000000101")), 0);
}

TEST(RefusedAnswer, ChangeRequestsMovedOrRefusedOnce) {
    StandbyClinic c;
    c.Set("PENDING_APPOINTMENTS", "TYPE", "01,02");
    c.Set("PENDING_APPOINTMENTS", "CHANGE_OK", "1,1");
    c.Set("PENDING_APPOINTMENTS", "TYPEUNIT", "1_2,3");
    c.AddPatient("0000000001", "P-1", "山田 太郎");
    c.AddReservation({.key = "0000000100", .patient = "0000000001", .date = "20240310"});
    c.AddReservation(
        {.key = "0000000200", .patient = "0000000001", .date = "20240310", .type = "02"});
    // Unit 1 is taken at the wished time while the answers are refused; unit 3 stays taken.
    c.AddReservation({.key = "0000000300",
                      .patient = "0000000002",
                      .date = "20240311",
                      .start = "1000",
                      .end = "1030",
                      .unit = "1"});
    c.AddReservation({.key = "0000000301",
                      .patient = "0000000002",
                      .date = "20240311",
                      .start = "1000",
                      .end = "1030",
                      .unit = "3"});
    for (const char* key : {"0000000100", "0000000200"})
        c.Web().Exec(std::string("INSERT INTO appointments(appo_key,appo_date,appo_start_time,"
                                 "appo_end_time,status_flag) VALUES('") +
                     key + "','2024-03-11','10:00:00','10:30:00',2)");
    {
        WebFault refuse(c.Web(), WebFault::Kind::Refuse, "appointments", "UPDATE",
                        "OLD.status_flag=2 AND NEW.status_flag IN (1,4)", 2);
        ProcessWebChangeRequests(c.Ctx());
        EXPECT_EQ(refuse.Count(), 2);
    }
    EXPECT_EQ(Utf8Of(c.Reservation("0000000100")->unit), "2");
    EXPECT_EQ(c.Reservation("0000000200")->status, 6);
    const std::string notices = "SELECT COUNT(*) FROM notifications";
    EXPECT_EQ(Value(c, notices), "0") << "no notice while the refusal is not answered";

    CReservationDB book(c.Folder(), 1);
    ASSERT_EQ(book.GetReservationData("0000000300"), 0);
    book.m_rec.status = 2;
    ASSERT_EQ(book.Update(0), 0);
    c.FreshLog();
    ProcessWebChangeRequests(c.Ctx());
    ProcessWebChangeRequests(c.Ctx());

    const auto moved = c.Reservation("0000000100");
    EXPECT_EQ(Utf8Of(moved->unit), "2");
    EXPECT_EQ(Utf8Of(moved->date), "20240311");
    EXPECT_EQ(moved->changeCount, 1);
    EXPECT_EQ(Utf8Of(moved->history[0].date), "20240310");
    EXPECT_EQ(moved->history[1].date[0], '\0');
    const std::string flag = "SELECT status_flag FROM appointments WHERE appo_key=";
    EXPECT_EQ(Value(c, flag + "'0000000100'"), "4");
    EXPECT_EQ(Value(c, "SELECT unit_id FROM appointments WHERE appo_key='0000000100'"), "2");
    EXPECT_EQ(c.Reservation("0000000200")->status, 6);
    EXPECT_EQ(Value(c, flag + "'0000000200'"), "1");
    EXPECT_EQ(Value(c, notices), "1");
    const auto lines = c.TakeLines();
    EXPECT_EQ(StandbyClinic::Count(lines, Repeated("予約確定", "予約変更", "0000000100")), 1);
    EXPECT_EQ(StandbyClinic::Count(lines, Repeated("予約確定", "予約変更不可", "0000000200")), 1);
    EXPECT_EQ(StandbyClinic::Count(lines, "希望日時"), 0);
}
