#include <gtest/gtest.h>

#include <filesystem>

#include "CheckInClinic.h"
#include "agent/sync/exchanges/ImportSystemInfo.h"
#include "agent/sync/exchanges/SyncWebLogins.h"
#include "agent/sync/support/PatientDirectory.h"
#include "platform/Cp932.h"

using platform::J;
namespace fs = std::filesystem;

namespace {

struct WebInfoTest : ::testing::Test {
    void AddPatient(const std::string& key, const std::string& login = {},
                    const std::string& birthday = {}, char deleted = 0) {
        CPatientDB p(c.folder, 1);
        p.SetAssociatedDB(nullptr);
        Put(p.m_rec.key, key);
        Put(p.m_rec.displayNo, "ID" + key.substr(6));
        Put(p.m_rec.name, J("患者") + key.substr(6));
        Put(p.m_rec.kana, J("カンジャ"));
        Put(p.m_rec.birthday, birthday);
        Put(p.m_rec.webLastLogin, login);
        p.m_rec.deleted = deleted;
        ASSERT_EQ(p.Insert(), 0) << p.GetLastDBErr();
    }
    std::string Login(const std::string& key) {
        CPatientDB p(c.folder, 0);
        p.SetAssociatedDB(nullptr);
        EXPECT_EQ(p.GetPatient1Data(key), 0);
        return p.m_rec.webLastLogin;
    }
    std::string File() { return TempDir::Read(c.folder + "SystemInfo.txt"); }
    std::optional<std::string> Chk(int id) {
        return c.web.Scalar("SELECT chk FROM info WHERE id=" + std::to_string(id));
    }

    CheckInClinic c;
};

} // namespace

TEST_F(WebInfoTest, LoginsReachHoldersAndValidFamilyMembersOnlyWhenNewer) {
    AddPatient("0000000001");
    AddPatient("0000000002");
    AddPatient("0000000003");
    AddPatient("0000000004", "20240601000000"); // newer than the web's value
    c.web.Exec("INSERT INTO users(id,patient_key,last_logined_at) VALUES"
               "(1,'0000000001','2024-03-01 10:00:00'),(2,'0000000002',NULL),"
               "(3,'0000000003',NULL),(4,'0000000004','2024-01-01 00:00:00'),"
               "(5,'9999999999','2024-03-01 10:00:00'),(6,'00000000011','2025-01-01 00:00:00'),"
               "(7,NULL,'2024-03-01 10:00:00')");
    c.web.Exec("INSERT INTO relations(user_id,family_user_id,deleted_at) VALUES"
               "(1,2,NULL),(1,3,'2024-02-01 00:00:00')");

    SyncWebLogins(*c.ctx);

    EXPECT_EQ(Login("0000000001"), "20240301100000");
    EXPECT_EQ(Login("0000000002"), "20240301100000") << "family member: the holder's login";
    EXPECT_EQ(Login("0000000003"), "") << "deleted relation";
    EXPECT_EQ(Login("0000000004"), "20240601000000") << "a newer local login is kept";

    // A later login replaces the stored one; the account holder's key alone is no family.
    c.web.Exec("UPDATE users SET last_logined_at='2024-03-02 08:00:00' WHERE id=2");
    SyncWebLogins(*c.ctx);
    EXPECT_EQ(Login("0000000002"), "20240302080000");
    EXPECT_EQ(Login("0000000001"), "20240301100000");
    for (const std::string& line : c.log.Lines())
        EXPECT_EQ(line.find(J("SQLエラー")), std::string::npos) << line;
}

TEST_F(WebInfoTest, NoticesAreAppendedInOrderAndMarkedOnlyOnceWritten) {
    const std::string previous = "earlier notices\r\n";
    c.home.Write("db/SystemInfo.txt", previous);
    c.web.Exec("INSERT INTO info(id,info_datetime,title,text,chk) VALUES"
               "(1,'2024-02-01 09:00:00','" +
               J("メンテナンス表") +
               "','line1\\r\\nline2\\nline3',NULL),"
               "(2,'2024-01-15 08:00:00','B','x',NULL),(3,'2023-01-01 00:00:00','old','y',1)");

    ImportSystemInfo(*c.ctx);

    const std::string first = "[$START]\r\n2024-01-15 08:00:00\r\nB\r\nx\r\n[$END]\r\n";
    const std::string second = "[$START]\r\n2024-02-01 09:00:00\r\n" + J("メンテナンス表") +
                               "\r\nline1[$ENTER]line2[$ENTER]line3\r\n[$END]\r\n";
    EXPECT_EQ(File(), previous + first + second);
    EXPECT_EQ(Chk(1), "1");
    EXPECT_EQ(Chk(2), "1");

    // The file cannot be opened (a folder stands in its place): logged, the notice stays new.
    fs::rename(c.folder + "SystemInfo.txt", c.folder + "kept.txt");
    fs::create_directory(c.folder + "SystemInfo.txt");
    c.web.Exec("INSERT INTO info(id,info_datetime,title,text) VALUES(4,NULL,'C','z')");
    ImportSystemInfo(*c.ctx);
    EXPECT_EQ(Chk(4), std::nullopt);
    EXPECT_TRUE(c.Logged("[" + J("エラー") + "] " + c.folder + "SystemInfo.txt: "));

    // Writable again: appended in a later cycle, once.
    fs::remove(c.folder + "SystemInfo.txt");
    fs::rename(c.folder + "kept.txt", c.folder + "SystemInfo.txt");
    ImportSystemInfo(*c.ctx);
    ImportSystemInfo(*c.ctx);
    EXPECT_EQ(File(), previous + first + second + "[$START]\r\n\r\nC\r\nz\r\n[$END]\r\n");
    EXPECT_EQ(Chk(4), "1");

    // A bare CR stays; a block's text is written byte for byte.
    EXPECT_EQ(SystemInfoBlock("", "t", "a\rb\r\n\nc"),
              "[$START]\r\n\r\nt\r\na\rb[$ENTER][$ENTER]c\r\n[$END]\r\n");
}

TEST_F(WebInfoTest, PatientDirectoryLoadsOncePerFolderAndTakesUpdates) {
    AddPatient("0000000001", {}, "19800106");
    AddPatient("0000000002", {}, "", 1);
    {
        CPatientDB2 s(c.folder, 1);
        s.SetAssociatedDB(nullptr);
        Put(s.m_rec.key, "0000000001");
        Put(s.m_rec.characteristic, J("ペニシリン"));
        ASSERT_EQ(s.Insert(), 0);
    }
    c.web.Exec("INSERT INTO users(patient_key,last_logined_at) VALUES"
               "('0000000001','2024-03-01 10:00:00'),('0000000002',NULL)");

    PatientDirectory dir;
    ASSERT_TRUE(dir.LoadPatientDirectory(c.session, c.folder, c.clock));
    ASSERT_EQ(dir.Entries().size(), 2u);
    const tagPatientInfo& p1 = dir.Entries().at("0000000001");
    EXPECT_EQ(p1.displayNo, "ID0001");
    EXPECT_EQ(p1.name, J("患者0001"));
    EXPECT_EQ(p1.age, 43) << "one day before the 44th birthday on the clock's 2024-01-05";
    EXPECT_EQ(p1.characteristic, J("ペニシリン"));
    EXPECT_EQ(p1.webLastLogin, "2024-03-01 10:00:00");
    EXPECT_FALSE(p1.deleted);
    EXPECT_TRUE(dir.Entries().at("0000000002").deleted);
    EXPECT_EQ(dir.Entries().at("0000000002").webLastLogin, "");

    // Loaded for this folder: a second call reads nothing.
    AddPatient("0000000003");
    ASSERT_TRUE(dir.LoadPatientDirectory(c.session, c.folder, c.clock));
    EXPECT_EQ(dir.Entries().size(), 2u);

    // An update shows the sent data and keeps the known login time.
    CPatientDB pat(c.folder, 0);
    CPatientDB2 second(c.folder, 0);
    pat.SetAssociatedDB(nullptr);
    second.SetAssociatedDB(nullptr);
    ASSERT_EQ(pat.GetPatientData(&second, "0000000001"), 0);
    Put(pat.m_rec.name, J("新しい名前"));
    dir.UpdatePatientDirectoryEntry(pat.m_rec, second.m_rec, c.clock);
    ASSERT_EQ(pat.GetPatientData(&second, "0000000003"), 0);
    dir.UpdatePatientDirectoryEntry(pat.m_rec, second.m_rec, c.clock);
    EXPECT_EQ(dir.Entries().size(), 3u);
    EXPECT_EQ(dir.Entries().at("0000000001").name, J("新しい名前"));
    EXPECT_EQ(dir.Entries().at("0000000001").webLastLogin, "2024-03-01 10:00:00");

    // Another folder is loaded afresh; an unreachable web only costs the login times, and a
    // folder without a database is not taken as loaded.
    WebConnectionValues bad = WebDbValues(c.web);
    bad.database = "nvweb-no-such-database";
    WebSession unreachable(bad, [](std::chrono::milliseconds) {});
    ASSERT_TRUE(dir.LoadPatientDirectory(unreachable, c.folder + "../db/", c.clock));
    EXPECT_EQ(dir.Entries().size(), 3u);
    EXPECT_EQ(dir.Entries().at("0000000001").webLastLogin, "");
    EXPECT_EQ(dir.Entries().at("0000000001").name, J("患者0001"));
    TempDir empty;
    EXPECT_FALSE(dir.LoadPatientDirectory(c.session, empty.Path(), c.clock));
    EXPECT_TRUE(dir.LoadedFolder().empty());
}
