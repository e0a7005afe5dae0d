// One headless cycle takes a first-visit booking and a standby confirmation made on the web into
// the local book, and refuses a second booking for the same slot.
#include <gtest/gtest.h>

#include <sstream>

#include "FakeClock.h"
#include "TestClinic.h"
#include "WebDb.h"
#include "WebDbValues.h"
#include "agent/app/HeadlessRunner.h"
#include "outside/pelmodb/CReservationDB.h"
#include "platform/Cp932.h"
#include "platform/Profile.h"

using platform::J;

TEST(StandbyHeadless, BookingAndConfirmationLandInOneCycle) {
    TestClinic clinic;
    WebDb db;
    clinic.AddPatient("0000004711", "100", "山田 太郎");
    clinic.AddStandby("0000000001", "");
    const std::string ini = clinic.DatabaseFolder() + "Apposync.ini";
    platform::WriteProfileString(ini, "FRIST_APPOINTMENTS", "UNIT_ID", "1");
    platform::WriteProfileString(ini, "FRIST_APPOINTMENTS", "TIME", "30");

    const std::string day =
        db.Scalar("SELECT DATE_ADD(DATE(CONVERT_TZ(CURRENT_TIME,'UTC','Asia/Tokyo')),"
                  "INTERVAL 1 DAY)")
            .value();
    db.Exec(J("INSERT INTO first_appointments(id,appo_date,appo_time,name,name_kana,gender,"
              "updated_at) VALUES"
              "(1,'" +
              day + "','10:00:00','初診 一郎','ｲﾁﾛｳ','M','2024-01-01 00:00:00'),(2,'" + day +
              "','10:00:00','初診 二郎','ｼﾞﾛｳ','M','2024-01-02 00:00:00')"));
    db.Exec("INSERT INTO pending_appointments(id,pending_appo_id,patient_key,available_unit_id,"
            "type,treatment_time,confirmed_flag,hope_appo_day,hope_appo_time) VALUES"
            "(5,'0000000001','0000004711','2','01',30,1,'" +
            day + "','10:00:00')");

    FakeClock clock;
    OperationLog log(clock, {});
    EngineState state;
    WebSession web(WebDbValues(db));
    std::ostringstream out;
    HeadlessRunner runner(clinic.Settings(), web, log, clock, state, out);
    EXPECT_EQ(runner.Run(true), 0);

    const std::string firstKey =
        db.Scalar("SELECT appo_key FROM first_appointments WHERE id=1").value_or("");
    const std::string standbyKey =
        db.Scalar("SELECT appo_key FROM pending_appointments WHERE id=5").value_or("");
    ASSERT_EQ(firstKey.size(), 10u) << out.str();
    ASSERT_EQ(standbyKey.size(), 10u) << out.str();
    EXPECT_EQ(db.Scalar("SELECT confirmed_flag FROM pending_appointments WHERE id=5"), "2");
    EXPECT_FALSE(db.Scalar("SELECT appo_key FROM first_appointments WHERE id=2"));
    EXPECT_EQ(db.Scalar("SELECT created_at FROM first_appointments WHERE id=2"),
              "2000-01-01 00:00:00");

    CReservationDB book(clinic.DatabaseFolder(), 0);
    ASSERT_EQ(book.GetReservationData(firstKey), 0);
    EXPECT_STREQ(book.m_rec.patientKey, "++++++++++");
    EXPECT_STREQ(book.m_rec.unit, "1");
    ASSERT_EQ(book.GetReservationData(standbyKey), 0);
    EXPECT_STREQ(book.m_rec.patientKey, "0000004711");
    EXPECT_STREQ(book.m_rec.unit, "2");
    EXPECT_EQ(clinic.ReservationCount(), 2);

    const std::string text = out.str();
    EXPECT_NE(text.find("[Web予約] 希望日時"), std::string::npos) << text;
    EXPECT_NE(text.find("[予約重複]"), std::string::npos) << text;
    EXPECT_NE(text.find("初診 二郎"), std::string::npos) << text;
}
