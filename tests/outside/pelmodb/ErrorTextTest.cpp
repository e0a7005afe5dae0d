// The texts a user meets when the clinic database cannot be used: Japanese, naming the file and,
// where the program said so, the settings file and key the folder comes from.
#include "CPelmoDBSys.h"
#include "CReservationDB.h"
#include "PelmoMessages.h"
#include "PelmoStatus.h"
#include "PelmoTestDb.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

using platform::J;

namespace {

const std::string kIni = "/opt/clinic/PelmoV3.ini";
const std::string kKey = "[GLOBAL] DATABASE";

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// What a record class reports for the folder: its status and text.
std::pair<int, std::string> OpenThrough(const std::string& folder) {
    CReservationDB res(folder, 0);
    res.SetAssociatedDB(nullptr);
    const int rc = res.GetReservationData("0000000001");
    return {rc, res.GetLastDBErr()};
}

void Sql(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    char* msg = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &msg), SQLITE_OK) << msg;
    sqlite3_free(msg);
    sqlite3_close(db);
}

} // namespace

TEST(ErrorText, MissingDatabaseNamesTheFileAndWhereTheFolderIsSet) {
    TempDir unset, set;
    const std::string file = set.Path() + "PelmoDB.sqlite";
    PelmoMessages::SetFolderSource(set.Path(), kIni, kKey);

    auto [rc, text] = OpenThrough(set.Path());
    EXPECT_EQ(rc, PelmoStatus::kCannotOpen);
    EXPECT_TRUE(Has(text, J("ローカルデータベースが見つかりません: ") + file)) << text;
    EXPECT_TRUE(Has(text, kIni + J(" の ") + kKey)) << text;

    // The folder without a source (a folder written without the trailing '/' is the same
    // folder) names the file only.
    auto [rc2, text2] = OpenThrough(unset.Path());
    EXPECT_EQ(rc2, PelmoStatus::kCannotOpen);
    EXPECT_TRUE(Has(text2, unset.Path() + "PelmoDB.sqlite")) << text2;
    EXPECT_FALSE(Has(text2, "PelmoV3.ini")) << text2;
    std::string bare = set.Path();
    bare.pop_back();
    CPelmoDBSys sys(bare);
    EXPECT_EQ(sys.Connection(), nullptr);
    EXPECT_TRUE(Has(sys.GetLastDBErr(), kIni)) << sys.GetLastDBErr();

    // An empty setting is named as such, not as a file missing in whatever folder is current.
    PelmoMessages::SetFolderSource("", kIni, kKey);
    const std::string empty = OpenThrough("").second;
    EXPECT_EQ(empty, J("ローカルデータベースのフォルダが設定されていません（") + kIni + J(" の ") +
                         kKey + J("）"));
    PelmoMessages::SetFolderSource("", "", "");
    EXPECT_EQ(OpenThrough("").second, J("ローカルデータベースが見つかりません: PelmoDB.sqlite"));
    PelmoMessages::SetFolderSource(set.Path(), "", "");
    EXPECT_FALSE(Has(OpenThrough(set.Path()).second, kIni));
}

TEST(ErrorText, UnreadableForeignAndOtherVersionFiles) {
    // A damaged file (not SQLite at all).
    TempDir damaged;
    damaged.Write("PelmoDB.sqlite", std::string(4096, 'x'));
    PelmoMessages::SetFolderSource(damaged.Path(), kIni, kKey);
    auto [rc, text] = OpenThrough(damaged.Path());
    EXPECT_EQ(rc, PelmoStatus::kCannotOpen);
    EXPECT_TRUE(Has(text, J("ローカルデータベースを開けません: ") + damaged.File("PelmoDB.sqlite")))
        << text;
    EXPECT_TRUE(Has(text, J("データベースのファイルではないか、壊れています"))) << text;
    EXPECT_TRUE(Has(text, kIni)) << text;

    // A readable SQLite file of some other program.
    TempDir foreign;
    Sql(foreign.File("PelmoDB.sqlite"), "CREATE TABLE t(x)");
    auto [rc2, text2] = OpenThrough(foreign.Path());
    EXPECT_EQ(rc2, PelmoStatus::kCannotOpen);
    EXPECT_EQ(text2,
              J("ローカルデータベースのファイルではありません: ") + foreign.File("PelmoDB.sqlite"));

    // A clinic database of another layout version is refused before any record is read; one
    // without a version is refused too.
    PelmoTestDb db;
    db.AddReservation("0000000001", "0000000001", "20250501", "0900", "0930", "1", "D1");
    const std::string file = db.Folder() + "PelmoDB.sqlite";
    Sql(file, "UPDATE pelmo_settings SET value='2' WHERE name='schema_version'");
    auto [rc3, text3] = OpenThrough(db.Folder());
    EXPECT_EQ(rc3, PelmoStatus::kCannotOpen);
    EXPECT_EQ(text3, J("ローカルデータベースのバージョンが違います: ") + file +
                         J("（ファイルは 2、このプログラムは 1）"));
    Sql(file, "DELETE FROM pelmo_settings WHERE name='schema_version'");
    EXPECT_TRUE(Has(OpenThrough(db.Folder()).second, J("（ファイルは 不明、")));
    Sql(file, "INSERT INTO pelmo_settings(name, value) VALUES('schema_version', '1')");
    EXPECT_EQ(OpenThrough(db.Folder()).first, PelmoStatus::kOk);
}

TEST(ErrorText, LocksAndOrdinaryOutcomes) {
    // A lock met while opening reads as a lock, not as an unreadable file.
    const std::string locked = PelmoMessages::CannotOpen("/db/PelmoDB.sqlite", SQLITE_BUSY, "x");
    EXPECT_EQ(locked,
              J("ローカルデータベースが他のプログラムにロックされています: /db/PelmoDB.sqlite（"
                "データベースを開く処理）。しばらくしてから再度お試しください。"));
    EXPECT_TRUE(PelmoMessages::IsLockCode(SQLITE_BUSY_SNAPSHOT));
    EXPECT_TRUE(PelmoMessages::IsLockCode(SQLITE_LOCKED));
    EXPECT_FALSE(PelmoMessages::IsLockCode(SQLITE_READONLY));
    // A write while another program holds the database: after the library's wait, the lock
    // text naming the file, and the busy status a caller retries on.
    {
        PelmoTestDb db;
        db.AddReservation("0000000001", "0000000001", "20250501", "0900", "0930", "1", "D1");
        const std::string file = db.Folder() + "PelmoDB.sqlite";
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open(file.c_str(), &other), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        CReservationDB res(db.Folder(), 1);
        res.SetAssociatedDB(nullptr);
        ASSERT_EQ(res.GetReservationData("0000000001"), 0); // reading is not blocked
        Put(res.m_rec.key, "0000000002");
        EXPECT_EQ(res.Insert(1), PelmoStatus::kBusy);
        EXPECT_TRUE(Has(res.GetLastDBErr(),
                        J("ローカルデータベースが他のプログラムにロックされています: ") + file))
            << res.GetLastDBErr();
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        EXPECT_EQ(res.Insert(1), PelmoStatus::kOk); // free again
    }

    // An unknown SQLite failure keeps SQLite's own words.
    EXPECT_EQ(PelmoMessages::Failed(J("登録"), SQLITE_MISMATCH, "datatype mismatch"),
              J("登録に失敗しました（datatype mismatch）"));

    // Not-found and duplicate outcomes of a usable database are Japanese too.
    PelmoTestDb db;
    CReservationDB res(db.Folder(), 1);
    res.SetAssociatedDB(nullptr);
    EXPECT_EQ(res.GetReservationData("0000000009"), PelmoStatus::kNotFound);
    EXPECT_EQ(res.GetLastDBErr(), "reservation: " + J("該当するレコードがありません"));
    db.AddReservation("0000000001", "0000000001", "20250501", "0900", "0930", "1", "D1");
    ASSERT_EQ(res.GetReservationData("0000000001"), 0);
    EXPECT_EQ(res.Insert(1), PelmoStatus::kDuplicateKey);
    EXPECT_EQ(res.GetLastDBErr(), "reservation: " + J("同じキーのレコードが既にあります"));
}
