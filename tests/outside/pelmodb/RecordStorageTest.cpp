#include "CCategoryDB.h"
#include "CDoctorDB.h"
#include "CPatientDB.h"
#include "CPatientDB2.h"
#include "CPelmoDBSys.h"
#include "CReservationDB.h"
#include "PelmoSchema.h"
#include "PelmoTestDb.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {
std::string QueryText(const std::string& folder, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(PelmoSchema::DatabaseFile(folder).c_str(), &db);
    sqlite3_stmt* st = nullptr;
    std::string out;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0))
        out = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}
} // namespace

TEST(RecordStorage, TextsAreCp932InRecordsAndUtf8InTheFile) {
    PelmoTestDb db;
    CPatientDB pat(db.Folder(), 1);
    CPatientDB2 pat2(db.Folder(), 1);
    pat.SetAssociatedDB(nullptr);
    pat2.SetAssociatedDB(nullptr);
    const std::string name = platform::J("山田 太郎");
    Put(pat.m_rec.key, "0000004711");
    Put(pat.m_rec.name, name);
    Put(pat.m_rec.kana, platform::J("ﾔﾏﾀﾞ ﾀﾛｳ"));
    Put(pat.m_rec.webLastLogin, "20250102030405");
    pat.m_rec.deleted = 1;
    ASSERT_EQ(pat.Insert(), 0) << pat.GetLastDBErr();
    Put(pat2.m_rec.key, "0000004711");
    Put(pat2.m_rec.characteristic, platform::J("ペニシリン禁忌"));
    ASSERT_EQ(pat2.Insert(), 0);

    EXPECT_EQ(QueryText(db.Folder(), "SELECT name FROM patient"), "山田 太郎");
    pat.ClearRecord();
    ASSERT_EQ(pat.GetPatientData(&pat2, "0000004711"), 0);
    EXPECT_EQ(std::string(pat.m_rec.name), name);
    EXPECT_EQ(pat.m_rec.deleted, 1);
    EXPECT_STREQ(pat.m_rec.webLastLogin, "20250102030405");
    EXPECT_EQ(std::string(pat2.m_rec.characteristic), platform::J("ペニシリン禁忌"));
    // Patient without second record: found, second record cleared.
    Put(pat.m_rec.key, "0000004712");
    ASSERT_EQ(pat.Insert(), 0);
    ASSERT_EQ(pat.GetPatientData(&pat2, "0000004712"), 0);
    EXPECT_EQ(pat2.m_rec.characteristic[0], 0);
    EXPECT_EQ(pat.GetPatientData(&pat2, "0000009999"), 4);
    EXPECT_EQ(pat.m_rec.name[0], 0);

    // Garbage after a NUL is not stored; a field filled to the last byte loses the last
    // character (cut before a double-byte character, never through it).
    CReservationDB res(db.Folder(), 1);
    res.SetAssociatedDB(nullptr);
    Put(res.m_rec.key, "0000000001");
    std::memset(res.m_rec.unit, 'X', sizeof res.m_rec.unit);
    std::memcpy(res.m_rec.unit, "1\0Q", 3);
    const std::string wide = platform::J("あ"); // two bytes
    std::string cancel;
    while (cancel.size() < sizeof res.m_rec.cancelNote)
        cancel += wide; // 102 bytes: fills the field with no NUL
    std::memcpy(res.m_rec.cancelNote, cancel.data(), sizeof res.m_rec.cancelNote);
    res.m_rec.pendingId = 9007199254740993LL;
    res.m_rec.amount = -1200;
    ASSERT_EQ(res.Insert(0), 0) << res.GetLastDBErr();
    res.ClearRecord();
    ASSERT_EQ(res.GetReservationData("0000000001"), 0);
    EXPECT_EQ(std::string(res.m_rec.unit, 4), std::string("1\0\0\0", 4));
    EXPECT_EQ(std::string(res.m_rec.cancelNote), cancel.substr(0, 100));
    EXPECT_EQ(res.m_rec.pendingId, 9007199254740993LL);
    EXPECT_EQ(res.m_rec.amount, -1200);
    // The unit key was built from the cleaned field: unit "1" finds it.
    char key[18] = {'1'};
    res.SetKey(4);
    res.SetKeyBuffer(key, 18);
    ASSERT_EQ(res.GetGREQ(), 0);
    EXPECT_STREQ(res.m_rec.unit, "1");
}

TEST(RecordStorage, FileTimesInstallationValuesAndSharedHandles) {
    PelmoTestDb db;
    CCategoryDB cat(db.Folder(), 1);
    CDoctorDB doc(db.Folder(), 1);
    cat.SetAssociatedDB(nullptr);
    doc.SetAssociatedDB(nullptr);
    std::int64_t catTime = cat.GetFileTime();
    std::int64_t docTime = doc.GetFileTime();
    Put(cat.m_rec.kind, "0");
    Put(cat.m_rec.code, "01");
    ASSERT_EQ(cat.Insert(), 0);
    std::int64_t afterInsert = cat.GetFileTime();
    EXPECT_GT(afterInsert, catTime);
    EXPECT_EQ(doc.GetFileTime(), docTime) << "another table's change leaves this time";
    Put(cat.m_rec.name, "x");
    ASSERT_EQ(cat.Update(), 0);
    EXPECT_GT(cat.GetFileTime(), afterInsert) << "two changes in one millisecond still differ";
    std::int64_t afterUpdate = cat.GetFileTime();
    ASSERT_EQ(cat.Delete(), 0);
    EXPECT_GT(cat.GetFileTime(), afterUpdate);

    // Installation values through a handle, seen by the reservation accessor.
    CPelmoDBSys sys(db.Folder());
    std::string value = "x";
    ASSERT_EQ(sys.GetEntryFolder(value), 0);
    EXPECT_EQ(value, "");
    ASSERT_EQ(sys.SetEntryFolder("/srv/entry"), 0);
    ASSERT_EQ(sys.SetClinicCode(platform::J("医院A")), 0);
    CReservationDB res(db.Folder(), 1);
    res.SetAssociatedDB(nullptr);
    EXPECT_EQ(res.GetEntryFolder(), "/srv/entry/");
    ASSERT_EQ(sys.GetClinicCode(value), 0);
    EXPECT_EQ(value, platform::J("医院A"));

    // Two tables on one handle see each other's writes; a separately opened one too.
    CDoctorDB bound(db.Folder(), 0);
    bound.SetAssociatedDB(&sys);
    Put(bound.m_rec.code, "7");
    Put(bound.m_rec.name, platform::J("佐藤"));
    ASSERT_EQ(bound.Insert(), 0);
    ASSERT_EQ(doc.GetDoctorData("7"), 0);
    EXPECT_EQ(std::string(doc.m_rec.name), platform::J("佐藤"));
    sys.CloseDB();
    EXPECT_EQ(bound.GetDoctorData("7"), 0) << "bound tables keep their connection";
    EXPECT_EQ(doc.GetDoctorData("77"), 4);
    EXPECT_EQ(doc.GetDoctorData("123456"), 4);
}
