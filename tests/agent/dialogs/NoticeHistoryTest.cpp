// A patient's send history against the private web database.
#include <gtest/gtest.h>

#include "NoticeRig.h"
#include "WebFault.h"
#include "agent/dialogs/PatientNoticeHistory.h"

using platform::J;

TEST(NoticeHistory, ReadMarksDetailAndDeletesThatMayFail) {
    NoticeRig rig;
    const std::string read =
        rig.AddNotice("'2024-01-02'", "'0000000001'", "検診のご案内", "定期検診の時期です。");
    const std::string unread = rig.AddNotice("'2024-01-03'", "'0000000001'", "お薬",
                                             "お薬が出ています。\r\n受付へどうぞ。");
    rig.AddNotice("'2024-01-03'", "'0000000001'", "リマインド", "明日です。", "NULL", "'reminder'");
    rig.AddNotice("'2024-01-03'", "'0000000002'", "他の患者", "別の人へ");
    rig.AddNotice("'2024-01-03'", "NULL", "全体", "全員へ");
    rig.MarkRead(read, 0);
    rig.MarkRead(read, 1);
    rig.MarkRead(unread, 0);

    PatientNoticeHistory history(rig.ctx, "0000000001");
    ASSERT_TRUE(history.Load().ok);
    ASSERT_EQ(history.Items().size(), 2u);
    EXPECT_EQ(rig.statements,
              (std::vector<std::string>{
                  "SELECT * FROM notifications WHERE (patient_key='0000000001') AND "
                  "(notification_id<>'reminder' OR notification_id IS NULL)",
                  "SELECT * FROM notification_statuses WHERE notification_id=" + read,
                  "SELECT * FROM notification_statuses WHERE notification_id=" + unread}));
    EXPECT_EQ(history.CellText(0, PatientNoticeHistory::ColRead), J("○"));
    EXPECT_EQ(history.CellText(1, PatientNoticeHistory::ColRead), "");
    EXPECT_EQ(history.CellText(1, PatientNoticeHistory::ColSendDate), "2024-01-03");
    EXPECT_EQ(history.CellText(1, PatientNoticeHistory::ColContent),
              J("お薬が出ています。 受付へどうぞ。"));
    EXPECT_EQ(PatientNoticeHistory::Detail(history.Items()[1]),
              J("2024-01-03\r\n\r\nお薬\r\n\r\nお薬が出ています。\r\n受付へどうぞ。"));

    // Both selected; the database refuses one: it stays listed and is reported.
    const WebFault fault(rig.web, WebFault::Kind::Refuse, "notifications", "DELETE",
                         platform::J("OLD.title='お薬'"));
    rig.statements.clear();
    const auto failures = history.Delete({0, 1});
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].notice.id, unread);
    EXPECT_NE(failures[0].result.error.find("refused by the test"), std::string::npos);
    ASSERT_EQ(history.Items().size(), 1u);
    EXPECT_EQ(history.Items()[0].id, unread);
    EXPECT_EQ(rig.statements,
              (std::vector<std::string>{"DELETE FROM notifications WHERE id=" + unread,
                                        "DELETE FROM notifications WHERE id=" + read}));
    EXPECT_EQ(rig.Count("SELECT COUNT(*) FROM notifications WHERE id=" + read), 0);
    EXPECT_EQ(rig.Count("SELECT COUNT(*) FROM notifications WHERE id=" + unread), 1);

    // With the server stopped nothing goes and everything is reported.
    rig.StopServer();
    const auto stopped = history.Delete({0});
    ASSERT_EQ(stopped.size(), 1u);
    EXPECT_TRUE(stopped[0].result.noConnection);
    EXPECT_EQ(history.Items().size(), 1u);

    // Without a connection the history says so instead of showing nothing.
    PatientNoticeHistory offline(rig.ctx, "0000000001");
    const NoticeResult r = offline.Load();
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.noConnection);
    EXPECT_TRUE(offline.Items().empty());
}
