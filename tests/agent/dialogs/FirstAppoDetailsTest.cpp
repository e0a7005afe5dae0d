// The details of one web first-visit booking ("Web予約の詳細") against the private web database.
#include <gtest/gtest.h>

#include "ReviewClinic.h"
#include "agent/dialogs/FirstAppoDetails.h"
#include "platform/Cp932.h"

using platform::J;

TEST(FirstAppoDetails, OnlyAPlainReservationKeyIsLookedUp) {
    EXPECT_EQ(FirstAppoDetails::ReservationKey("0000000042"), "0000000042");
    // Numbers as the practice software may pass them: blanks around, leading zeros left off.
    EXPECT_EQ(FirstAppoDetails::ReservationKey(" 0000000042\r\n"), "0000000042");
    EXPECT_EQ(FirstAppoDetails::ReservationKey("42"), "0000000042");
    EXPECT_EQ(FirstAppoDetails::ReservationKey("9999999999"), "9999999999");
    EXPECT_EQ(FirstAppoDetails::ReservationKey("12345678901"), ""); // eleven digits
    EXPECT_EQ(FirstAppoDetails::ReservationKey(""), "");
    EXPECT_EQ(FirstAppoDetails::ReservationKey("   "), "");
    EXPECT_EQ(FirstAppoDetails::ReservationKey("E"), ""); // the web's marker, not a key
    EXPECT_EQ(FirstAppoDetails::ReservationKey("00 42"), "");
    EXPECT_EQ(FirstAppoDetails::ReservationKey("1' OR '1'='1"), "");
    EXPECT_EQ(FirstAppoDetails::ReservationKey("1;DROP TABLE first_appointments"), "");
    EXPECT_EQ(FirstAppoDetails::ReservationKey("-1"), "");
}

TEST(FirstAppoDetails, TheNewestActiveRowOfTheKeyWithItsPageTitle) {
    ReviewClinic c;
    c.Set("FRIST_APPOINTMENTS", "TITLE", "初診相談");
    c.Set("FRIST_APPOINTMENTS", "TITLE_1", "矯正相談");

    WebBooking older;
    older.id = "1";
    older.appoKey = "'0000000042'";
    older.created = "2024-02-01 08:00:00";
    older.name = "古い 行";
    c.Book(older);
    WebBooking newer = older;
    newer.id = "2";
    newer.created = "2024-02-10 09:05:59";
    newer.flag = "2";
    newer.name = "山田 花子";
    newer.kana = "ソウダン ハナコ";
    newer.content = "歯並びの相談です。\r\n夕方を希望します。";
    c.Book(newer);
    WebBooking cancelled = older; // newest of all, but cancelled on the web
    cancelled.id = "3";
    cancelled.created = "2024-02-20 08:00:00";
    cancelled.cancel = "2";
    c.Book(cancelled);
    WebBooking other = older;
    other.id = "4";
    other.appoKey = "'0000000043'";
    other.created = "2024-02-25 08:00:00";
    c.Book(other);

    const auto load = FirstAppoDetails::Read(c.session, "0000000042", c.clock);
    EXPECT_FALSE(load.outcome.Failed()) << load.outcome.detail;
    ASSERT_TRUE(load.found);
    const auto& f = load.fields;
    EXPECT_EQ(f.name, J("山田 花子")); // the row created last
    EXPECT_EQ(f.kind, J("矯正相談"));  // appo_flag 2 is the second page: TITLE_1
    EXPECT_EQ(f.wished, "2024-03-10 10:00");
    EXPECT_EQ(f.kana, J("ソウダン ハナコ"));
    EXPECT_EQ(f.birthday, J("1990-04-01 (33歳)"));
    EXPECT_EQ(f.gender, J("女性"));
    EXPECT_EQ(f.address, J("東京都港区芝1-2-3"));
    EXPECT_EQ(f.tel, "0312345678");
    EXPECT_EQ(f.email, "hanako@example.jp");
    EXPECT_EQ(f.content, J("歯並びの相談です。\r\n夕方を希望します。"));
    EXPECT_EQ(f.entered, "2024-02-10 09:05");
    EXPECT_FALSE(c.session.Database().IsOpen());

    // The key as the practice software may pass it reaches the same row.
    EXPECT_EQ(FirstAppoDetails::Read(c.session, "42", c.clock).fields.name, J("山田 花子"));

    // Page titles: NULL and 1 are the first page; a page without a title reads "Web予約".
    c.web.Exec("UPDATE first_appointments SET appo_flag=NULL WHERE id=2");
    EXPECT_EQ(FirstAppoDetails::Read(c.session, "42", c.clock).fields.kind, J("初診相談"));
    c.web.Exec("UPDATE first_appointments SET appo_flag=3 WHERE id=2");
    EXPECT_EQ(FirstAppoDetails::Read(c.session, "42", c.clock).fields.kind, J("Web予約"));
    c.Set("FRIST_APPOINTMENTS", "TITLE", "");
    c.web.Exec("UPDATE first_appointments SET appo_flag=1 WHERE id=2");
    EXPECT_EQ(FirstAppoDetails::Read(c.session, "42", c.clock).fields.kind, ""); // empty title

    // Missing values leave their parts empty; a birthday after today has no age.
    c.web.Exec("UPDATE first_appointments SET appo_date=NULL, birthday='2024-03-02' WHERE id=2");
    const auto sparse = FirstAppoDetails::Read(c.session, "42", c.clock);
    EXPECT_EQ(sparse.fields.wished, "10:00");
    EXPECT_EQ(sparse.fields.birthday, "2024-03-02");
    c.web.Exec("UPDATE first_appointments SET appo_time=NULL, birthday=NULL WHERE id=2");
    EXPECT_EQ(FirstAppoDetails::Read(c.session, "42", c.clock).fields.wished, "");
    EXPECT_EQ(FirstAppoDetails::Read(c.session, "42", c.clock).fields.birthday, "");

    // No active row: nothing found, and that is no failure.
    const auto none = FirstAppoDetails::Read(c.session, "0000000044", c.clock);
    EXPECT_FALSE(none.found);
    EXPECT_FALSE(none.outcome.Failed());
    EXPECT_EQ(none.fields.name, "");
}

TEST(FirstAppoDetails, CraftedKeysReadNothingAndLeaveTheTableIntact) {
    ReviewClinic c;
    WebBooking b;
    b.id = "1";
    b.appoKey = "'1'";
    c.Book(b);
    b.id = "2";
    b.appoKey = "'0000000001'";
    c.Book(b);

    for (const std::string key : {"1' OR '1'='1", "1;DROP TABLE first_appointments", "1) OR (1=1",
                                  "0000000001' OR appo_key LIKE '%"}) {
        const auto load = FirstAppoDetails::Read(c.session, key, c.clock);
        EXPECT_FALSE(load.found) << key;
        EXPECT_FALSE(load.outcome.Failed()) << key;
        EXPECT_EQ(load.fields.name, "") << key;
    }
    EXPECT_EQ(c.Rows("first_appointments"), 2);

    // A crafted key never reaches the server, so even a stopped one is no failure for it.
    WebSession stopped(StoppedServer(), NoPause);
    EXPECT_FALSE(FirstAppoDetails::Read(stopped, "1' OR '1'='1", c.clock).outcome.Failed());
    // A real key on a stopped server says so.
    const auto unreachable = FirstAppoDetails::Read(stopped, "0000000001", c.clock);
    EXPECT_EQ(unreachable.outcome.kind, ReviewOutcome::NoConnection);
    EXPECT_EQ(unreachable.outcome.Line(), J("Webデータベースに接続できませんでした。"));
    EXPECT_FALSE(unreachable.found);
}
