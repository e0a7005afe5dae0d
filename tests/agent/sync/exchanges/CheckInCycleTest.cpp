// The exchanges in their places of one headless cycle.
#include <gtest/gtest.h>

#include <sstream>

#include "CheckInClinic.h"
#include "agent/app/HeadlessRunner.h"
#include "platform/Cp932.h"

using platform::J;

TEST(CheckInCycle, OneHeadlessRunTakesCheckInsNoticesAndLogins) {
    CheckInClinic c;
    {
        CPatientDB p(c.folder, 1);
        p.SetAssociatedDB(nullptr);
        Put(p.m_rec.key, "0000004711");
        Put(p.m_rec.displayNo, "0001");
        Put(p.m_rec.name, J("山田 太郎"));
        ASSERT_EQ(p.Insert(), 0);
        CReservationDB r(c.folder, 1);
        r.SetAssociatedDB(nullptr);
        Put(r.m_rec.key, "0000000001");
        Put(r.m_rec.patientKey, "0000004711");
        Put(r.m_rec.date, "20240105");
        Put(r.m_rec.start, "1000");
        ASSERT_EQ(r.Insert(), 0);
    }
    c.web.Exec(std::string("INSERT INTO appointments(appo_key,appo_date,hospital_visited,"
                           "hospital_visited_at) VALUES('0000000001',") +
               kWebToday + ",'CHK','2024-01-05 09:41:00')");
    c.web.Exec("INSERT INTO info(id,info_datetime,title,text) VALUES(1,'2024-01-04 12:00:00',"
               "'T','a\\nb')");
    c.web.Exec("INSERT INTO users(id,patient_key,last_logined_at) VALUES"
               "(1,'0000004711','2024-01-05 08:00:00')");

    // 09:30 is more than two hours after "never": the logins are read in this cycle.
    std::ostringstream out;
    HeadlessRunner runner(c.settings, c.session, c.log, c.clock, c.state, out);
    ASSERT_EQ(runner.Run(true), 0) << out.str();

    CReservationDB r(c.folder, 0);
    r.SetAssociatedDB(nullptr);
    ASSERT_EQ(r.GetReservationData("0000000001"), 0);
    EXPECT_EQ(r.m_rec.status, 1);
    EXPECT_STREQ(r.m_rec.receptionTime, "0941");
    EXPECT_EQ(c.web.Scalar("SELECT hospital_visited FROM appointments WHERE appo_key='0000000001'"),
              J("済み"));
    EXPECT_NE(out.str().find("来院受付[09:41 0001 山田 太郎]"), std::string::npos) << out.str();

    EXPECT_EQ(TempDir::Read(c.folder + "SystemInfo.txt"),
              "[$START]\r\n2024-01-04 12:00:00\r\nT\r\na[$ENTER]b\r\n[$END]\r\n");
    EXPECT_EQ(c.web.Scalar("SELECT chk FROM info WHERE id=1"), "1");

    CPatientDB p(c.folder, 0);
    p.SetAssociatedDB(nullptr);
    ASSERT_EQ(p.GetPatient1Data("0000004711"), 0);
    EXPECT_STREQ(p.m_rec.webLastLogin, "20240105080000");
}
