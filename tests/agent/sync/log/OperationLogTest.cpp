#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "FakeClock.h"
#include "PelmoSchema.h"
#include "TempDir.h"
#include "agent/sync/log/OperationLog.h"
#include "platform/Cp932.h"

using platform::J;
using namespace std::chrono_literals;

namespace {

// A local clinic database in a temporary folder; the log writes its real web-log table.
struct Fixture {
    Fixture() {
        std::string err;
        EXPECT_EQ(PelmoSchema::Create(dir.Path(), err), 0) << err;
        log.SetDatabaseFolder(dir.Path());
    }
    std::vector<tagWebLog> Records() const {
        std::vector<tagWebLog> out;
        CWebLogDB db(dir.Path(), 0);
        db.SetAssociatedDB(nullptr);
        db.SetKey(0);
        for (int rc = db.GetFIRST(); rc == 0; rc = db.GetNEXT())
            out.push_back(db.m_rec);
        return out;
    }

    TempDir dir;
    FakeClock clock{{2024, 1, 5, 9, 30, 0, 7}};
    OperationLog log{clock, LocalWebLogTables()};
};

// A table that opens but refuses every record.
class RefusingTable : public IWebLogTable {
public:
    int Open() override { return 0; }
    int GetLastWebLogNo(const std::string&) override { return 1; }
    int Insert(const tagWebLog&) override { return 5; }
    void Close() override {}
};

std::string Message(const tagWebLog& r) {
    return std::string(r.message);
}

} // namespace

TEST(OperationLog, LineFormatStoreAndCategories) {
    Fixture f;
    std::vector<std::string> seen;
    f.log.AddListener([&seen](const std::string& line, bool) { seen.push_back(line); });

    f.log.WriteLog(OperationLog::Info, J("開始"));
    f.log.WriteLog(42, "unknown category");
    EXPECT_TRUE(f.Records().empty()); // "Info" is never stored
    ASSERT_EQ(f.log.Lines().size(), 2u);
    EXPECT_EQ(f.log.Lines()[0], "2024.01.05 09:30:00.007 [Info] unknown category");
    EXPECT_EQ(f.log.Lines()[1], "2024.01.05 09:30:00.007 [Info] " + J("開始"));

    f.clock.Set({2024, 1, 5, 23, 59, 59, 999});
    f.log.WriteLog(OperationLog::CheckIn, J("来院受付[09:30 0001 患者]"), "0000004711");
    f.log.WriteLog(OperationLog::SqlError, "100% %s %d %n", "");
    EXPECT_EQ(f.log.Lines()[0], "2024.01.05 23:59:59.999 [" + J("SQLエラー") + "] 100% %s %d %n");
    auto records = f.Records();
    ASSERT_EQ(records.size(), 2u);
    const tagWebLog& r = records[0];
    EXPECT_EQ(std::string(r.number), "2024010500001");
    EXPECT_EQ(std::string(r.time), "235959999");
    EXPECT_EQ(Message(r), "[" + J("来院受付") + "]" + J("来院受付[09:30 0001 患者]"));
    EXPECT_EQ(std::string(r.reference), "0000004711");
    EXPECT_EQ(std::string(records[1].number), "2024010500002");
    EXPECT_EQ(Message(records[1]), "[" + J("SQLエラー") + "]100% %s %d %n");

    // A new day starts its own numbering.
    f.clock.Advance(1ms);
    f.log.WriteLog(OperationLog::Confirmed, "next day");
    EXPECT_EQ(std::string(f.Records().back().number), "2024010600001");
    EXPECT_EQ(std::string(f.Records().back().time), "000000000");
    EXPECT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen.back(), f.log.Lines()[0]);

    // Long texts are cut to the record's fields on whole characters; the rest stays zero.
    // "[エラー]" is 8 bytes, so the kanji would straddle the 255-byte limit.
    std::string longText(246, 'x');
    longText += J("表表");
    f.log.WriteLog(OperationLog::Error, longText, std::string(130, '9'));
    const tagWebLog cut = f.Records().back();
    EXPECT_EQ(Message(cut), "[" + J("エラー") + "]" + std::string(246, 'x'));
    EXPECT_EQ(std::string(cut.reference), std::string(119, '9'));
    EXPECT_EQ(cut.reference[119], '\0');
}

TEST(OperationLog, RepeatsAreSuppressedUntilTheRecentListIsEmptied) {
    Fixture f;
    const std::string repeated = J("データベースを開けません");
    f.log.WriteLog(OperationLog::Error, repeated);
    f.log.WriteLog(OperationLog::Error, repeated);
    EXPECT_EQ(f.log.Lines().size(), 1u);
    EXPECT_EQ(f.Records().size(), 1u);

    for (int i = 0; i < 100; ++i)
        f.log.WriteLog(OperationLog::Info, "other " + std::to_string(i));
    f.log.WriteLog(OperationLog::Error, repeated); // 101 texts remembered: still a repeat
    EXPECT_EQ(f.log.Lines().size(), 101u);
    f.log.WriteLog(OperationLog::Info, "one more"); // more than 100: list emptied first
    EXPECT_EQ(f.log.RecentCount(), 1u);
    f.log.WriteLog(OperationLog::Error, repeated);
    EXPECT_EQ(f.log.Lines()[0].substr(f.log.Lines()[0].size() - repeated.size()), repeated);
    EXPECT_EQ(f.Records().size(), 2u);
}

TEST(OperationLog, LostConnectionRaisesTheFlagEvenForRepeats) {
    Fixture f;
    int raised = 0;
    f.log.SetLostConnectionHandler([&raised] { ++raised; });
    const std::string lost = "[ma-3.1.15][10.11.19-MariaDB]Lost connection to server during query";
    f.log.WriteLog(OperationLog::SqlError, lost);
    f.log.WriteLog(OperationLog::SqlError, lost);
    EXPECT_EQ(raised, 2);
    EXPECT_EQ(f.log.Lines().size(), 1u);
    f.log.WriteLog(OperationLog::SqlError, "Write error: Connection reset by peer (104)");
    f.log.WriteLog(OperationLog::SqlError, "[ma-3.1.15]Connection not open");
    EXPECT_EQ(raised, 4);
    // Only database errors count; the same words under another category do not.
    f.log.WriteLog(OperationLog::Error, "Lost connection mentioned elsewhere");
    f.log.WriteLog(OperationLog::SqlError, "Duplicate column name 'url'");
    EXPECT_EQ(raised, 4);
}

TEST(OperationLog, ListKeepsThreeHundredNewestFirstAndFailuresAreIgnored) {
    Fixture f;
    for (int i = 1; i <= 301; ++i)
        f.log.WriteLog(OperationLog::Info, "line " + std::to_string(i));
    ASSERT_EQ(f.log.Lines().size(), OperationLog::kMaxLines);
    EXPECT_NE(f.log.Lines().front().find("line 301"), std::string::npos);
    EXPECT_NE(f.log.Lines().back().find("line 2"), std::string::npos);

    f.log.ShowProgressLine(J("患者情報送信中"), J("患者情報送信中 [    1] / [    2]"));
    f.log.ShowProgressLine(J("患者情報送信中"), J("患者情報送信中 [    2] / [    2]"));
    EXPECT_EQ(f.log.Lines()[0], J("患者情報送信中 [    2] / [    2]"));
    EXPECT_NE(f.log.Lines()[1].find("line 301"), std::string::npos);

    // No database in the folder: the entry is only shown.
    TempDir empty;
    f.log.SetDatabaseFolder(empty.Path() + "missing/");
    f.log.WriteLog(OperationLog::Error, "not stored, shown");
    EXPECT_NE(f.log.Lines()[0].find("not stored, shown"), std::string::npos);
    EXPECT_TRUE(f.Records().empty());

    OperationLog refusing(f.clock,
                          [](const std::string&) { return std::make_unique<RefusingTable>(); });
    refusing.WriteLog(OperationLog::Error, "insert fails, shown");
    EXPECT_EQ(refusing.Lines().size(), 1u);

    OperationLog noTable(f.clock, {});
    noTable.WriteLog(OperationLog::Error, "no web-log table");
    EXPECT_EQ(noTable.Lines().size(), 1u);
}

TEST(OperationLog, ReferenceCutOnAWholeCharacter) {
    Fixture f;
    // 118 bytes and a two-byte character for 119 bytes of room: the character goes whole.
    f.log.WriteLog(OperationLog::Error, "ref", std::string(118, '9') + J("ソ"));
    ASSERT_EQ(f.Records().size(), 1u);
    const tagWebLog r = f.Records().back();
    EXPECT_EQ(std::string(r.reference), std::string(118, '9'));
    EXPECT_EQ(r.reference[118], '\0');
}
