#include "migrel/Migrator.h"
#include "platform/Cp932.h"
#include "platform/Profile.h"

#include "TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

using platform::J;
namespace fs = std::filesystem;

namespace {

// A version-2 settings file with CP932 text, a comment and references in GLOBAL and DB-2.
std::string V2Ini() {
    return J("; 環境設定 Ver.2\r\n[GLOBAL]\r\nDATABASE=C:/Corvane2/DB/\r\nCLINIC=表参道歯科\r\n"
             "[DB-1]\r\nDATABASE=\r\n[DB-2]\r\nDATABASE = \"//server/db2/\"\r\n[Cashless]\r\n"
             "TYPE=1\r\n");
}

std::string V3Ini() {
    return "[GLOBAL]\r\nDATABASE=/srv/corvane3/db/\r\nVERSION=3\r\n[DB-3]\r\nDATABASE=/srv/db3/"
           "\r\n";
}

std::string Db(const std::string& file, const char* section) {
    return platform::GetProfileString(file, section, "DATABASE", "", 260);
}

// Fails the n-th write of a kept reference, as a full disk would half-way.
class FailingMigrator : public Migrator {
public:
    FailingMigrator(std::string target, int failWrite, bool failCopy)
        : Migrator(std::move(target)), m_failWrite(failWrite), m_failCopy(failCopy) {}

protected:
    bool CopyOne(const std::string& from, const std::string& to) override {
        if (m_failCopy && to.find("PelmoV3") != std::string::npos)
            return false;
        return Migrator::CopyOne(from, to);
    }
    bool WriteReference(const std::string& iniFile, const Reference& ref) override {
        if (++m_writes == m_failWrite)
            return false;
        return Migrator::WriteReference(iniFile, ref);
    }

private:
    int m_failWrite;
    bool m_failCopy;
    int m_writes = 0;
};

} // namespace

TEST(Migrator, ScanListsNonEmptyReferencesAndNeedsV2Ini) {
    TempDir tmp;
    tmp.Write("v2/PelmoV2.ini", V2Ini());
    tmp.Write("empty/readme.txt", "x");

    Migrator::Scan scan = Migrator::ScanFolder(tmp.Path() + "v2"); // no trailing delimiter
    EXPECT_TRUE(scan.canMigrate);
    EXPECT_EQ(scan.folder, tmp.Path() + "v2/");
    ASSERT_EQ(scan.listed.size(), 2u);
    EXPECT_EQ(scan.listed[0].label, "DB");
    EXPECT_EQ(scan.listed[0].value, "C:/Corvane2/DB/");
    EXPECT_EQ(scan.listed[1].label, "DB-2");
    EXPECT_EQ(scan.listed[1].value, "//server/db2/");

    scan = Migrator::ScanFolder(tmp.Path() + "empty/");
    EXPECT_FALSE(scan.canMigrate);
    EXPECT_TRUE(scan.listed.empty());
    EXPECT_FALSE(Migrator::ScanFolder("").canMigrate);
    EXPECT_FALSE(Migrator::ScanFolder(tmp.Path() + "missing").canMigrate);

    // A reference longer than the 260-byte buffer is cut, never split inside a character.
    std::string longValue(258, 'a');
    longValue += J("表表");
    tmp.Write("long/PelmoV2.ini", "[DB-3]\nDATABASE=" + longValue + "\n");
    scan = Migrator::ScanFolder(tmp.Path() + "long");
    ASSERT_EQ(scan.listed.size(), 1u);
    EXPECT_EQ(scan.listed[0].value, longValue.substr(0, 258));
}

TEST(Migrator, KeepsVersion3ReferencesWhenNotTakingThem) {
    TempDir tmp;
    tmp.Write("v2/PelmoV2.ini", V2Ini());
    const std::string v3 = tmp.Write("v3/PelmoV3.ini", V3Ini());

    Migrator migrator(tmp.Path() + "v3/");
    const Migrator::Result r = migrator.Migrate(tmp.Path() + "v2", false);
    EXPECT_TRUE(r.ran);
    EXPECT_TRUE(r.iniReplaced);
    EXPECT_TRUE(r.error.empty());
    EXPECT_EQ(Db(v3, "GLOBAL"), "/srv/corvane3/db/"); // kept
    EXPECT_EQ(Db(v3, "DB-2"), "//server/db2/");       // empty in version 3: taken from version 2
    EXPECT_EQ(Db(v3, "DB-3"), "/srv/db3/");           // kept, section added back
    EXPECT_EQ(Db(v3, "DB-1"), "");
    // Everything else is version 2's.
    EXPECT_EQ(platform::GetProfileString(v3, "GLOBAL", "CLINIC", ""), J("表参道歯科"));
    EXPECT_EQ(platform::GetProfileString(v3, "GLOBAL", "VERSION", "none"), "none");
    EXPECT_EQ(platform::GetProfileInt(v3, "Cashless", "TYPE", 0), 1);
    EXPECT_EQ(TempDir::Read(v3).rfind(J("; 環境設定 Ver.2"), 0), 0u);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp.Path() + "v3"), fs::directory_iterator()),
              1);
}

TEST(Migrator, TakingVersion2ReferencesGivesAnExactCopy) {
    TempDir tmp;
    tmp.Write("v2/PelmoV2.ini", V2Ini());
    const std::string v3 = tmp.Write("v3/PelmoV3.ini", V3Ini());
    Migrator migrator(tmp.Path() + "v3");
    EXPECT_TRUE(migrator.Migrate(tmp.Path() + "v2/", true).iniReplaced);
    EXPECT_EQ(TempDir::Read(v3), V2Ini());

    // A missing PelmoV3.ini is created, also when keeping references (there are none to keep).
    TempDir fresh;
    fresh.Write("v2/PelmoV2.ini", V2Ini());
    fs::create_directories(fresh.Path() + "v3");
    Migrator second(fresh.Path() + "v3/");
    EXPECT_TRUE(second.Migrate(fresh.Path() + "v2", false).iniReplaced);
    EXPECT_EQ(TempDir::Read(fresh.Path() + "v3/PelmoV3.ini"), V2Ini());

    // A settings file linked from a shared place is replaced there; the link stays.
    TempDir linked;
    linked.Write("v2/PelmoV2.ini", V2Ini());
    const std::string shared = linked.Write("shared/PelmoV3.ini", V3Ini());
    fs::create_directories(linked.Path() + "v3");
    fs::create_symlink(shared, linked.Path() + "v3/PelmoV3.ini");
    Migrator third(linked.Path() + "v3/");
    EXPECT_TRUE(third.Migrate(linked.Path() + "v2", false).iniReplaced);
    EXPECT_TRUE(fs::is_symlink(linked.Path() + "v3/PelmoV3.ini"));
    EXPECT_EQ(Db(shared, "GLOBAL"), "/srv/corvane3/db/");
    EXPECT_EQ(Db(shared, "DB-2"), "//server/db2/");
}

TEST(Migrator, CopiesOnlyPlainSysFiles) {
    TempDir tmp;
    tmp.Write("v2/PelmoV2.ini", V2Ini());
    tmp.Write("v2/printer.sys", "new printer");
    tmp.Write("v2/LABEL.SYS", "label");
    tmp.Write("v2/.hidden.sys", "hidden");
    tmp.Write("v2/folder.sys/inner.sys", "inside a folder");
    tmp.Write("v2/notes.txt", "not a system file");
    tmp.Write("v3/printer.sys", "old printer");

    Migrator migrator(tmp.Path() + "v3/");
    const Migrator::Result r = migrator.Migrate(tmp.Path() + "v2", true);
    EXPECT_TRUE(r.sysFailed.empty());
    EXPECT_EQ(r.sysCopied.size(), 2u);
    EXPECT_EQ(TempDir::Read(tmp.Path() + "v3/printer.sys"), "new printer"); // overwritten
    EXPECT_EQ(TempDir::Read(tmp.Path() + "v3/LABEL.SYS"), "label");
    EXPECT_FALSE(fs::exists(tmp.Path() + "v3/.hidden.sys"));
    EXPECT_FALSE(fs::exists(tmp.Path() + "v3/folder.sys"));
    EXPECT_FALSE(fs::exists(tmp.Path() + "v3/notes.txt"));

    // Without PelmoV2.ini nothing at all happens, not even the *.sys copy.
    fs::remove(tmp.Path() + "v2/PelmoV2.ini");
    tmp.Write("v2/printer.sys", "newer printer");
    EXPECT_FALSE(migrator.Migrate(tmp.Path() + "v2", true).ran);
    EXPECT_EQ(TempDir::Read(tmp.Path() + "v3/printer.sys"), "new printer");
    EXPECT_EQ(TempDir::Read(tmp.Path() + "v3/PelmoV3.ini"), V2Ini());
}

TEST(Migrator, FailureHalfWayLeavesOldSettingsUntouched) {
    for (const auto& [failWrite, failCopy] :
         {std::pair{2, false}, std::pair{1, false}, std::pair{0, true}}) {
        SCOPED_TRACE(failWrite);
        TempDir tmp;
        tmp.Write("v2/PelmoV2.ini", V2Ini());
        tmp.Write("v2/printer.sys", "printer");
        const std::string v3 = tmp.Write("v3/PelmoV3.ini", V3Ini());

        FailingMigrator migrator(tmp.Path() + "v3/", failWrite, failCopy);
        const Migrator::Result r = migrator.Migrate(tmp.Path() + "v2", false);
        EXPECT_TRUE(r.ran);
        EXPECT_FALSE(r.iniReplaced);
        EXPECT_FALSE(r.error.empty());
        EXPECT_EQ(TempDir::Read(v3), V3Ini());
        EXPECT_FALSE(fs::exists(tmp.Path() + "v3/PelmoV3.ini.migrel-new"));
        EXPECT_EQ(TempDir::Read(tmp.Path() + "v3/printer.sys"), "printer");

        // The next run, once the fault is gone, completes.
        Migrator healthy(tmp.Path() + "v3/");
        EXPECT_TRUE(healthy.Migrate(tmp.Path() + "v2", false).iniReplaced);
        EXPECT_EQ(Db(v3, "GLOBAL"), "/srv/corvane3/db/");
        EXPECT_EQ(Db(v3, "DB-3"), "/srv/db3/");
    }
}
