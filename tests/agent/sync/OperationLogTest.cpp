#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "FakeClock.h"
#include "agent/sync/OperationLog.h"
#include "platform/Cp932.h"

using platform::J;
using namespace std::chrono_literals;

namespace {

// Stands in for the local web-log table: records per folder, numbered per day.
struct WebLogStore {
    std::vector<WebLogRecord> records;
    std::map<std::string, int> perDay;
    bool openFails = false;
    bool insertFails = false;
};

class StoreTable : public IWebLogTable {
public:
    explicit StoreTable(WebLogStore& s) : m_s(s) {}
    int Open() override { return m_s.openFails ? 2 : 0; }
    int GetLastWebLogNo(const std::string& day) override { return m_s.perDay[day] + 1; }
    int Insert(const WebLogRecord& r) override {
        if (m_s.insertFails)
            return 5;
        m_s.records.push_back(r);
        ++m_s.perDay[std::string(r.number, 8)];
        return 0;
    }
    void Close() override {}

private:
    WebLogStore& m_s;
};

struct Fixture {
    FakeClock clock{{2024, 1, 5, 9, 30, 0, 7}};
    WebLogStore store;
    OperationLog log{clock,
                     [this](const std::string&) { return std::make_unique<StoreTable>(store); }};
};

std::string Message(const WebLogRecord& r) {
    return std::string(r.message);
}

} // namespace

TEST(OperationLog, LineFormatStoreAndCategories) {
    Fixture f;
    std::vector<std::string> seen;
    f.log.AddListener([&seen](const std::string& line, bool) { seen.push_back(line); });

    f.log.WriteLog(OperationLog::Info, J("開始"));
    f.log.WriteLog(42, "unknown category");
    EXPECT_TRUE(f.store.records.empty()); // "Info" is never stored
    ASSERT_EQ(f.log.Lines().size(), 2u);
    EXPECT_EQ(f.log.Lines()[0], "2024.01.05 09:30:00.007 [Info] unknown category");
    EXPECT_EQ(f.log.Lines()[1], "2024.01.05 09:30:00.007 [Info] " + J("開始"));

    f.clock.Set({2024, 1, 5, 23, 59, 59, 999});
    f.log.WriteLog(OperationLog::CheckIn, J("来院受付[09:30 0001 患者]"), "0000004711");
    f.log.WriteLog(OperationLog::SqlError, "100% %s %d %n", "");
    EXPECT_EQ(f.log.Lines()[0], "2024.01.05 23:59:59.999 [" + J("SQLエラー") + "] 100% %s %d %n");
    ASSERT_EQ(f.store.records.size(), 2u);
    const WebLogRecord& r = f.store.records[0];
    EXPECT_EQ(std::string(r.number), "2024010500001");
    EXPECT_EQ(std::string(r.time), "235959999");
    EXPECT_EQ(Message(r), "[" + J("来院受付") + "]" + J("来院受付[09:30 0001 患者]"));
    EXPECT_EQ(std::string(r.reference), "0000004711");
    EXPECT_EQ(std::string(f.store.records[1].number), "2024010500002");
    EXPECT_EQ(Message(f.store.records[1]), "[" + J("SQLエラー") + "]100% %s %d %n");

    // A new day starts its own numbering.
    f.clock.Advance(1ms);
    f.log.WriteLog(OperationLog::Confirmed, "next day");
    EXPECT_EQ(std::string(f.store.records.back().number), "2024010600001");
    EXPECT_EQ(std::string(f.store.records.back().time), "000000000");
    EXPECT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen.back(), f.log.Lines()[0]);

    // Long texts are cut to the record's fields on whole characters; the rest stays zero.
    // "[エラー]" is 8 bytes, so the kanji would straddle the 255-byte limit.
    std::string longText(246, 'x');
    longText += J("表表");
    f.log.WriteLog(OperationLog::Error, longText, std::string(130, '9'));
    const WebLogRecord& cut = f.store.records.back();
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
    EXPECT_EQ(f.store.records.size(), 1u);

    for (int i = 0; i < 100; ++i)
        f.log.WriteLog(OperationLog::Info, "other " + std::to_string(i));
    f.log.WriteLog(OperationLog::Error, repeated); // 101 texts remembered: still a repeat
    EXPECT_EQ(f.log.Lines().size(), 101u);
    f.log.WriteLog(OperationLog::Info, "one more"); // more than 100: list emptied first
    EXPECT_EQ(f.log.RecentCount(), 1u);
    f.log.WriteLog(OperationLog::Error, repeated);
    EXPECT_EQ(f.log.Lines()[0].substr(f.log.Lines()[0].size() - repeated.size()), repeated);
    EXPECT_EQ(f.store.records.size(), 2u);
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

    f.store.openFails = true;
    f.log.WriteLog(OperationLog::Error, "not stored, shown");
    f.store.openFails = false;
    f.store.insertFails = true;
    f.log.WriteLog(OperationLog::Error, "insert fails, shown");
    EXPECT_TRUE(f.store.records.empty());
    EXPECT_NE(f.log.Lines()[0].find("insert fails, shown"), std::string::npos);

    OperationLog noTable(f.clock, {});
    noTable.WriteLog(OperationLog::Error, "no web-log table");
    EXPECT_EQ(noTable.Lines().size(), 1u);
}
