// Dates picked in the app for standby entries, booked into the local book or refused.
#include <gtest/gtest.h>

#include "StandbyClinic.h"
#include "agent/sync/exchanges/PendingAppointments.h"
#include "platform/Cp932.h"

using platform::J;

namespace {

std::string Flag(const StandbyClinic& c, const std::string& id) {
    return c.Web()
        .Scalar("SELECT confirmed_flag FROM pending_appointments WHERE id=" + id)
        .value_or("NULL");
}

std::string AppoKey(const StandbyClinic& c, const std::string& id) {
    return c.Web()
        .Scalar("SELECT appo_key FROM pending_appointments WHERE id=" + id)
        .value_or("NULL");
}

} // namespace

TEST(StandbyConfirmations, NewMovedRefusedAndLinked) {
    StandbyClinic c;
    c.clock.Set({2024, 3, 1, 9, 0, 0, 0});
    c.AddPatient("0000000001", "P-1", "山田 太郎");
    c.AddReservation({.key = "0000000100",
                      .patient = "0000000002",
                      .date = "20240310",
                      .start = "1000",
                      .end = "1030",
                      .unit = "1"});
    c.AddReservation({.key = "0000000200",
                      .patient = "0000000001",
                      .date = "20240311",
                      .start = "0900",
                      .end = "0930",
                      .unit = "1",
                      .doctor = "D2"});
    c.AddStandby("0000000001", "0000000001", "20240301", "20240331", "01");
    c.Web().Exec(
        J("INSERT INTO pending_appointments(id,pending_appo_id,patient_key,available_unit_id,"
          "available_pic_id,type,treatment_time,treatment_detail,confirmed_flag,hope_appo_day,"
          "hope_appo_time,appo_key,updated_at) VALUES"
          "(11,'0000000001','0000000001','1,2','D1,D2','01',30,'定期検診',1,'2024-03-10',"
          "'10:00:00',NULL,'2024-03-01 08:00:00'),"
          "(12,NULL,'0000000001','1',NULL,'01',30,NULL,1,'2024-03-11','09:15:00','0000000200',"
          "'2024-03-01 08:01:00'),"
          "(13,NULL,'0000000009','1',NULL,'01',30,NULL,1,'2024-03-10','10:15:00',NULL,"
          "'2024-03-01 08:02:00')"));

    ProcessStandbyConfirmations(c.Ctx());

    // Unit 1 is taken at 10:00: a new reservation on unit 2, the first doctor as the other code.
    const std::string key = AppoKey(c, "11");
    ASSERT_EQ(key.size(), 10u);
    EXPECT_EQ(Flag(c, "11"), "2");
    auto r = c.Reservation(key);
    ASSERT_TRUE(r);
    EXPECT_EQ(Utf8Of(r->patientKey), "0000000001");
    EXPECT_EQ(Utf8Of(r->unit), "2");
    EXPECT_EQ(Utf8Of(r->doctor), "D1");
    EXPECT_EQ(Utf8Of(r->date), "20240310");
    EXPECT_EQ(Utf8Of(r->start), "1000");
    EXPECT_EQ(Utf8Of(r->end), "1030");
    EXPECT_EQ(Utf8Of(r->memo), "定期検診");
    EXPECT_EQ(Utf8Of(r->webUpdateDate), "20240301");
    EXPECT_EQ(r->pendingId, 11);
    EXPECT_EQ(Utf8Of(c.Standby("0000000001")->reservationKey), key);

    // The row's own reservation moves in place; it does not block its own new time.
    EXPECT_EQ(Flag(c, "12"), "2");
    EXPECT_EQ(AppoKey(c, "12"), "0000000200");
    r = c.Reservation("0000000200");
    EXPECT_EQ(Utf8Of(r->start), "0915");
    EXPECT_EQ(Utf8Of(r->end), "0945");
    EXPECT_EQ(Utf8Of(r->doctor), ""); // no doctor list on the row: the other code is cleared
    EXPECT_EQ(r->pendingId, 12);

    // No slot: reopened with a notice to the patient; nothing booked.
    EXPECT_EQ(Flag(c, "13"), "0");
    EXPECT_EQ(AppoKey(c, "13"), "NULL");
    EXPECT_EQ(c.AllReservations().size(), 3u);
    const auto notices = c.Web().Query(
        "SELECT patient_key,title,notification_date,valid_to_date FROM notifications");
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(*notices[0][0], "0000000009");
    EXPECT_EQ(platform::Cp932ToUtf8(*notices[0][1]), "予約変更のお願い");
    const auto lines = c.TakeLines();
    EXPECT_EQ(StandbyClinic::Count(lines, "[予約確定] 希望日時 2024.03.10 10:00 [P-1 , 山田 太郎]"),
              1);
    EXPECT_EQ(StandbyClinic::Count(lines, "[予約確定] 希望日時 2024.03.10 10:15 [未登録 , ]"), 1);
    EXPECT_EQ(
        StandbyClinic::Count(lines, "2024.03.10 10:15 空き枠が無いため予約が確定できません。"), 1);

    // Doctor mode: the doctors are the candidates, the first unit the other code.
    c.Set("COMMON", "UNIT_TYPE", "1");
    c.Web().Exec("INSERT INTO pending_appointments(id,patient_key,available_unit_id,"
                 "available_pic_id,type,treatment_time,confirmed_flag,hope_appo_day,"
                 "hope_appo_time) VALUES(14,'0000000001','5,6','D7','01',60,1,'2024-03-12',"
                 "'10:00:00')");
    ProcessStandbyConfirmations(c.Ctx());
    r = c.Reservation(AppoKey(c, "14"));
    ASSERT_TRUE(r);
    EXPECT_EQ(Utf8Of(r->doctor), "D7");
    EXPECT_EQ(Utf8Of(r->unit), "5");
    EXPECT_EQ(Utf8Of(r->end), "1100");
}
