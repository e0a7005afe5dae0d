#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <string>

#include "FakeClock.h"
#include "TempDir.h"
#include "WebDb.h"
#include "WebDbValues.h"
#include "agent/core/ClinicSettings.h"
#include "agent/sync/cycle/EngineState.h"
#include "agent/sync/cycle/LocalTables.h"
#include "agent/sync/cycle/SyncContext.h"
#include "agent/sync/exchanges/WebChangeRequests.h"
#include "agent/sync/log/OperationLog.h"
#include "agent/sync/support/FindFreeSlot.h"
#include "outside/pelmodb/PelmoSchema.h"
#include "platform/Cp932.h"

using platform::J;

namespace {

template <std::size_t N> void Set(char (&f)[N], const std::string& text) {
    std::memset(f, 0, N);
    std::memcpy(f, text.data(), std::min(text.size(), N - 1));
}

// A reservation as the tests need it: key, unit, doctor, date, start, end, status.
struct Res {
    std::string key;
    std::string unit;
    std::string doctor;
    std::string date;
    std::string start;
    std::string end;
    char status = 0;
    char exempt = 0;
    std::string type = "01";
    std::string patient = "0000004711";
};

// A clinic database in a temporary folder with its agent settings file.
struct LocalBook {
    LocalBook() {
        std::string err;
        EXPECT_EQ(PelmoSchema::Create(dir.Path(), err), 0) << err;
        table.SetAssociatedDB(nullptr);
    }

    void Add(const Res& r) {
        table.ClearRecord();
        tagReservation& m = table.m_rec;
        Set(m.key, r.key);
        Set(m.patientKey, r.patient);
        Set(m.unit, r.unit);
        Set(m.doctor, r.doctor);
        Set(m.date, r.date);
        Set(m.start, r.start);
        Set(m.end, r.end);
        Set(m.type, r.type);
        m.status = r.status;
        m.slotExempt = r.exempt;
        ASSERT_EQ(table.Insert(0), 0) << table.GetLastDBErr();
    }
    tagReservation Get(const std::string& key) {
        EXPECT_EQ(table.GetReservationData(key), 0);
        return table.m_rec;
    }

    TempDir dir;
    ClinicSettings settings{dir.File("PelmoV3.ini"), dir.File("Apposync.ini")};
    CReservationDB table{dir.Path(), 1};
};

int Find(CReservationDB& t, const std::string& start, std::vector<std::string> c, int mode,
         int minutes = 30, const std::string& own = "") {
    return FindFreeSlot(start, c, t, mode, "20240112", minutes, own);
}

} // namespace

TEST(FindFreeSlot, CollisionBoundariesStatusesAndCandidates) {
    LocalBook b;
    const std::string d = "20240112";
    b.Add({"0000000001", "1", "D1", d, "1029", "1100"});
    b.Add({"0000000002", "1", "D1", d, "0930", "1000"}); // ends exactly at the wished start
    b.Add({"0000000003", "2", "D2", d, "1028", "1100"});
    b.Add({"0000000004", "3", "D3", d, "1000", "1100", 2});    // cancelled
    b.Add({"0000000005", "3", "D3", d, "1000", "1100", 6});    // change refused
    b.Add({"0000000006", "3", "D3", d, "1000", "1100", 0, 1}); // slot-exempt
    b.Add({"0000000007", "4", "D4", d, "0900", "1015", 1});    // arrived, covers the start
    b.Add({"0000000008", "5", "D5", "20240111", "1000", "1100"});
    b.Add({"0000000009", "5", "D5", "20240113", "1000", "1100"});
    b.Add({"0000000010", "6", "D6", d, "1000", "1030"});
    b.Add({"0000000011", "8", "D8", d, "0950", "1000"});
    b.Add({"0000000012", "8", "D8", d, "1", "11"}); // short texts read as 10:00 and 11:00

    // 10:00 for 30 minutes occupies 10:00..10:29: a start at 10:29 passes, 10:28 does not.
    EXPECT_EQ(Find(b.table, "1000", {"1"}, 0), 0);
    EXPECT_EQ(Find(b.table, "1000", {"2"}, 0), -1);
    EXPECT_EQ(Find(b.table, "1000", {"3"}, 0), 0);
    EXPECT_EQ(Find(b.table, "1000", {"4"}, 0), -1);
    EXPECT_EQ(Find(b.table, "1000", {"5"}, 0), 0); // other dates of the unit
    EXPECT_EQ(Find(b.table, "1000", {"7"}, 0), 0); // a unit without any reservation
    EXPECT_EQ(Find(b.table, "1015", {"8"}, 0), -1);
    EXPECT_EQ(Find(b.table, "1100", {"8"}, 0), 0);
    EXPECT_EQ(Find(b.table, "0930", {"8"}, 0, 21), 0);
    EXPECT_EQ(Find(b.table, "0930", {"8"}, 0, 22), -1);

    // Two candidates: the first is booked 10:00-10:30, the second wins for 10:15-10:45.
    EXPECT_EQ(Find(b.table, "1015", {"6", "3"}, 0), 1);
    EXPECT_EQ(Find(b.table, "1015", {"6", "2"}, 0), -1);
    EXPECT_EQ(Find(b.table, "1015", {"6", "2", "4"}, 0), 2); // 4 ends exactly at 10:15
    EXPECT_EQ(Find(b.table, "1015", {}, 0), -1);
    // The reservation being moved does not block itself.
    EXPECT_EQ(Find(b.table, "1015", {"6"}, 0, 30, "0000000010"), 0);

    // Doctor mode searches by doctor code.
    EXPECT_EQ(Find(b.table, "1015", {"D6", "D3"}, 1), 1);
    EXPECT_EQ(Find(b.table, "1015", {"6"}, 1), 0); // "6" is no doctor with bookings

    // Inputs that cannot be booked: never a free answer.
    EXPECT_EQ(Find(b.table, "1000", {"7"}, 0, 0), -1);
    EXPECT_EQ(Find(b.table, "1000", {"7"}, 0, -5), -1);
    EXPECT_EQ(Find(b.table, "2500", {"7"}, 0), -1);
    EXPECT_EQ(Find(b.table, "10:0", {"7"}, 0), -1);
    EXPECT_EQ(FindFreeSlot("1000", {"7"}, b.table, 0, "2024011", 30, ""), -1);
    // A code the book cannot hold ("2" cut from "2XYZ") is passed over.
    EXPECT_EQ(Find(b.table, "1000", {"2XYZ", "1"}, 0), 1);
    EXPECT_EQ(SlotMinutes(""), 0);
    EXPECT_EQ(SlotMinutes("0930"), 570);
    EXPECT_EQ(SlotMinutes("2360"), -1);
}

namespace {

// The local book, a fresh web database and the context of one exchange run.
struct Exchange {
    Exchange() {
        session.OpenWebConnection();
        log.SetDatabaseFolder(book.dir.Path());
        log.AddListener([this](const std::string& line, bool) { lines.push_back(line); });
        CPatientDB p(book.dir.Path(), 1);
        p.SetAssociatedDB(nullptr);
        p.ClearRecord();
        Set(p.m_rec.key, "0000004711");
        Set(p.m_rec.displayNo, "P-77");
        Set(p.m_rec.name, J("山田ソ太郎"));
        EXPECT_EQ(p.Insert(), 0);
        CCategoryDB c(book.dir.Path(), 1);
        c.SetAssociatedDB(nullptr);
        for (auto [code, name] : {std::pair{"1", "ユニット1"}, std::pair{"2", "表ユニット2"}}) {
            c.ClearRecord();
            Set(c.m_rec.kind, "1");
            Set(c.m_rec.code, code);
            Set(c.m_rec.name, J(name));
            EXPECT_EQ(c.Insert(), 0);
        }
        CDoctorDB doc(book.dir.Path(), 1);
        doc.SetAssociatedDB(nullptr);
        doc.ClearRecord();
        Set(doc.m_rec.code, "D1");
        Set(doc.m_rec.name, J("佐藤医師"));
        EXPECT_EQ(doc.Insert(), 0);
    }
    void Settings(const std::string& type, const std::string& changeOk, const std::string& unit,
                  const std::string& doctor, int unitType) {
        book.settings.Set(settingkeys::kPendingType, type);
        book.settings.Set(settingkeys::kPendingChangeOk, changeOk);
        book.settings.Set(settingkeys::kPendingTypeUnit, unit);
        book.settings.Set(settingkeys::kPendingTypeDoctor, doctor);
        book.settings.Set(settingkeys::kUnitType, unitType);
    }
    // A waiting web request for the reservation key.
    void Request(const std::string& key, const std::string& date, const std::string& start,
                 const std::string& end) {
        web.Exec("INSERT INTO appointments(appo_key,patient_key,appo_date,appo_start_time,"
                 "appo_end_time,unit_id,pic_id,status_flag,updated_at) VALUES('" +
                 key + "','0000004711'," + date + "," + start + "," + end +
                 ",'1','D1',2,'2024-01-04 18:00:00')");
    }
    void Run() {
        LocalTables tables(book.dir.Path());
        SyncContext ctx{.web = session,
                        .log = log,
                        .clock = clock,
                        .settings = book.settings,
                        .state = state,
                        .tables = tables,
                        .databaseFolder = book.dir.Path()};
        ProcessWebChangeRequests(ctx);
    }
    std::string Col(const std::string& sql) { return web.Scalar(sql).value_or("NULL"); }
    bool Logged(const std::string& text) const {
        for (const auto& l : lines)
            if (l.find(text) != std::string::npos)
                return true;
        return false;
    }

    LocalBook book;
    WebDb web;
    WebSession session{WebDbValues(web)};
    FakeClock clock{{2024, 1, 5, 9, 30, 0, 0}};
    OperationLog log{clock, LocalWebLogTables()};
    EngineState state;
    std::vector<std::string> lines;
};

} // namespace

TEST(WebChangeRequests, RefusedRequestEndToEnd) {
    Exchange x;
    x.Settings("01", "1", "1", "", 0);
    x.book.Add({"0000000001", "1", "D1", "20240110", "0900", "0930"});
    x.book.Add({"0000000002", "1", "D1", "20240112", "1000", "1030"});
    x.Request("0000000001", "'2024-01-12'", "'10:15:00'", "'10:45:00'");
    x.web.Exec("INSERT INTO pending_appointments(pending_appo_id,appo_key,confirmed_flag) "
               "VALUES('0000000005','0000000001',1)");

    x.Run();
    x.Run(); // answered rows are not seen again: still one notice

    tagReservation r = x.book.Get("0000000001");
    EXPECT_EQ(r.status, 6);
    EXPECT_STREQ(r.date, "20240110");
    EXPECT_STREQ(r.start, "0900");
    EXPECT_STREQ(r.webUpdateDate, "20240104");
    EXPECT_EQ(r.changeCount, 0);
    EXPECT_EQ(x.Col("SELECT status_flag FROM appointments WHERE appo_key='0000000001'"), "1");
    EXPECT_EQ(x.Col("SELECT COUNT(*) FROM pending_appointments WHERE appo_key IS NULL AND "
                    "confirmed_flag=0 AND pending_appo_id='0000000005'"),
              "1");
    auto notes = x.web.Query("SELECT notification_date,patient_key,title,content,valid_from_date,"
                             "valid_to_date,created_at FROM notifications");
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0][0], "2024-01-05");
    EXPECT_EQ(notes[0][1], "0000004711");
    EXPECT_EQ(notes[0][2], J("予約変更のお願い"));
    EXPECT_EQ(notes[0][3],
              J("リクエスト頂きました、2024.01.12 10:15のご予約ですが、既に別の予約が入ってしまっ"
                "たため確定できませんでした。\n大変申し訳ございませんが、別の日時で再度予約を確定し"
                "ていただくか、医院までご連絡をお願いいたします。"));
    EXPECT_FALSE(notes[0][4].has_value());
    EXPECT_EQ(notes[0][5], "2024-01-15");
    EXPECT_EQ(notes[0][6], "2024-01-05 09:30:00");
    EXPECT_TRUE(x.Logged(J("[予約確定] 希望日時 2024.01.12 10:15 [P-77 , 山田ソ太郎]")));
    EXPECT_TRUE(x.Logged(J("[エラー] 2024.01.12 10:15 空き枠が無いため予約が確定できません。")));
}

TEST(WebChangeRequests, MovedToSecondUnitWithFullHistory) {
    Exchange x;
    x.Settings("09,01", "1", ",1_2", "", 0);
    x.book.Add({"0000000002", "1", "D2", "20240112", "1000", "1030"});
    x.book.Add({"0000000001", "1", "D1", "20240110", "0900", "0930"});
    tagReservation r = x.book.Get("0000000001");
    const char* old[5][2] = {{"20231201", "0900"},
                             {"20231202", "0910"},
                             {"20231203", "0920"},
                             {"20231204", "0930"},
                             {"20231205", "0940"}};
    for (int i = 0; i < 5; ++i) {
        Set(r.history[i].date, old[i][0]);
        Set(r.history[i].start, old[i][1]);
    }
    r.changeCount = 5;
    r.status = 6; // refused once before: asked again, it is handled like a booked one
    x.book.table.m_rec = r;
    ASSERT_EQ(x.book.table.Update(0), 0);
    x.Request("0000000001", "'2024-01-12'", "'10:15:00'", "'10:45:00'");

    x.Run();

    r = x.book.Get("0000000001");
    EXPECT_EQ(r.status, 0);
    EXPECT_STREQ(r.unit, "2");
    EXPECT_STREQ(r.doctor, "D1");
    EXPECT_STREQ(r.date, "20240112");
    EXPECT_STREQ(r.start, "1015");
    EXPECT_STREQ(r.end, "1045");
    EXPECT_STREQ(r.lastChangeDate, "20240105");
    EXPECT_EQ(r.changeCount, 6);
    for (int i = 0; i < 4; ++i) {
        EXPECT_STREQ(r.history[i].date, old[i + 1][0]);
        EXPECT_STREQ(r.history[i].start, old[i + 1][1]);
    }
    EXPECT_STREQ(r.history[4].date, "20240110");
    EXPECT_STREQ(r.history[4].start, "0900");
    auto row = x.web.Query("SELECT unit_id,unit_name,pic_id,pic_name,status_flag,appo_date,"
                           "appo_start_time FROM appointments WHERE appo_key='0000000001'");
    ASSERT_EQ(row.size(), 1u);
    EXPECT_EQ(row[0][0], "2");
    EXPECT_EQ(row[0][1], J("表ユニット2"));
    EXPECT_EQ(row[0][2], "D1");
    EXPECT_EQ(row[0][3], J("佐藤医師"));
    EXPECT_EQ(row[0][4], "4");
    EXPECT_EQ(row[0][5], "2024-01-12");
    EXPECT_EQ(x.Col("SELECT COUNT(*) FROM notifications"), "0");

    // The same request again (its web answer lost): same outcome, no second history entry.
    x.web.Exec("UPDATE appointments SET status_flag=2");
    x.Run();
    r = x.book.Get("0000000001");
    EXPECT_EQ(r.changeCount, 6);
    EXPECT_STREQ(r.history[4].date, "20240110");
    EXPECT_STREQ(r.unit, "2");
}

TEST(WebChangeRequests, GatedTypesAndDoctorLists) {
    Exchange x;
    // Type 01 may not move (CHANGE_OK "0"); 03 is not listed; 02 has an empty doctor entry.
    x.Settings("01,02", "0", "", "D1,", 1);
    x.book.Add({"0000000001", "1", "D1", "20240110", "0900", "0930"});
    Res other{"0000000003", "1", "D1", "20240110", "1100", "1130"};
    other.type = "03";
    x.book.Add(other);
    Res second{"0000000002", "1", "D1", "20240110", "1000", "1030"};
    second.type = "02";
    x.book.Add(second);
    x.Request("0000000001", "'2024-01-12'", "'10:15:00'", "'10:45:00'");
    x.Request("0000000003", "'2024-01-12'", "'11:15:00'", "'11:45:00'");
    x.Request("0000000002", "'2024-01-12'", "'12:15:00'", "'12:45:00'");

    x.Run();

    // Gated rows: untouched on both sides, nothing logged for them.
    EXPECT_EQ(x.Col("SELECT COUNT(*) FROM appointments WHERE status_flag=2"), "2");
    EXPECT_EQ(x.book.Get("0000000001").status, 0);
    EXPECT_STREQ(x.book.Get("0000000001").date, "20240110");
    EXPECT_EQ(x.book.Get("0000000003").status, 0);
    EXPECT_FALSE(x.Logged("11:15"));
    EXPECT_FALSE(x.Logged(" 10:15"));
    // The empty doctor entry gives no candidate: refused although every slot is free.
    EXPECT_EQ(x.book.Get("0000000002").status, 6);
    EXPECT_EQ(x.Col("SELECT status_flag FROM appointments WHERE appo_key='0000000002'"), "1");

    // With no TYPEDOCTOR entries at all the reservation's own doctor is the candidate.
    x.Settings("02", "1", "", "", 1);
    x.web.Exec("UPDATE appointments SET status_flag=2 WHERE appo_key='0000000002'");
    x.Run();
    EXPECT_EQ(x.book.Get("0000000002").status, 0);
    EXPECT_STREQ(x.book.Get("0000000002").start, "1215");
    EXPECT_EQ(x.Col("SELECT pic_name FROM appointments WHERE appo_key='0000000002'"),
              J("佐藤医師"));
}

TEST(WebChangeRequests, RowsBroughtInLineWithTheBook) {
    Exchange x;
    x.Settings("01", "1", "", "", 0);
    x.book.Add({"0000000001", "2", "D1", "20240110", "0900", "0930", 1}); // arrived
    x.book.Add({"0000000002", "1", "D1", "20240110", "1000", "1030", 2}); // cancelled
    x.book.Add({"0000000003", "1", "D1", "20240110", "1100", "1130"});
    x.book.Add({"0000000004", "1", "D1", "20240110", "1200", "1230"});
    x.Request("0000000001", "'2024-01-12'", "'10:15:00'", "'10:45:00'");
    x.Request("0000000002", "'2024-01-12'", "'10:15:00'", "'10:45:00'");
    x.Request("0000000003", "'2024-01-12'", "NULL", "'10:45:00'");       // no start
    x.Request("0000000004", "'2024-01-12'", "'10:45:00'", "'10:45:00'"); // no length
    x.Request("0000000098", "'2024-01-12'", "'10:15:00'", "'10:45:00'"); // not in the book
    x.Request("0000000099", "'2024-01-12'", "'10:15:00'", "'10:45:00'"); // not in the book
    x.Request("", "'2024-01-12'", "'10:15:00'", "'10:45:00'");           // no key
    x.web.Exec("INSERT INTO pending_appointments(pending_appo_id,appo_key) VALUES"
               "('1','0000000098'),('2','0000000099'),('3','0000000002')");
    CReservationStandbyDB standby(x.book.dir.Path(), 1);
    standby.SetAssociatedDB(nullptr);
    standby.ClearRecord();
    Set(standby.m_rec.key, "0000000001");
    Set(standby.m_rec.reservationKey, "0000000098");
    ASSERT_EQ(standby.Insert(), 0) << standby.GetLastDBErr();

    x.Run();

    // Arrived: the row shows the book again.
    auto row = x.web.Query("SELECT appo_date,appo_start_time,appo_end_time,unit_id,unit_name,"
                           "status_flag FROM appointments WHERE appo_key='0000000001'");
    ASSERT_EQ(row.size(), 1u);
    EXPECT_EQ(row[0][0], "2024-01-10");
    EXPECT_EQ(row[0][1], "09:00:00");
    EXPECT_EQ(row[0][2], "09:30:00");
    EXPECT_EQ(row[0][3], "2");
    EXPECT_EQ(row[0][4], J("表ユニット2"));
    EXPECT_EQ(row[0][5], "4");
    // Cancelled or gone: the row goes; a standby row goes only when no local entry refers to it.
    EXPECT_EQ(x.Col("SELECT GROUP_CONCAT(appo_key ORDER BY appo_key) FROM appointments"),
              ",0000000001,0000000003,0000000004");
    EXPECT_EQ(x.Col("SELECT GROUP_CONCAT(pending_appo_id ORDER BY pending_appo_id) FROM "
                    "pending_appointments"),
              "1");
    // A wish without a start or a length is answered with the book's values, not booked.
    for (const char* key : {"0000000003", "0000000004"}) {
        EXPECT_STREQ(x.book.Get(key).date, "20240110");
        EXPECT_EQ(x.book.Get(key).status, 0);
        EXPECT_EQ(x.Col(std::string("SELECT CONCAT(appo_date,' ',appo_start_time,' ',"
                                    "status_flag) FROM appointments WHERE appo_key='") +
                        key + "'"),
                  std::string("2024-01-10 ") + (key[9] == '3' ? "11:00:00" : "12:00:00") + " 4");
    }
    EXPECT_TRUE(x.Logged(J("希望日時が正しくないため予約を変更できません。")));
    // The keyless row cannot be named by any statement: it waits, and says why.
    EXPECT_EQ(x.Col("SELECT status_flag FROM appointments WHERE appo_key=''"), "2");
    EXPECT_TRUE(x.Logged(J("予約キーの無い予約変更依頼は処理できません。")));
    EXPECT_EQ(x.Col("SELECT COUNT(*) FROM notifications"), "0");
}
