// The lists and deletes of "予約の重複エラー" against a temporary clinic and the private web
// database.
#include <gtest/gtest.h>

#include "ReviewClinic.h"
#include "agent/dialogs/WebRequestReview.h"
#include "platform/Cp932.h"

using platform::J;

namespace {

std::vector<std::string> Ids(const auto& rows) {
    std::vector<std::string> ids;
    for (const auto& r : rows)
        ids.push_back(r.id);
    return ids;
}

} // namespace

TEST(WebRequestReview, WebBookingsListOnlyThoseTheAgentCouldNotPlace) {
    ReviewClinic c;
    WebBooking reported; // no free slot was found for it: created_at in the year 2000
    reported.id = "1";
    reported.kana = "ソウダン ハナコ"; // ソ ends in the byte 0x5C in CP932
    reported.content = "表に出ない能力";
    c.Book(reported);

    WebBooking marked; // "E", whatever its creation time
    marked.id = "2";
    marked.appoKey = "'E'";
    marked.created = "2024-02-18 08:00:00";
    marked.updated = "2024-02-19 08:00:00";
    marked.gender = "";
    marked.birthday = "1990-03-01"; // the birthday is today: a year older today
    marked.time = "09:05:00";
    c.Book(marked);

    WebBooking emptyKey = reported; // an empty key counts as unbooked
    emptyKey.id = "3";
    emptyKey.appoKey = "''";
    emptyKey.birthday = "";
    emptyKey.updated = "2024-02-01 00:00:00";
    c.Book(emptyKey);

    WebBooking neverFailed = reported; // unbooked but never reported: not listed
    neverFailed.id = "4";
    neverFailed.created = "2024-02-20 10:00:00";
    c.Book(neverFailed);

    WebBooking booked = reported; // placed later on: not listed
    booked.id = "5";
    booked.appoKey = "'0000000123'";
    c.Book(booked);

    WebBooking cancelled = reported;
    cancelled.id = "6";
    cancelled.cancel = "1";
    c.Book(cancelled);

    WebBooking lastYear = reported; // year 1999 or 2001 is no marker
    lastYear.id = "7";
    lastYear.created = "2001-01-01 00:00:00";
    c.Book(lastYear);

    WebRequestReview review(c.session, c.clinic.DatabaseFolder(), c.clock);
    const auto load = review.LoadWebBookings();
    EXPECT_FALSE(load.outcome.Failed()) << load.outcome.detail;
    EXPECT_EQ(load.outcome.Line(), "");
    ASSERT_EQ(Ids(load.rows), (std::vector<std::string>{"3", "2", "1"})); // by updated_at

    const auto& r = load.rows[2];
    EXPECT_EQ(r.updated, "2024.02.20");
    EXPECT_EQ(r.wished, "2024.03.10  10:00");
    EXPECT_EQ(r.name, J("山田 花子 / ソウダン ハナコ (女性)"));
    EXPECT_EQ(r.birthday, J("1990.04.01 (33歳)")); // a day before 34
    EXPECT_EQ(r.tel, "0312345678");
    EXPECT_EQ(r.email, "hanako@example.jp");
    EXPECT_EQ(r.address, J("東京都港区芝1-2-3"));
    EXPECT_EQ(r.content, J("表に出ない能力"));

    EXPECT_EQ(load.rows[1].name, J("山田 花子 / ヤマダ ハナコ")); // no gender, no brackets
    EXPECT_EQ(load.rows[1].birthday, J("1990.03.01 (34歳)"));
    EXPECT_EQ(load.rows[1].wished, "2024.03.10  09:05");
    EXPECT_EQ(load.rows[0].birthday, "");
    // The connection is not left open.
    EXPECT_FALSE(c.session.Database().IsOpen());
}

TEST(WebRequestReview, AppRequestsListedOnlyAfterARefusalForAKnownPatient) {
    ReviewClinic c;
    c.AddType("01", "定期検診");
    c.AddType("02", "クリーニング");
    c.AddPatient("0000004711", "4711", "K-12", "佐藤 太郎", "ｻﾄｳ ﾀﾛｳ");
    c.AddPatient("0000004712", "4712", "", "鈴木 次郎", "ｽｽﾞｷ ｼﾞﾛｳ");
    c.AddPatient("0000004713", "4713", "", "高橋 三郎", "ﾀｶﾊｼ ｻﾌﾞﾛｳ");
    c.AddPatient("++++++++++", "", "", "初診相談（Web）", "ｼｮｼﾝｿｳﾀﾞﾝ(Web)");

    // Patient 4711: the request's own reservation, then from today on a cancelled one, a
    // booked one (the next appointment) and a later booked one; one before today.
    c.AddReservation("0000000001", "0000004711", "20240305", 0, "01");
    c.AddReservation("0000000002", "0000004711", "20240229", 0, "01");
    c.AddReservation("0000000003", "0000004711", "20240301", 2, "01");
    c.AddReservation("0000000004", "0000004711", "20240308", 0, "02");
    c.AddReservation("0000000005", "0000004711", "20240320", 0, "01");
    // Patient 4712 has nothing booked from today on; the next patient's booking is not his.
    c.AddReservation("0000000010", "0000004712", "20240306", 6, "99");
    c.AddReservation("0000000011", "0000004712", "20240228", 0, "01");
    c.AddReservation("0000000012", "0000004713", "20240310", 0, "01");
    // A first-visit guest's refused reservation; the guest key has other bookings.
    c.AddReservation("0000000020", "++++++++++", "20240307", 6, "01");
    c.AddReservation("0000000021", "++++++++++", "20240309", 0, "01");
    // Refused, but its patient is unknown here.
    c.AddReservation("0000000030", "0000009999", "20240307", 6, "01");

    c.Request("10", "0000000001", "0000004711", "2024-03-12", "14:30:00");
    c.Request("11", "0000000010", "0000004712", "2024-03-11", "09:00:00");
    c.Request("12", "0000000020", "++++++++++", "2024-03-13", "10:00:00");
    c.Request("13", "0000000030", "0000009999", "2024-03-10", "10:00:00");
    c.Request("14", "0000000099", "0000004711", "2024-03-10", "10:00:00");    // no reservation
    c.Request("15", "0000000003", "0000004711", "2024-03-10", "10:00:00", 1); // not waiting

    WebRequestReview review(c.session, c.clinic.DatabaseFolder(), c.clock);
    // Reservation 1 is still booked: its request waits for the agent and is no error yet.
    auto load = review.LoadAppRequests();
    EXPECT_FALSE(load.outcome.Failed()) << load.outcome.detail;
    EXPECT_EQ(Ids(load.rows), (std::vector<std::string>{"11", "12"}));

    c.SetStatus("0000000001", 6); // refused
    load = review.LoadAppRequests();
    ASSERT_EQ(Ids(load.rows), (std::vector<std::string>{"11", "10", "12"})); // by appo_date

    const auto& refused = load.rows[1];
    EXPECT_EQ(refused.wished, "2024.03.12  14:30");
    EXPECT_EQ(refused.type, J("定期検診"));
    EXPECT_EQ(refused.patientId, "4711 / K-12");
    EXPECT_EQ(refused.patientName, J("佐藤 太郎 / ｻﾄｳ ﾀﾛｳ"));
    EXPECT_EQ(refused.next, J("2024.03.08 [クリーニング]"));

    EXPECT_EQ(load.rows[0].type, ""); // type 99 is unknown
    EXPECT_EQ(load.rows[0].patientId, "4712 / ");
    EXPECT_EQ(load.rows[0].next, ""); // stops at patient 4713's booking
    EXPECT_EQ(load.rows[2].next, ""); // never for the first-visit guest key
    EXPECT_EQ(load.rows[2].patientName, J("初診相談（Web） / ｼｮｼﾝｿｳﾀﾞﾝ(Web)"));
}

TEST(WebRequestReview, DeletesOnePerRowAndCountWhatFailed) {
    ReviewClinic c;
    for (const char* id : {"1", "2", "3", "4", "5"}) {
        WebBooking b;
        b.id = id;
        c.Book(b);
    }
    for (const char* id : {"21", "22", "23"})
        c.Request(id, std::string("00000000") + id, "0000004711", "2024-03-12", "10:00:00");
    WebRequestReview review(c.session, c.clinic.DatabaseFolder(), c.clock);

    auto run = review.DeleteWebBookings({"1", "3", "5"});
    EXPECT_EQ(run.deleted, 3);
    EXPECT_EQ(run.failed, 0);
    EXPECT_EQ(run.FailureLine(), "");
    EXPECT_EQ(c.web.Query("SELECT id FROM first_appointments ORDER BY id").size(), 2u);
    EXPECT_EQ(c.web.Scalar("SELECT GROUP_CONCAT(id ORDER BY id) FROM first_appointments"), "2,4");

    // One refused delete does not stop the others, and is counted.
    c.RefuseDeleteOf("appointments", "22");
    run = review.DeleteAppRequests({"21", "22", "23"});
    EXPECT_EQ(run.deleted, 2);
    EXPECT_EQ(run.failed, 1);
    EXPECT_EQ(run.outcome.kind, ReviewOutcome::WebQueryFailed);
    EXPECT_NE(run.outcome.detail.find("row is locked"), std::string::npos) << run.outcome.detail;
    EXPECT_EQ(run.FailureLine(), J("1件を削除できませんでした。"));
    EXPECT_EQ(c.web.Scalar("SELECT GROUP_CONCAT(id) FROM appointments"), "22");
    EXPECT_FALSE(c.session.Database().IsOpen());

    // Nothing selected: nothing sent, nothing failed.
    run = review.DeleteWebBookings({});
    EXPECT_EQ(run.deleted + run.failed, 0);
}

TEST(WebRequestReview, AStoppedServerOrAFailingReadSaysSoInsteadOfAnEmptyList) {
    ReviewClinic c;
    WebBooking b;
    b.id = "1";
    c.Book(b);
    c.AddPatient("0000004711", "4711", "", "佐藤 太郎", "ｻﾄｳ ﾀﾛｳ");
    c.Request("10", "0000000001", "0000004711", "2024-03-12", "14:30:00");

    WebSession stopped(StoppedServer(), NoPause);
    WebRequestReview review(stopped, c.clinic.DatabaseFolder(), c.clock);
    const auto bookings = review.LoadWebBookings();
    EXPECT_TRUE(bookings.rows.empty());
    EXPECT_EQ(bookings.outcome.kind, ReviewOutcome::NoConnection);
    EXPECT_EQ(bookings.outcome.Line(), J("Webデータベースに接続できませんでした。"));
    EXPECT_FALSE(bookings.outcome.detail.empty()); // the driver's own text, for the tip
    const auto requests = review.LoadAppRequests();
    EXPECT_EQ(requests.outcome.kind, ReviewOutcome::NoConnection);
    const auto run = review.DeleteWebBookings({"1", "2"});
    EXPECT_EQ(run.deleted, 0);
    EXPECT_EQ(run.failed, 2);
    EXPECT_EQ(run.outcome.kind, ReviewOutcome::NoConnection);
    EXPECT_EQ(run.FailureLine(), J("2件を削除できませんでした。"));

    // A local database that cannot be read is not "no requests" either.
    WebRequestReview noBook(c.session, c.clinic.DatabaseFolder() + "missing/", c.clock);
    const auto unread = noBook.LoadAppRequests();
    EXPECT_TRUE(unread.rows.empty());
    EXPECT_EQ(unread.outcome.kind, ReviewOutcome::LocalFailed);
    EXPECT_EQ(unread.outcome.Line(), J("予約データベースを読み込めませんでした。"));

    // A web table that cannot be read.
    c.web.Exec("DROP TABLE first_appointments");
    WebRequestReview broken(c.session, c.clinic.DatabaseFolder(), c.clock);
    const auto failed = broken.LoadWebBookings();
    EXPECT_EQ(failed.outcome.kind, ReviewOutcome::WebQueryFailed);
    EXPECT_EQ(failed.outcome.Line(), J("Webデータベースの読み込みに失敗しました。"));
    EXPECT_FALSE(c.session.Database().IsOpen());
}
