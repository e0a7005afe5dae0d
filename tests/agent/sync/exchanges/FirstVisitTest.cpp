// First-visit consultation bookings from the booking pages into the local book, and their
// cancellations.
#include <gtest/gtest.h>

#include "StandbyClinic.h"
#include "agent/sync/exchanges/FirstVisitBookings.h"
#include "outside/tools/CTools.h"
#include "platform/Cp932.h"

using platform::J;

namespace {

// Inserts a booking; date is "YYYY-MM-DD" or an SQL expression in parentheses.
void Book(const StandbyClinic& c, const std::string& id, const std::string& date,
          const std::string& time, const std::string& flag, const std::string& nameUtf8,
          const std::string& genderUtf8 = "", const std::string& extra = "NULL") {
    c.Web().Exec(J("INSERT INTO first_appointments(id,appo_date,appo_time,appo_flag,name,"
                   "name_kana,content,birthday,gender,tel,email,address,cancel_flag) VALUES(" +
                   id + ",'" + date + "','" + time + "'," + flag + ",'" + nameUtf8 +
                   "','ｼｮｼﾝ','相談内容','1990-04-01','" + genderUtf8 +
                   "','0312345678','a@example.jp','東京都'," + extra + ")"));
}

std::string AppoKey(const StandbyClinic& c, const std::string& id) {
    return c.Web().Scalar("SELECT appo_key FROM first_appointments WHERE id=" + id).value_or("");
}

std::string CreatedAt(const StandbyClinic& c, const std::string& id) {
    return c.Web().Scalar("SELECT created_at FROM first_appointments WHERE id=" + id).value_or("");
}

std::string Ymd(const std::string& webDate) {
    return webDate.substr(0, 4) + webDate.substr(5, 2) + webDate.substr(8, 2);
}

} // namespace

TEST(FirstVisitBookings, PagesGuestFieldsAndDates) {
    StandbyClinic c;
    const std::string tomorrow = c.JapanDate(1), yesterday = c.JapanDate(-1);
    c.Set("FRIST_APPOINTMENTS", "PAGE_NUM", "3");
    c.Set("FRIST_APPOINTMENTS", "UNIT_ID", "1");
    c.Set("FRIST_APPOINTMENTS", "TIME", "30");
    c.Set("FRIST_APPOINTMENTS", "CATEGORY_ID", "05");
    c.Set("FRIST_APPOINTMENTS", "UNIT_DOCTOR_ID", "D1");
    c.Set("FRIST_APPOINTMENTS", "TITLE_1", "矯正相談"); // no UNIT_ID_1: skipped
    c.Set("FRIST_APPOINTMENTS", "TITLE_2", "インプラント相談");
    c.Set("FRIST_APPOINTMENTS", "UNIT_ID_2", "2,3");
    c.Set("FRIST_APPOINTMENTS", "TIME_2", "45");

    // 21 double-byte characters (42 bytes) for a 40-byte field.
    const std::string longName = "山田あいうえおかきくけこさしすせそたちつてと";
    Book(c, "1", tomorrow, "10:00:00", "NULL", longName, "Male");
    Book(c, "2", tomorrow, "10:00:00", "2", "矯正 花子");
    Book(c, "3", tomorrow, "10:00:00", "3", "鈴木 一郎", "女性");
    Book(c, "4", yesterday, "10:00:00", "NULL", "昨日 太郎", "男");
    Book(c, "5", tomorrow, "11:00:00", "1", "取消 太郎", "m", "1");
    Book(c, "6", tomorrow, "12:00:00", "1", "田中 次郎", "m");
    Book(c, "7", tomorrow, "13:00:00", "1", "佐藤 三郎", "男性");
    Book(c, "8", tomorrow, "14:00:00", "1", "高橋 四郎", "");
    c.Web().Exec("UPDATE first_appointments SET address='" +
                 J("a" +
                   [] {
                       std::string s;
                       for (int i = 0; i < 60; ++i)
                           s += "東";
                       return s;
                   }()) +
                 "' WHERE id=1");

    ProcessFirstVisitBookings(c.Ctx(), false);

    // Page 1 booked on unit 1, page 3 on the first free of 2,3; page 2 and the others untouched.
    const std::string k1 = AppoKey(c, "1"), k3 = AppoKey(c, "3");
    ASSERT_EQ(k1.size(), 10u);
    ASSERT_EQ(k3.size(), 10u);
    EXPECT_EQ(AppoKey(c, "2"), "");
    EXPECT_EQ(AppoKey(c, "4"), "");
    EXPECT_EQ(AppoKey(c, "5"), "");

    auto r = c.Reservation(k1);
    ASSERT_TRUE(r);
    EXPECT_EQ(Utf8Of(r->patientKey), "++++++++++");
    EXPECT_EQ(Utf8Of(r->unit), "1");
    EXPECT_EQ(Utf8Of(r->doctor), "D1");
    EXPECT_EQ(Utf8Of(r->type), "05");
    EXPECT_EQ(Utf8Of(r->date), Ymd(tomorrow));
    EXPECT_EQ(Utf8Of(r->start), "1000");
    EXPECT_EQ(Utf8Of(r->end), "1030");
    EXPECT_EQ(r->status, 0);
    EXPECT_EQ(Utf8Of(r->guestName), longName.substr(0, 20 * 3)); // 20 characters, none split
    EXPECT_EQ(Utf8Of(r->guestKana), "ｼｮｼﾝ");
    EXPECT_EQ(Utf8Of(r->memo), "相談内容");
    EXPECT_EQ(Utf8Of(r->guestBirthday), "19900401");
    EXPECT_EQ(Utf8Of(r->guestGender), "1");
    EXPECT_EQ(Utf8Of(r->guestTel), "0312345678");
    EXPECT_EQ(Utf8Of(r->guestMail), "a@example.jp");
    EXPECT_EQ(std::string(r->guestAddress).size(), 99u); // "a" + 49 characters of 2 bytes
    EXPECT_EQ(Utf8Of(r->guestTitle), "");

    r = c.Reservation(k3);
    ASSERT_TRUE(r);
    EXPECT_EQ(Utf8Of(r->unit), "2");
    EXPECT_EQ(Utf8Of(r->end), "1045");
    EXPECT_EQ(Utf8Of(r->type), "00");
    EXPECT_EQ(Utf8Of(r->guestTitle), "インプラント相談");
    EXPECT_EQ(Utf8Of(r->guestGender), "0");

    // Gender: m and 男性 count as male, an empty text as not.
    EXPECT_EQ(Utf8Of(c.Reservation(AppoKey(c, "6"))->guestGender), "1");
    EXPECT_EQ(Utf8Of(c.Reservation(AppoKey(c, "7"))->guestGender), "1");
    EXPECT_EQ(Utf8Of(c.Reservation(AppoKey(c, "8"))->guestGender), "0");

    // The placeholder patient was made once.
    CPatientDB patients(c.Folder(), 0);
    ASSERT_EQ(patients.GetPatient1Data("++++++++++"), 0);
    EXPECT_EQ(Utf8Of(patients.m_rec.name), "初診相談（Web）");
    EXPECT_EQ(Utf8Of(patients.m_rec.kana), "ｼｮｼﾝｿｳﾀﾞﾝ(Web)");

    int years = 0, months = 0;
    ASSERT_TRUE(CTools::CaclAge("19900401", Ymd(tomorrow).c_str(), years, months));
    const auto lines = c.TakeLines();
    std::string dots = tomorrow;
    dots[4] = dots[7] = '.';
    EXPECT_EQ(StandbyClinic::Count(lines, "[Web予約] 希望日時 " + dots +
                                              " 14:00 [高橋 四郎 , ｼｮｼﾝ " + std::to_string(years) +
                                              "歳  TEL:0312345678 Mail:a@example.jp 住所:東京都]"),
              1);
    EXPECT_EQ(StandbyClinic::Count(lines, "[Web予約]"), 5);
    EXPECT_EQ(StandbyClinic::Count(lines, "昨日"), 0);
}

TEST(FirstVisitBookings, NoSlotIsReportedOnceUntilRestart) {
    StandbyClinic c;
    const std::string tomorrow = c.JapanDate(1);
    c.Set("FRIST_APPOINTMENTS", "UNIT_ID", "1");
    c.Set("FRIST_APPOINTMENTS", "TITLE", "初診");
    c.AddReservation({.key = "0000000100",
                      .patient = "0000000001",
                      .date = Ymd(tomorrow),
                      .start = "0930",
                      .end = "1030"});
    Book(c, "1", tomorrow, "10:00:00", "NULL", "山田 太郎", "M");
    Book(c, "2", tomorrow, "10:00:00", "NULL", "山田 次郎", "M");
    c.Web().Exec("UPDATE first_appointments SET appo_key='E' WHERE id=2");
    const std::string overlap = "[予約重複]";
    const std::string text =
        "空き枠が無いため初診相談予約(初診)が追加できません。[山田 太郎 , ｼｮｼﾝ";

    // First cycle after the start: both are told, both are marked.
    ProcessFirstVisitBookings(c.Ctx(), true);
    auto lines = c.TakeLines();
    EXPECT_EQ(StandbyClinic::Count(lines, text), 1);
    EXPECT_EQ(StandbyClinic::Count(lines, overlap), 2);
    EXPECT_EQ(CreatedAt(c, "1"), "2000-01-01 00:00:00");
    EXPECT_EQ(CreatedAt(c, "2"), "2000-01-01 00:00:00");

    // Ordinary cycles are silent (a fresh log, so nothing is hidden by its repeat filter).
    c.FreshLog();
    ProcessFirstVisitBookings(c.Ctx(), false);
    EXPECT_EQ(StandbyClinic::Count(c.TakeLines(), overlap), 0);

    // A restart tells it again, without marking again.
    c.Web().Exec("UPDATE first_appointments SET created_at='2000-06-01 00:00:00' WHERE id=1");
    c.FreshLog();
    ProcessFirstVisitBookings(c.Ctx(), true);
    EXPECT_EQ(StandbyClinic::Count(c.TakeLines(), text), 1);
    EXPECT_EQ(CreatedAt(c, "1"), "2000-06-01 00:00:00");

    // The slot frees up: booked silently on an ordinary cycle; the second booking then finds
    // the slot taken by the first.
    CReservationDB book(c.Folder(), 1);
    ASSERT_EQ(book.GetReservationData("0000000100"), 0);
    book.m_rec.status = 2;
    ASSERT_EQ(book.Update(0), 0);
    c.Web().Exec("UPDATE first_appointments SET updated_at=DATE_ADD('2024-01-01',INTERVAL id DAY)");
    c.FreshLog();
    ProcessFirstVisitBookings(c.Ctx(), false);
    EXPECT_EQ(AppoKey(c, "1").size(), 10u);
    EXPECT_EQ(AppoKey(c, "2"), "E");
    lines = c.TakeLines();
    EXPECT_EQ(StandbyClinic::Count(lines, "[Web予約]"), 0);
    EXPECT_EQ(StandbyClinic::Count(lines, overlap), 0);
}

TEST(FirstVisitCancellations, BookedCancelledOthersOnlyMarked) {
    StandbyClinic c;
    c.AddReservation({.key = "0000000101", .patient = "++++++++++"});
    c.AddReservation({.key = "0000000102", .patient = "++++++++++", .status = 1});
    c.AddReservation({.key = "0000000103", .patient = "++++++++++", .status = 2});
    c.AddReservation({.key = "0000000104", .patient = "++++++++++"});
    // The note is cut to 100 bytes: 18 + 80 + ... bytes, the cut falls inside a character.
    std::string longName = "x";
    for (int i = 0; i < 45; ++i)
        longName += "表";
    c.Web().Exec(J("INSERT INTO first_appointments(id,appo_key,appo_date,appo_time,name,name_kana,"
                   "tel,cancel_flag,updated_at) VALUES"
                   "(1,'0000000101','2024-03-10','10:00:00','" +
                   longName +
                   "','ｶﾅ','0312345678',1,'2024-03-05 08:00:00'),"
                   "(2,'0000000102','2024-03-10','11:00:00','来院 済','ｶﾅ','03',1,NOW()),"
                   "(3,'0000000103','2024-03-10','12:00:00','取消 済','ｶﾅ','03',1,NOW()),"
                   "(4,'0000009999','2024-03-10','13:00:00','不明','ｶﾅ','03',1,NOW()),"
                   "(5,'0000000104','2024-03-10','14:00:00','予約 中','ｶﾅ','03',NULL,NOW())"));

    ProcessFirstVisitCancellations(c.Ctx());

    auto r = c.Reservation("0000000101");
    EXPECT_EQ(r->status, 2);
    const std::string note = std::string(r->cancelNote);
    EXPECT_EQ(note, platform::Cp932Cut(J("Webにてキャンセル " + longName), 100));
    EXPECT_EQ(note.size(), 99u);
    EXPECT_EQ(Utf8Of(r->cancelDate), "20240305");
    EXPECT_EQ(Utf8Of(r->lastChangeDate), "20240305");
    EXPECT_EQ(c.Reservation("0000000102")->status, 1);
    EXPECT_EQ(Utf8Of(c.Reservation("0000000102")->cancelNote), "");
    EXPECT_EQ(c.Reservation("0000000103")->status, 2);
    EXPECT_EQ(c.Reservation("0000000104")->status, 0);

    const auto rows = c.Web().Query("SELECT id,cancel_flag FROM first_appointments ORDER BY id");
    ASSERT_EQ(rows.size(), 5u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(rows[i][1].value_or("NULL"), "2") << i;
    EXPECT_FALSE(rows[4][1]);
    const auto lines = c.TakeLines();
    EXPECT_EQ(StandbyClinic::Count(lines, "[Web予約] 初診相談予約のキャンセル 2024.03.10 11:00 "
                                          "来院 済(ｶﾅ) TEL:03"),
              1);
    EXPECT_EQ(StandbyClinic::Count(lines, "初診相談予約のキャンセル"), 4);
}
