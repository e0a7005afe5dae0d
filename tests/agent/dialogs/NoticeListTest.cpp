// The notice list's logic against a temporary clinic and the private web database.
#include <gtest/gtest.h>

#include <optional>

#include "NoticeRig.h"
#include "WebFault.h"
#include "agent/dialogs/NotificationEditor.h"
#include "agent/dialogs/NotificationList.h"

using platform::J;

namespace {

const char* const kAll = "SELECT * FROM notifications WHERE (patient_key IS NULL) AND "
                         "(notification_id<>'reminder' OR notification_id IS NULL)";
const char* const kIndividual = "SELECT * FROM notifications WHERE (patient_key IS NOT NULL) AND "
                                "(notification_id<>'reminder' OR notification_id IS NULL)";
const char* const kReadMarks = "SELECT * FROM notification_statuses WHERE checked_flag=1";

std::vector<std::string> Titles(const NotificationList& list) {
    std::vector<std::string> titles;
    for (const auto& n : list.Rows())
        titles.push_back(n.title);
    return titles;
}

std::vector<std::string> J(std::initializer_list<const char*> utf8) {
    std::vector<std::string> out;
    for (const char* s : utf8)
        out.push_back(platform::J(s));
    return out;
}

// A log line from its label on ("[Info] ...").
std::string Tail(const std::string& line) {
    return line.substr(line.find('['));
}

bool Logged(const OperationLog& log, const std::string& tail) {
    for (const std::string& line : log.Lines())
        if (Tail(line) == tail)
            return true;
    return false;
}

int RowOf(const NotificationList& list, const std::string& id) {
    for (int i = 0; i < static_cast<int>(list.Rows().size()); ++i)
        if (list.Rows()[i].id == id)
            return i;
    return -1;
}

// Notices to all patients around the clock's 2024-01-05.
struct AllPatientsRig : NoticeRig {
    std::string holiday, reminder, expired, old, other, today;
    AllPatientsRig() {
        holiday = AddNotice("'2024-01-04'", "NULL", "休診のお知らせ",
                            "年末年始は休診です。ＷＥＢ予約は受け付けます。", "NULL", "NULL",
                            "'2024-01-02 10:00:00'");
        reminder = AddNotice("'2024-01-04'", "NULL", "リマインド", "明日はご予約日です。", "NULL",
                             "'reminder'");
        expired = AddNotice("'2024-01-03'", "NULL", "駐車場工事", "工事中です。", "'2024-01-04'",
                            "NULL", "'2024-01-03 10:00:00'");
        old = AddNotice("'2022-12-31'", "NULL", "昔の休診", "休診でした。");
        other = AddNotice("'2024-01-02'", "NULL", "インフルエンザ予防接種", "受付中",
                          "'2024-02-01'", "'campaign'", "'2024-01-04 10:00:00'");
        today = AddNotice("'2024-01-05'", "NULL", "本日まで", "表示テスト", "'2024-01-05'", "NULL",
                          "'2024-01-05 09:00:00'");
    }
};

} // namespace

TEST(NoticeList, AllPatientsFilterRangeExpiryAndSearchWords) {
    AllPatientsRig rig;
    NotificationList list(rig.ctx);
    EXPECT_EQ(list.RangeFrom(), "20230101"); // first day of the month one year back
    EXPECT_EQ(list.RangeTo(), "20240105");
    list.Open();
    EXPECT_EQ(rig.statements, std::vector<std::string>{kAll});
    EXPECT_TRUE(list.Problem().empty());

    // Reminders never; yesterday's expiry hidden; a date before the range hidden; a notice
    // expiring today is still current. Oldest change first.
    EXPECT_EQ(Titles(list), J({"休診のお知らせ", "インフルエンザ予防接種", "本日まで"}));
    EXPECT_EQ(list.Notices(NotificationList::AllPatients).count(rig.reminder), 0u);

    list.SetShowExpired(true);
    list.Filter();
    EXPECT_EQ(Titles(list),
              J({"休診のお知らせ", "駐車場工事", "インフルエンザ予防接種", "本日まで"}));
    const tagNotificationData& expired = list.Rows()[RowOf(list, rig.expired)];
    EXPECT_EQ(expired.current, 0);
    EXPECT_EQ(expired.validToDate, "20240104");
    EXPECT_EQ(list.CellText(RowOf(list, rig.expired), NotificationList::ColValidTo), "2024-01-04");
    EXPECT_EQ(list.CellText(RowOf(list, rig.expired), NotificationList::ColDate), "2024-01-03");

    // The range ends are included; without the range every date is shown.
    list.SetRange("20240102", "20240104");
    list.Filter();
    EXPECT_EQ(Titles(list), J({"休診のお知らせ", "駐車場工事", "インフルエンザ予防接種"}));
    list.SetUseRange(false);
    list.Filter();
    EXPECT_EQ(list.Rows().size(), 5u);

    // Two words split at a full-width blank must both occur; full-width and half-width
    // spellings and the case of letters match each other.
    list.SetSearchText(J("休診　web"));
    list.Filter();
    EXPECT_EQ(Titles(list), J({"休診のお知らせ"}));
    list.SetSearchText(J("休診　ｲﾝﾌﾙ"));
    list.Filter();
    EXPECT_TRUE(list.Rows().empty());
    list.SetSearchText(J("ｲﾝﾌﾙｴﾝｻﾞ"));
    list.Filter();
    EXPECT_EQ(Titles(list), J({"インフルエンザ予防接種"}));
    list.SetSearchText(J("表示"));
    list.Filter();
    EXPECT_EQ(Titles(list), J({"本日まで"})) << "a 0x5C trail byte survives the round trip";
    list.SetSearchText("");
    list.Filter();

    // A header click sorts by the column, a second one reverses.
    list.SortBy(NotificationList::ColDate);
    EXPECT_EQ(Titles(list), J({"昔の休診", "インフルエンザ予防接種", "駐車場工事", "休診のお知らせ",
                               "本日まで"}));
    list.SortBy(NotificationList::ColDate);
    EXPECT_EQ(Titles(list), J({"本日まで", "休診のお知らせ", "駐車場工事", "インフルエンザ予防接種",
                               "昔の休診"}));
    EXPECT_TRUE(list.SortOrder().descending);
    // Only the first load read the web.
    EXPECT_EQ(rig.statements.size(), 1u);
}

TEST(NoticeList, IndividualNoticesLoadOncePerRangeWithReadMarksAndPatients) {
    NoticeRig rig;
    const std::string all = rig.AddNotice("'2024-01-04'", "NULL", "全体", "全員へ");
    const std::string read =
        rig.AddNotice("'2024-01-02'", "'0000000001'", "検診のご案内", "定期検診の時期です。");
    const std::string unread =
        rig.AddNotice("'2023-06-01'", "'0000000002'", "お薬", "お薬が出ています。");
    const std::string early =
        rig.AddNotice("'2022-05-01'", "'0000000001'", "昔の案内", "以前の案内です。");
    rig.AddNotice("'2024-01-03'", "'0000000001'", "リマインド", "明日です。", "NULL", "'reminder'");
    rig.MarkRead(read, 1);
    rig.MarkRead(unread, 0);

    NotificationList list(rig.ctx);
    list.Open();
    list.SetMode(NotificationList::Individual);
    list.ModeChanged();
    ASSERT_EQ(rig.statements.size(), 3u);
    EXPECT_EQ(rig.statements[1],
              "SELECT * FROM notifications WHERE (notification_date between '2023-01-01' and "
              "'2024-01-05') AND (patient_key IS NOT NULL) AND (notification_id<>'reminder' OR "
              "notification_id IS NULL)");
    EXPECT_EQ(rig.statements[2], kReadMarks);
    ASSERT_EQ(list.Rows().size(), 2u);
    const int r = RowOf(list, read);
    ASSERT_GE(r, 0);
    EXPECT_EQ(list.CellText(r, NotificationList::ColRead), J("○"));
    EXPECT_EQ(list.CellText(RowOf(list, unread), NotificationList::ColRead), "");
    EXPECT_EQ(list.CellText(r, NotificationList::ColPatientId), "P-001");
    EXPECT_EQ(list.CellText(r, NotificationList::ColPatientName), J("山田 太郎(ヤマダ タロウ)"));
    EXPECT_EQ(RowOf(list, all), -1);

    // Back and forth, and a search with the same range: nothing is read again.
    list.SetMode(NotificationList::AllPatients);
    list.ModeChanged();
    list.SetMode(NotificationList::Individual);
    list.ModeChanged();
    list.Search();
    EXPECT_EQ(rig.statements.size(), 3u);

    // A search without the range reads every individual notice once.
    list.SetUseRange(false);
    list.Filter();
    EXPECT_EQ(rig.statements.size(), 3u) << "a check box only filters";
    list.Search();
    ASSERT_EQ(rig.statements.size(), 5u);
    EXPECT_EQ(rig.statements[3], kIndividual);
    EXPECT_EQ(list.Rows().size(), 3u);
    EXPECT_GE(RowOf(list, early), 0);
    list.Search();
    EXPECT_EQ(rig.statements.size(), 5u);

    // "更新" reads the read marks only.
    rig.MarkRead(unread, 1);
    list.RefreshReadMarks();
    ASSERT_EQ(rig.statements.size(), 6u);
    EXPECT_EQ(rig.statements[5], kReadMarks);
    EXPECT_EQ(list.CellText(RowOf(list, unread), NotificationList::ColRead), J("○"));

    // A changed range is read again on "検索".
    list.SetUseRange(true);
    list.SetRange("20230601", "20230601");
    list.Search();
    EXPECT_EQ(rig.statements[6],
              "SELECT * FROM notifications WHERE (notification_date between '2023-06-01' and "
              "'2023-06-01') AND (patient_key IS NOT NULL) AND (notification_id<>'reminder' OR "
              "notification_id IS NULL)");
    ASSERT_EQ(list.Rows().size(), 1u);
    EXPECT_EQ(list.Rows()[0].id, unread);
}

TEST(NoticeList, NewNoticeIsInsertedExactlyAndAnEditUpdatesIt) {
    NoticeRig rig;
    NotificationList list(rig.ctx);
    list.Open();
    rig.statements.clear();

    NotificationEditor editor(false, list.NewNotice(), rig.clock);
    NotificationEditor::Form form = editor.Initial();
    EXPECT_EQ(form.sendDate, "20240105");
    form.title = J("臨時休診");
    form.content = J("1月9日は休診です。\r\nご迷惑をおかけします。");
    form.useValidTo = true;
    form.validTo = "20240131";
    ASSERT_TRUE(editor.Confirm(form).refusal.empty());
    tagNotificationData notice = editor.Result(form);
    auto r = list.Save(notice);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.inserted);

    const std::string id = rig.web.Scalar("SELECT MAX(id) FROM notifications").value_or("");
    ASSERT_EQ(rig.statements.size(), 2u);
    EXPECT_EQ(rig.statements[0],
              J("INSERT INTO notifications(id,notification_date,patient_key,title,content,"
                "valid_from_date,valid_to_date,created_at,updated_at) VALUES(NULL,'2024-01-05',"
                "NULL,'臨時休診','1月9日は休診です。\r\nご迷惑をおかけします。',NULL,'2024-01-31',"
                "'2024-01-05 09:30:00','2024-01-05 09:30:00')"));
    EXPECT_EQ(rig.statements[1], "SELECT LAST_INSERT_ID()");
    EXPECT_EQ(notice.id, id);
    ASSERT_EQ(list.Rows().size(), 1u);
    EXPECT_EQ(list.Rows()[0].id, id);
    EXPECT_EQ(list.Rows()[0].updatedAt, "2024-01-05 09:30:00");
    EXPECT_EQ(rig.web.Scalar("SELECT title FROM notifications WHERE id=" + id), J("臨時休診"));
    EXPECT_EQ(Tail(rig.log.Lines().front()), J("[Info] お知らせ [2024-01-05]臨時休診"));

    // Editing sends the UPDATE for the same row.
    rig.clock.Advance(std::chrono::minutes(5));
    rig.statements.clear();
    NotificationEditor again(false, list.Rows()[0], rig.clock);
    EXPECT_EQ(again.Confirm(again.Initial()).question,
              J("全体へのお知らせを更新してよろしいでしょうか？"));
    form = again.Initial();
    EXPECT_TRUE(form.useValidTo);
    form.title = J("臨時休診（変更）");
    notice = again.Result(form);
    r = list.Save(notice);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_FALSE(r.inserted);
    ASSERT_EQ(rig.statements.size(), 2u);
    EXPECT_EQ(rig.statements[0], "SELECT * FROM notifications WHERE id=" + id);
    EXPECT_EQ(rig.statements[1],
              J("UPDATE notifications SET notification_date='2024-01-05',patient_key=NULL,"
                "title='臨時休診（変更）',content='1月9日は休診です。\r\nご迷惑をおかけします。',"
                "valid_from_date=NULL,valid_to_date='2024-01-31',updated_at='2024-01-05 "
                "09:35:00' WHERE id=") +
                  id);
    EXPECT_EQ(rig.Count("SELECT COUNT(*) FROM notifications"), 1);
    ASSERT_EQ(list.Rows().size(), 1u);
    EXPECT_EQ(list.Rows()[0].title, J("臨時休診（変更）"));

    // A notice whose row has gone meanwhile comes back as a new row under its new id.
    rig.web.Exec("DELETE FROM notifications");
    notice = list.Rows()[0];
    r = list.Save(notice);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.inserted);
    EXPECT_NE(notice.id, id);
    ASSERT_EQ(list.Rows().size(), 1u);
    EXPECT_EQ(list.Rows()[0].id, notice.id);
}

TEST(NoticeList, CopyOfAnExpiredNoticeBecomesANewCurrentRow) {
    AllPatientsRig rig;
    NotificationList list(rig.ctx);
    list.Open();
    list.SetShowExpired(true);
    list.Filter();
    const int row = RowOf(list, rig.expired);
    ASSERT_GE(row, 0);

    NotificationEditor editor(false, list.CopyOf(row), rig.clock);
    const NotificationEditor::Form& form = editor.Initial();
    EXPECT_FALSE(form.useValidTo) << "a validity that has ended is not carried over";
    EXPECT_EQ(form.sendDate, "20240105") << "a copy is sent today";
    EXPECT_EQ(form.title, J("駐車場工事"));
    EXPECT_EQ(editor.Confirm(form).question, J("全体へのお知らせを送信してよろしいでしょうか？"));
    tagNotificationData copy = editor.Result(form);
    ASSERT_TRUE(list.Save(copy).ok);

    EXPECT_NE(copy.id, rig.expired);
    EXPECT_NE(copy.id, tagNotificationData::kCopyId);
    const int copied = RowOf(list, copy.id);
    ASSERT_GE(copied, 0);
    EXPECT_EQ(list.Rows()[copied].current, 1);
    EXPECT_GE(RowOf(list, rig.expired), 0) << "the original stays";
    EXPECT_EQ(rig.web.Scalar("SELECT valid_to_date FROM notifications WHERE id=" + copy.id),
              std::nullopt);
    EXPECT_EQ(rig.web.Scalar("SELECT notification_date FROM notifications WHERE id=" + copy.id),
              "2024-01-05");
}

TEST(NoticeList, FailedSavesAndDeletesLeaveTheListAsItWas) {
    AllPatientsRig rig;
    NotificationList list(rig.ctx);
    list.Open();
    const auto before = Titles(list);

    // The database refuses the INSERT: its text comes back and is logged; nothing is listed.
    std::optional<WebFault> fault;
    fault.emplace(rig.web, WebFault::Kind::Refuse, "notifications", "INSERT", "TRUE");
    tagNotificationData notice;
    notice.notificationDate = "20240105";
    notice.title = J("届かない");
    notice.content = J("本文");
    auto saved = list.Save(notice);
    EXPECT_FALSE(saved.ok);
    EXPECT_NE(saved.error.find("refused by the test"), std::string::npos) << saved.error;
    EXPECT_EQ(Titles(list), before);
    EXPECT_NE(rig.log.Lines().front().find("[SQL"), std::string::npos);
    EXPECT_NE(rig.log.Lines().front().find("refused by the test"), std::string::npos);

    // An UPDATE refused likewise keeps the old text.
    fault.emplace(rig.web, WebFault::Kind::Refuse, "notifications", "UPDATE", "TRUE");
    tagNotificationData edited = list.Rows()[0];
    edited.title = J("変えられない");
    EXPECT_FALSE(list.Save(edited).ok);
    EXPECT_EQ(Titles(list), before);
    fault.reset();

    // The server stopped: the delete fails, the row stays listed and on the web.
    const int row = RowOf(list, rig.holiday);
    rig.StopServer();
    const NoticeResult stopped = list.Delete(row);
    EXPECT_FALSE(stopped.ok);
    EXPECT_TRUE(stopped.noConnection);
    EXPECT_FALSE(stopped.error.empty());
    EXPECT_GE(RowOf(list, rig.holiday), 0);
    rig.StartServer();
    EXPECT_EQ(rig.Count("SELECT COUNT(*) FROM notifications WHERE id=" + rig.holiday), 1);

    // The database refuses the DELETE: the row stays too.
    fault.emplace(rig.web, WebFault::Kind::Refuse, "notifications", "DELETE", "TRUE");
    const NoticeResult refused = list.Delete(RowOf(list, rig.holiday));
    EXPECT_FALSE(refused.ok);
    EXPECT_FALSE(refused.noConnection);
    EXPECT_NE(refused.error.find("refused by the test"), std::string::npos);
    EXPECT_GE(RowOf(list, rig.holiday), 0);
    EXPECT_EQ(fault->Count(), 1);
    fault.reset();

    // A delete that goes through takes the row away, here and on the web.
    rig.statements.clear();
    ASSERT_TRUE(list.Delete(RowOf(list, rig.holiday)).ok);
    EXPECT_EQ(rig.statements,
              std::vector<std::string>{"DELETE FROM notifications WHERE id=" + rig.holiday});
    EXPECT_EQ(RowOf(list, rig.holiday), -1);
    EXPECT_EQ(rig.Count("SELECT COUNT(*) FROM notifications WHERE id=" + rig.holiday), 0);
    EXPECT_TRUE(Logged(rig.log, J("[Info] お知らせ削除 [休診のお知らせ]")));
}

TEST(NoticeList, NoConnectionSaysSoInsteadOfAnEmptyList) {
    NoticeRig rig;
    rig.AddNotice("'2024-01-04'", "NULL", "休診", "休診です。");
    rig.StopServer();
    NotificationList list(rig.ctx);
    list.Open();
    EXPECT_TRUE(list.Rows().empty());
    EXPECT_EQ(list.Problem().rfind(J("Webデータベースに接続できません："), 0), 0u)
        << list.Problem();

    // The individual list is tried again once the server is back.
    list.SetMode(NotificationList::Individual);
    list.ModeChanged();
    EXPECT_FALSE(list.IndividualLoaded());
    rig.StartServer();
    list.ModeChanged();
    EXPECT_TRUE(list.IndividualLoaded());
    EXPECT_TRUE(list.Problem().empty());
}
