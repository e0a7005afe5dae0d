#include "CIndexControlDB.h"
#include "CWebLogDB.h"
#include "PelmoTestDb.h"

#include <gtest/gtest.h>

#include <set>

TEST(Counters, ReservationKeysAreTenDigitsAndSkipUsedKeys) {
    PelmoTestDb db;
    db.AddReservation("0000000002", "0000000100", "20250310", "1000", "1030", "1", "1");
    CIndexControlDB a(db.Folder(), 1);
    CIndexControlDB b(db.Folder(), 1);
    a.SetAssociatedDB(nullptr);
    b.SetAssociatedDB(nullptr);
    EXPECT_EQ(a.UpdateNext(), 8) << "nothing taken yet";
    // The highest stored key is the floor.
    EXPECT_EQ(a.GetNexReservationIndex(), "0000000003");
    EXPECT_EQ(a.UpdateNext(), 0);
    // A second object (its own connection) never gets the same key, even before UpdateNext.
    EXPECT_EQ(b.GetNexReservationIndex(), "0000000004");
    EXPECT_EQ(a.GetNexReservationIndex(), "0000000005");
    // A key written by other means above the counter is skipped.
    db.AddReservation("0000000006", "0000000100", "20250310", "1100", "1130", "1", "1");
    db.AddReservation("0000000007", "0000000100", "20250310", "1200", "1230", "1", "1");
    EXPECT_EQ(b.GetNexReservationIndex(), "0000000008");
}

TEST(Counters, WebLogNumbersPerDayAndCollidingWriters) {
    PelmoTestDb db;
    CWebLogDB log(db.Folder());
    ASSERT_EQ(log.Open(), 0);
    EXPECT_EQ(log.GetLastWebLogNo("20250101"), 1);
    EXPECT_EQ(log.GetLastWebLogNo("2025010"), -1);
    EXPECT_EQ(log.GetLastWebLogNo("2025a101"), -1);

    auto write = [&](CWebLogDB& l, const char* date, int seq, const char* msg) {
        l.ClearRecord();
        std::snprintf(l.m_rec.number, sizeof l.m_rec.number, "%s%05d", date, seq);
        std::snprintf(l.m_rec.time, sizeof l.m_rec.time, "%02d%02d%02d%03d", 9, 5, 7, 12);
        std::snprintf(l.m_rec.message, sizeof l.m_rec.message, "%s", msg);
        Put(l.m_rec.reference, "++++++++++");
        return l.Insert();
    };
    ASSERT_EQ(write(log, "20250101", 1, "[Web]a"), 0);
    ASSERT_EQ(write(log, "20250101", 2, "[Web]b"), 0);
    ASSERT_EQ(write(log, "20250102", 1, "[Web]c"), 0);
    EXPECT_EQ(log.GetLastWebLogNo("20250101"), 3);
    EXPECT_EQ(log.GetLastWebLogNo("20250102"), 2);
    EXPECT_EQ(log.GetLastWebLogNo("20241231"), 1);

    // Another writer asked for the number before the first one stored: its record moves to the
    // next free number instead of being lost.
    CWebLogDB other(db.Folder());
    ASSERT_EQ(write(other, "20250101", 2, "[Web]late 100%"), 0);
    EXPECT_STREQ(other.m_rec.number, "2025010100003");
    EXPECT_EQ(log.GetRecordCount(), 4);

    // The stored record reads back byte for byte in the fixed layout.
    log.SetKey(0);
    log.SetKeyBuffer("2025010100003", 14);
    ASSERT_EQ(log.GetGREQ(), 0);
    const char* raw = reinterpret_cast<const char*>(&log.m_rec);
    EXPECT_STREQ(raw, "2025010100003");
    EXPECT_STREQ(raw + 14, "090507012");
    EXPECT_STREQ(raw + 24, "[Web]late 100%");
    EXPECT_STREQ(raw + 280, "++++++++++");
    log.Close();
}
