#include "CCategoryDB.h"
#include "CPatientDB.h"
#include "CReservationDB.h"
#include "CReservationStandbyDB.h"
#include "PelmoTestDb.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Keys of the records met from a GREQ on key 3/4 while the code and date stay those of the
// buffer: the free-slot scan's walk.
std::vector<std::string> WalkCodeDate(CReservationDB& res, int keyNumber, const char* code,
                                      const char* date) {
    char key[18] = {};
    std::strcpy(key, code);
    std::strcpy(key + 4, date);
    EXPECT_EQ(res.SetKey(keyNumber), 0);
    res.SetKeyBuffer(key, 18);
    std::vector<std::string> keys;
    for (int rc = res.GetGREQ(); rc == 0; rc = res.GetNEXT()) {
        const char* field = keyNumber == 3 ? res.m_rec.doctor : res.m_rec.unit;
        if (std::strcmp(field, code) != 0 || std::strcmp(res.m_rec.date, date) != 0)
            break;
        keys.push_back(res.m_rec.key);
    }
    return keys;
}

} // namespace

TEST(KeyNavigation, DoctorAndUnitKeysGroupOneCodeOnOneDateInStartOrder) {
    PelmoTestDb db;
    // Codes "1", "10" and "2" must not mix: "1" + NUL sorts before "10".
    db.AddReservation("0000000001", "0000000100", "20250310", "1000", "1030", "10", "1");
    db.AddReservation("0000000002", "0000000101", "20250310", "0900", "0930", "1", "10");
    db.AddReservation("0000000003", "0000000102", "20250310", "0930", "1000", "1", "1");
    db.AddReservation("0000000004", "0000000103", "20250311", "0900", "0930", "1", "1");
    db.AddReservation("0000000005", "0000000104", "20250309", "1700", "1730", "2", "1");
    db.AddReservation("0000000006", "0000000105", "20250310", "1000", "1030", "1", "2");
    // Same doctor, date and start: both are met, in key 0 order.
    db.AddReservation("0000000007", "0000000106", "20250310", "0930", "1000", "2", "1");

    CReservationDB res(db.Folder(), 0);
    res.SetAssociatedDB(nullptr);
    EXPECT_EQ(WalkCodeDate(res, 3, "1", "20250310"),
              (std::vector<std::string>{"0000000003", "0000000007", "0000000001"}));
    EXPECT_EQ(WalkCodeDate(res, 3, "10", "20250310"), (std::vector<std::string>{"0000000002"}));
    EXPECT_EQ(WalkCodeDate(res, 4, "1", "20250310"),
              (std::vector<std::string>{"0000000002", "0000000003", "0000000006"}));
    EXPECT_EQ(WalkCodeDate(res, 4, "10", "20250310"), (std::vector<std::string>{"0000000001"}));
    EXPECT_TRUE(WalkCodeDate(res, 3, "3", "20250310").empty());

    // A GREQ past every doctor code is end of file.
    char key[18] = {};
    std::strcpy(key, "9");
    res.SetKey(3);
    res.SetKeyBuffer(key, 18);
    EXPECT_EQ(res.GetGREQ(), 9);
    EXPECT_EQ(res.IsEOF(), 1);

    // Walking all of key 3 meets every record once, ordered by (doctor, date, start).
    std::vector<std::string> all;
    for (int rc = res.GetFIRST(); rc == 0; rc = res.GetNEXT())
        all.push_back(std::string(res.m_rec.doctor) + "/" + res.m_rec.date + "/" + res.m_rec.start);
    EXPECT_EQ(all, (std::vector<std::string>{
                       "1/20250309/1700", "1/20250310/0930", "1/20250310/0930", "1/20250310/1000",
                       "1/20250311/0900", "10/20250310/0900", "2/20250310/1000"}));
    EXPECT_EQ(res.GetNEXT(), 9);
    EXPECT_EQ(res.IsEOF(), 1);
}

TEST(KeyNavigation, PatientDateKeyReadsAtFixedOffsets) {
    PelmoTestDb db;
    db.AddReservation("0000000011", "0000012345", "20250501", "1400", "1430", "1", "1", 0);
    db.AddReservation("0000000012", "0000012345", "20250501", "1010", "1030", "2", "1", 1);
    db.AddReservation("0000000013", "0000012345", "20250430", "0900", "0930", "2", "1", 0);
    db.AddReservation("0000000014", "0000012346", "20250501", "0800", "0830", "2", "1", 0);
    {
        CReservationDB res(db.Folder(), 1);
        ASSERT_EQ(res.GetReservationData("0000000012"), 0);
        Put(res.m_rec.receptionTime, "1000");
        ASSERT_EQ(res.Update(0), 0);
    }

    // The kiosk's lookup: 35-byte buffer, patient key at 0, date at 21, rest zero.
    CReservationDB res(db.Folder(), 0);
    res.SetAssociatedDB(nullptr);
    char key[35] = {};
    std::strcpy(key, "0000012345");
    std::strcpy(key + 21, "20250501");
    res.SetKey(2);
    res.SetKeyBuffer(key, 35);
    ASSERT_EQ(res.GetGREQ(), 0);
    const char* rec = res.m_rec.patientKey;
    EXPECT_STREQ(rec, "0000012345");
    EXPECT_STREQ(rec + 21, "20250501");
    EXPECT_EQ(std::string(rec + 30, 4), "1010");
    EXPECT_EQ(rec[294], 1);
    EXPECT_EQ(std::string(rec + 517, 4), "1000");
    ASSERT_EQ(res.GetNEXT(), 0);
    EXPECT_EQ(std::string(rec + 30, 4), "1400");
    EXPECT_EQ(rec[294], 0);
    ASSERT_EQ(res.GetNEXT(), 0);
    EXPECT_STREQ(rec, "0000012346");

    // A buffer shorter than the key is zero-padded: patient key alone finds the earliest date.
    res.SetKeyBuffer("0000012345", 11);
    ASSERT_EQ(res.GetGREQ(), 0);
    EXPECT_STREQ(res.m_rec.date, "20250430");
    // A longer buffer is cut to the key; bytes after a segment's NUL do not count.
    char longKey[64];
    std::memset(longKey, 'Z', sizeof longKey);
    std::memcpy(longKey, key, 35);
    std::memcpy(longKey + 11, "garbage", 7); // after the patient key's NUL, inside its segment
    res.SetKeyBuffer(longKey, sizeof longKey);
    ASSERT_EQ(res.GetGREQ(), 0);
    EXPECT_STREQ(res.m_rec.key, "0000000012");

    // LEEQ finds the last record at or before the key; NEXT goes on from there.
    res.SetKeyBuffer(key, 35);
    ASSERT_EQ(res.GetLEEQ(), 0);
    EXPECT_STREQ(res.m_rec.key, "0000000013");
    ASSERT_EQ(res.GetNEXT(), 0);
    EXPECT_STREQ(res.m_rec.key, "0000000012");
    ASSERT_EQ(res.GetPREV(), 0);
    EXPECT_STREQ(res.m_rec.key, "0000000013");
    EXPECT_EQ(res.GetPREV(), 9);

    // Changing the key number mid-walk continues from the current record in the new order.
    res.SetKeyBuffer(key, 35);
    ASSERT_EQ(res.GetGREQ(), 0); // 0000000012
    res.SetKey(0);
    ASSERT_EQ(res.GetNEXT(), 0);
    EXPECT_STREQ(res.m_rec.key, "0000000013");
}

TEST(KeyNavigation, FailuresAndEdgeResults) {
    PelmoTestDb db;
    CReservationDB res(db.Folder(), 1);
    res.SetAssociatedDB(nullptr);
    EXPECT_EQ(res.GetFIRST(), 9); // empty table
    EXPECT_EQ(res.GetNEXT(), 8);  // nothing current
    EXPECT_EQ(res.SetKey(1), 6);
    EXPECT_FALSE(res.GetLastDBErr().empty());
    EXPECT_EQ(res.SetKey(7), 6);

    db.AddReservation("0000000001", "0000000100", "20250310", "1000", "1030", "1", "1");
    Put(res.m_rec.memo, "stale");
    EXPECT_EQ(res.GetReservationData("0000000002"), 4);
    EXPECT_EQ(res.m_rec.memo[0], 0) << "a miss clears the record";
    EXPECT_EQ(res.GetReservationData(""), 4);
    EXPECT_EQ(res.GetReservationData("00000000010"), 4) << "a longer key is not cut to a match";
    ASSERT_EQ(res.GetReservationData("0000000001"), 0);
    EXPECT_EQ(res.Insert(0), 5);
    Put(res.m_rec.key, "0000000009");
    EXPECT_EQ(res.Update(0), 4);
    EXPECT_EQ(res.GetRecordCount(), 1);
    Put(res.m_rec.key, "0000000001");
    EXPECT_EQ(res.Delete(), 0);
    EXPECT_EQ(res.GetRecordCount(), 0);

    // The standby key 0 walk downward from "9999999999" in an 11-byte buffer.
    CReservationStandbyDB standby(db.Folder(), 1);
    standby.SetAssociatedDB(nullptr);
    standby.SetKey(0);
    standby.SetKeyBuffer("9999999999", 11);
    EXPECT_EQ(standby.GetLEEQ(), 9);
    for (const char* k : {"0000000007", "0000000012", "0000000003"}) {
        standby.ClearRecord();
        Put(standby.m_rec.key, k);
        Put(standby.m_rec.reservationKey, std::string("55") + (k + 2));
        ASSERT_EQ(standby.Insert(), 0) << standby.GetLastDBErr();
    }
    standby.SetKeyBuffer("9999999999", 11);
    ASSERT_EQ(standby.GetLEEQ(), 0);
    EXPECT_STREQ(standby.m_rec.key, "0000000012");
    EXPECT_EQ(standby.GetReservationStandbyDataFromReservationKey("5500000007"), 0);
    EXPECT_STREQ(standby.m_rec.key, "0000000007");
    EXPECT_EQ(standby.GetReservationStandbyDataFromReservationKey("5500000008"), 4);
    EXPECT_EQ(standby.GetReservationStandbyDataFromReservationKey(""), 4);

    // A folder without a database fails with a readable text, never creates one.
    TempDir empty;
    CReservationDB nowhere(empty.Path(), 0);
    nowhere.SetAssociatedDB(nullptr);
    EXPECT_EQ(nowhere.GetReservationData("0000000001"), 20);
    EXPECT_NE(nowhere.GetLastDBErr().find(platform::J("見つかりません")), std::string::npos);
    EXPECT_EQ(nowhere.Open(), 20);
}

TEST(KeyNavigation, CategoryKeyAndByteOrderOfCp932) {
    PelmoTestDb db;
    CCategoryDB cat(db.Folder(), 1);
    cat.SetAssociatedDB(nullptr);
    struct Row {
        const char* kind;
        const char* code;
    };
    for (Row r : {Row{"1", "2"}, Row{"0", "01"}, Row{"1", "10"}, Row{"0", "00"}, Row{"2", "1"},
                  Row{"1", "1"}}) {
        cat.ClearRecord();
        Put(cat.m_rec.kind, r.kind);
        Put(cat.m_rec.code, r.code);
        Put(cat.m_rec.name, std::string("n") + r.kind + r.code);
        ASSERT_EQ(cat.Insert(), 0) << cat.GetLastDBErr();
    }
    // The settings dialog's walk: key 1, "1" padded with zeros to 8 bytes.
    char key[8] = {'1'};
    cat.SetKey(1);
    cat.SetKeyBuffer(key, 8);
    std::vector<std::string> units;
    for (int rc = cat.GetGREQ(); rc == 0 && std::strcmp(cat.m_rec.kind, "1") == 0;
         rc = cat.GetNEXT())
        units.push_back(cat.m_rec.code);
    EXPECT_EQ(units, (std::vector<std::string>{"1", "10", "2"}));
    // A one-byte buffer ("0" without its NUL) works like the padded one.
    cat.SetKeyBuffer("0", 1);
    ASSERT_EQ(cat.GetGREQ(), 0);
    EXPECT_STREQ(cat.m_rec.code, "00");
    EXPECT_EQ(cat.GetCategoryData("1", "10"), 0);
    EXPECT_STREQ(cat.m_rec.name, "n110");
    EXPECT_EQ(cat.GetCategoryData("1", "100000"), 4);

    // Key 1 of patients orders the CP932 reading bytewise: ASCII before half-width kana
    // (0xB1..) before double-byte kana (0x83..), as unsigned bytes.
    CPatientDB pat(db.Folder(), 1);
    pat.SetAssociatedDB(nullptr);
    const std::string kanaA = "\xB1";        // half-width katakana A
    const std::string kanaWide = "\x83\x41"; // full-width katakana A
    const std::string ascii = "Z";
    int n = 0;
    for (const std::string& kana : {kanaA, kanaWide, ascii}) {
        pat.ClearRecord();
        Put(pat.m_rec.key, "000000000" + std::to_string(++n));
        Put(pat.m_rec.kana, kana);
        ASSERT_EQ(pat.Insert(), 0) << pat.GetLastDBErr();
    }
    pat.SetKey(1);
    std::vector<std::string> order;
    for (int rc = pat.GetFIRST(); rc == 0; rc = pat.GetNEXT())
        order.push_back(pat.m_rec.kana);
    EXPECT_EQ(order, (std::vector<std::string>{ascii, kanaWide, kanaA}));
}
