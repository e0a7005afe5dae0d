#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "ClinicZoneGuard.h"
#include "FakeClock.h"
#include "PelmoSchema.h"
#include "TempDir.h"
#include "WebDb.h"
#include "WebDbValues.h"
#include "agent/core/ClinicSettings.h"
#include "agent/core/WebSchema.h"
#include "agent/core/WebSession.h"
#include "agent/sync/cycle/SyncCycle.h"
#include "agent/sync/exchanges/SettingsPublish.h"
#include "outside/pelmodb/COwnerDB.h"
#include "outside/pelmodb/CPelmoDBSys.h"
#include "outside/pelmodb/CWebLogDB.h"
#include "platform/Cp932.h"
#include "platform/Profile.h"

using platform::J;

namespace {

// A clinic in a temporary folder: product settings file, local database, agent settings file and
// a fresh web database brought up to the current schema.
struct Clinic {
    explicit Clinic(FakeClock::Wall now = {2024, 1, 20, 10, 0, 0, 0}) : clock(now) {
        std::filesystem::create_directories(db);
        platform::WriteProfileString(home.File("PelmoV3.ini"), "GLOBAL", "DATABASE", db);
        std::string err;
        EXPECT_EQ(PelmoSchema::Create(db, err), 0) << err;
        EXPECT_TRUE(session.OpenWebConnection());
        EXPECT_TRUE(UpgradeWebSchema(session.Database(), settings.ProfileFile()));
        tables = std::make_unique<LocalTables>(db);
        NewLog();
    }

    // The log hides a text it showed recently, so each phase of a test looks at a log of its own.
    void NewLog() {
        log = std::make_unique<OperationLog>(clock, LocalWebLogTables());
        log->SetDatabaseFolder(db);
        ctx = std::make_unique<SyncContext>(SyncContext{.web = session,
                                                        .log = *log,
                                                        .clock = clock,
                                                        .settings = settings,
                                                        .state = state,
                                                        .tables = *tables,
                                                        .databaseFolder = db,
                                                        .entryFolder = db + "EntryToWeb/",
                                                        .clinicCode = "C0001",
                                                        .entries = {},
                                                        .hidePaymant = 0,
                                                        .firstCycleFlag = false});
    }

    std::string Ini() const { return db + "Apposync.ini"; }
    std::string Shared() const { return db + "GLOBALSETTING.ini"; }
    void Set(const char* section, const std::string& key, const std::string& value) {
        platform::WriteProfileString(Ini(), section, key, value);
    }
    // File times are whole seconds; tests move them instead of waiting.
    static void SetTime(const std::string& path, int secondsFromNow) {
        std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() +
                                                   std::chrono::seconds(secondsFromNow));
    }

    void RunAll() {
        PublishHospitalInfo(*ctx);
        PublishClosedDays(*ctx);
        PublishAppoTimes(*ctx);
        PublishFirstAppoTimes(*ctx);
        PublishStaffsAndAppoTypes(*ctx);
    }

    void AddUser(int id, const char* code, const std::string& name, const char* password) {
        COwnerDB t(db, 1);
        t.SetAssociatedDB(nullptr);
        t.m_rec = {};
        t.m_rec.id = id;
        std::strncpy(t.m_rec.staffCode, code, sizeof t.m_rec.staffCode - 1);
        std::strncpy(t.m_rec.name, name.c_str(), sizeof t.m_rec.name - 1);
        std::strncpy(t.m_rec.password, password, sizeof t.m_rec.password - 1);
        EXPECT_EQ(t.Insert(), 0) << t.GetLastDBErr();
    }
    void SetPassword(const char* code, const char* password) {
        COwnerDB t(db, 1);
        t.SetAssociatedDB(nullptr);
        t.SetKey(0);
        t.SetKeyBuffer(code, static_cast<int>(std::strlen(code)));
        ASSERT_EQ(t.GetGREQ(), 0);
        std::memset(t.m_rec.password, 0, sizeof t.m_rec.password);
        std::strncpy(t.m_rec.password, password, sizeof t.m_rec.password - 1);
        ASSERT_EQ(t.Update(), 0) << t.GetLastDBErr();
    }
    void AddCategory(const char* kind, const char* code, const std::string& name) {
        CCategoryDB t(db, 1);
        t.SetAssociatedDB(nullptr);
        t.m_rec = {};
        std::strncpy(t.m_rec.kind, kind, sizeof t.m_rec.kind - 1);
        std::strncpy(t.m_rec.code, code, sizeof t.m_rec.code - 1);
        std::strncpy(t.m_rec.name, name.c_str(), sizeof t.m_rec.name - 1);
        EXPECT_EQ(t.Insert(), 0) << t.GetLastDBErr();
    }

    // Every line of the current log, oldest first, and the stored web-log messages.
    std::string AllLines() const {
        std::string all;
        for (auto it = log->Lines().rbegin(); it != log->Lines().rend(); ++it)
            all += *it + "\n";
        return all;
    }
    bool Logged(const std::string& text) const {
        for (const std::string& line : log->Lines()) {
            if (line.find(text) != std::string::npos)
                return true;
        }
        return false;
    }
    std::string StoredMessages() const {
        std::string all;
        CWebLogDB t(db, 0);
        t.SetAssociatedDB(nullptr);
        t.SetKey(0);
        for (int rc = t.GetFIRST(); rc == 0; rc = t.GetNEXT())
            all += std::string(t.m_rec.message) + "\n";
        return all;
    }
    std::optional<std::string> Scalar(const std::string& sql) const { return web.Scalar(sql); }
    std::string Text(const std::string& sql) const { return Scalar(sql).value_or("<NULL>"); }

    TempDir home;
    ClinicSettings settings{home.File("PelmoV3.ini")};
    std::string db = home.Path() + "db/";
    WebDb web;
    WebSession session{WebDbValues(web)};
    FakeClock clock;
    std::unique_ptr<OperationLog> log;
    EngineState state;
    std::unique_ptr<LocalTables> tables;
    std::unique_ptr<SyncContext> ctx;
};

std::string Times(const Clinic& c, const char* day, int flag) {
    auto rows =
        c.web.Query(std::string("SELECT am_start_time, am_end_time, pm_start_time, "
                                "pm_end_time, time_list FROM appo_times WHERE working_day='") +
                    day + "' AND first_appo_flag=" + std::to_string(flag));
    if (rows.size() != 1)
        return "<" + std::to_string(rows.size()) + " rows>";
    std::string out;
    for (const auto& v : rows[0])
        out += (out.empty() ? "" : " ") + v.value_or("-");
    return out;
}

} // namespace

TEST(SettingsPublish, FirstCyclePublishesAllFiveThenOnlyWhatChanged) {
    Clinic c;
    c.Set("HOSPITAL_INFO", "NAME", J("さくら歯科"));
    c.Set("COMMON", "LINK_URL", "https://example.invalid/clinic");
    c.Set("COMMON", "HIDE_ENDTIME", "1");
    platform::WriteProfileString(c.Shared(), "GLOBAL", "ClinicTel", "03-0000-0000");
    platform::WriteProfileString(c.Shared(), "GLOBAL", "TimeSpan", "10");
    platform::WriteProfileString(c.Shared(), "MENTE", "WtPmTo2", "1930");
    c.home.Write("db/2024.off", "#2024.05.03\r\n");
    c.AddUser(1, "S01", J("山田"), "test-only-1");
    c.AddCategory("0", "1", J("定期検診"));

    c.RunAll();
    for (const char* line :
         {"施設情報セット", "2024.04.30までの予約表を開放済み", "休診日セット(2024年)",
          "診療時間セット", "初診相談時間セット", "ログインユーザー情報セット",
          "認証ユーザー 追加 [S01 山田]", "予約種類セット"})
        EXPECT_TRUE(c.Logged(J(line))) << line << "\n" << c.AllLines();

    auto row = c.web.Query("SELECT code, name, phone, patient_id_title, appo_method, "
                           "booking_limit_date, booking_limit_time, hidden_treatment_detail, "
                           "time_unit, url, hidden_appotype, hidden_endtime FROM hospital_infos");
    ASSERT_EQ(row.size(), 1u);
    const std::vector<std::optional<std::string>> expected = {"C0001",
                                                              J("さくら歯科"),
                                                              "03-0000-0000",
                                                              J("診察券番号"),
                                                              "unit",
                                                              "2024-04-30 00:00:00",
                                                              "06:00:00",
                                                              "1",
                                                              "10",
                                                              "https://example.invalid/clinic",
                                                              "0",
                                                              "1"};
    EXPECT_EQ(row[0], expected);
    EXPECT_EQ(c.Text("SELECT GROUP_CONCAT(closed_date, ':', closed_type) FROM closed_days"),
              "2024-05-03:0");
    EXPECT_EQ(Times(c, "SUN", 0), "00:00:00 00:00:00 00:00:00 00:00:00 -");
    EXPECT_EQ(Times(c, "MON", 0), "09:00:00 12:00:00 13:00:00 19:30:00 -");
    EXPECT_EQ(c.Text("SELECT COUNT(*) FROM appo_times WHERE first_appo_flag=0"), "7");
    EXPECT_EQ(Times(c, "SAT", 1), "09:00:00 12:00:00 13:00:00 18:00:00 -");
    EXPECT_EQ(c.Text("SELECT COUNT(*) FROM appo_times WHERE first_appo_flag=1"), "7");
    EXPECT_EQ(c.Text("SELECT password FROM staffs WHERE id=1"), "test-only-1");
    EXPECT_EQ(c.Text("SELECT COUNT(*) FROM appo_types"), "2"); // type 1 and first-visit page 1

    // Nothing changed: nothing runs.
    c.NewLog();
    c.RunAll();
    EXPECT_TRUE(c.log->Lines().empty()) << c.AllLines();

    // A settings edit reaches the clinic information and the first-visit hours; the time limit
    // is clamped.
    c.NewLog();
    c.Set("COMMON", "LIMIT_TIME_H", "30");
    c.Set("COMMON", "LIMIT_TIME_M", "45");
    Clinic::SetTime(c.Ini(), 10);
    c.RunAll();
    EXPECT_TRUE(c.Logged(J("施設情報セット")));
    EXPECT_TRUE(c.Logged(J("初診相談時間セット")));
    EXPECT_FALSE(c.Logged(J("予約種類セット")));
    EXPECT_FALSE(c.Logged(J("診療時間セット")));
    EXPECT_EQ(c.Text("SELECT booking_limit_time FROM hospital_infos"), "24:00:00");
}

TEST(SettingsPublish, BookingWindowAcrossTheYearEndWithClosedDaysOfBothYears) {
    Clinic c({2023, 11, 2, 9, 0, 0, 0});
    c.home.Write("db/2023.off", "#2023.11.23\r\n#2023.12.29*\r\n#2023.12.30 " + J("年末休診") +
                                    "\r\n   #2023.12.31   \r\n#2024.01.05\r\n");
    c.home.Write("db/2024.off", "#2024.01.01\r\n#2024.02.12\r\n");
    c.web.Exec("INSERT INTO closed_days(closed_date, closed_type) VALUES('2023-12-29',0),"
               "('2023-11-23',2),('2024-03-20',0),('2025-01-01',0)");

    c.RunAll();
    EXPECT_EQ(c.Text("SELECT booking_limit_date FROM hospital_infos"), "2024-02-29 00:00:00");
    EXPECT_TRUE(c.Logged(J("2024.02.29までの予約表を開放済み")));
    EXPECT_TRUE(c.Logged(J("休診日セット(2023年)")));
    EXPECT_TRUE(c.Logged(J("休診日セット(2024年)")));
    EXPECT_TRUE(c.Logged(J("休診日 削除 [20231229]")));
    EXPECT_TRUE(c.Logged(J("休診日 削除 [20240320]")));
    // The asterisk line and the row of another year's file are not published; 2025 is outside
    // the window and left alone.
    EXPECT_EQ(c.Text("SELECT GROUP_CONCAT(closed_date, ':', closed_type ORDER BY closed_date) "
                     "FROM closed_days"),
              "2023-11-23:0,2023-12-30:0,2023-12-31:0,2024-01-01:0,2024-02-12:0,2025-01-01:0");

    // Only the year whose file changed runs again.
    c.NewLog();
    c.home.Write("db/2024.off", "#2024.01.01\r\n#2024.02.12\r\n#2024.02.13\r\n");
    Clinic::SetTime(c.db + "2024.off", 20);
    c.RunAll();
    EXPECT_FALSE(c.Logged(J("休診日セット(2023年)")));
    EXPECT_TRUE(c.Logged(J("休診日セット(2024年)")));
    EXPECT_EQ(c.Text("SELECT COUNT(*) FROM closed_days WHERE closed_date='2024-02-13'"), "1");

    // Something unreadable in place of a year file empties nothing, and is read again next cycle.
    c.NewLog();
    const std::string year2024 = "SELECT GROUP_CONCAT(closed_date ORDER BY closed_date) FROM "
                                 "closed_days WHERE closed_date BETWEEN '2024-01-01' AND "
                                 "'2024-12-31'";
    std::filesystem::remove(c.db + "2024.off");
    std::filesystem::create_directory(c.db + "2024.off");
    Clinic::SetTime(c.db + "2024.off", 30);
    c.RunAll();
    EXPECT_TRUE(c.Logged(J("休診日ファイルを読めません"))) << c.AllLines();
    EXPECT_EQ(c.Text(year2024), "2024-01-01,2024-02-12,2024-02-13");
    std::filesystem::remove(c.db + "2024.off");
    c.home.Write("db/2024.off", "#2024.01.01\r\n");
    Clinic::SetTime(c.db + "2024.off", 25);
    c.RunAll();
    EXPECT_EQ(c.Text(year2024), "2024-01-01");

    // A new last year runs every year of the window; a year without a file has no closed days.
    c.NewLog();
    c.clock.Set({2024, 1, 10, 9, 0, 0, 0});
    c.Set("COMMON", "LIMIT_AUTO", "12");
    c.RunAll();
    EXPECT_TRUE(c.Logged(J("休診日セット(2024年)")));
    EXPECT_TRUE(c.Logged(J("休診日セット(2025年)")));
    EXPECT_FALSE(c.Logged(J("休診日セット(2023年)")));
    EXPECT_EQ(c.Text("SELECT booking_limit_date FROM hospital_infos"), "2025-01-31 00:00:00");
    EXPECT_EQ(c.Text("SELECT COUNT(*) FROM closed_days WHERE closed_date='2025-01-01'"), "0");
}

TEST(SettingsPublish, JanuaryWindowManualWindowAndRetriedLookup) {
    Clinic c({2024, 1, 31, 9, 0, 0, 0});
    PublishHospitalInfo(*c.ctx);
    EXPECT_EQ(c.Text("SELECT booking_limit_date FROM hospital_infos"), "2024-04-30 00:00:00");

    // A manual window that has passed is reported for the staff to check (and stored).
    c.Set("COMMON", "LIMIT_TYPE", "1");
    c.Set("COMMON", "LIMIT_MANUAL_Y", "2023");
    c.Set("COMMON", "LIMIT_MANUAL_M", "12");
    c.Set("COMMON", "LIMIT_TODAY", "0");
    c.Set("COMMON", "UNIT_TYPE", "1");
    PublishHospitalInfo(*c.ctx);
    EXPECT_TRUE(
        c.Logged("[" + J("確認") + "] 2023.12.31" + J("以降の予約表が開放されておりません")))
        << c.AllLines();
    EXPECT_NE(c.StoredMessages().find(J("以降の予約表が開放されておりません")), std::string::npos);
    auto row = c.web.Query("SELECT booking_limit_date, booking_limit_time, appo_method "
                           "FROM hospital_infos");
    ASSERT_EQ(row.size(), 1u);
    EXPECT_EQ(row[0][0].value_or("-"), "2023-12-31 00:00:00");
    EXPECT_FALSE(row[0][1].has_value());
    EXPECT_EQ(row[0][2].value_or("-"), "doctor");

    // A manual month that does not exist sends no window end and says so.
    c.Set("COMMON", "LIMIT_MANUAL_M", "0");
    PublishHospitalInfo(*c.ctx);
    EXPECT_FALSE(c.Scalar("SELECT booking_limit_date FROM hospital_infos").has_value());
    EXPECT_TRUE(c.Logged(J("予約表の開放期限の年月が正しくありません") + " [2023.0]"));

    // When the row cannot be looked up the next cycle tries again.
    c.NewLog();
    c.Set("COMMON", "LIMIT_MANUAL_M", "3");
    c.web.Exec("RENAME TABLE hospital_infos TO hospital_infos_away");
    PublishHospitalInfo(*c.ctx);
    EXPECT_TRUE(c.Logged(J("施設情報セット")));
    EXPECT_TRUE(c.Logged("[" + J("SQLエラー") + "]"));
    c.web.Exec("RENAME TABLE hospital_infos_away TO hospital_infos");
    PublishHospitalInfo(*c.ctx);
    EXPECT_EQ(c.Text("SELECT booking_limit_date FROM hospital_infos"), "2023-03-31 00:00:00");
}

// Without a clinic code there is no row to write: one clear line, no statement, and the row is
// published once the installation has its code.
TEST(SettingsPublish, HospitalInformationWaitsForAClinicCode) {
    Clinic c;
    c.ctx->clinicCode.clear();
    for (int i = 0; i < 3; ++i)
        PublishHospitalInfo(*c.ctx);
    EXPECT_EQ(c.Scalar("SELECT COUNT(*) FROM hospital_infos"), "0");
    EXPECT_TRUE(c.Logged("[" + J("エラー") + "] " +
                         J("クリニックコードが設定されていないため、施設情報を送信しません")))
        << c.AllLines();
    EXPECT_EQ(c.AllLines().find(J("施設情報セット")), std::string::npos) << c.AllLines();
    EXPECT_EQ(c.AllLines().find("SQL"), std::string::npos) << c.AllLines();
    EXPECT_EQ(c.log->Lines().size(), 1u);

    c.ctx->clinicCode = "C0007";
    PublishHospitalInfo(*c.ctx);
    EXPECT_EQ(c.Text("SELECT code FROM hospital_infos"), "C0007");
}

TEST(SettingsPublish, ConsultationHoursAndFirstVisitHours) {
    Clinic c;
    c.RunAll();
    c.RunAll();
    // Without "GLOBALSETTING.ini" the clinic's hours are never sent.
    EXPECT_FALSE(c.Logged(J("診療時間セット")));
    EXPECT_EQ(c.Text("SELECT COUNT(*) FROM appo_times WHERE first_appo_flag=0"), "0");
    platform::WriteProfileString(c.Shared(), "MENTE", "WtAmFrm2", "830");
    c.RunAll();
    EXPECT_TRUE(c.Logged(J("診療時間セット")));
    EXPECT_EQ(Times(c, "MON", 0), "08:30:00 12:00:00 13:00:00 18:00:00 -");

    // Range mode: "2400" is the end of the day; a weekday switched off sends zero times.
    c.NewLog();
    c.Set("FRIST_APPOINTMENTS", "PAGE_NUM", "2");
    c.Set("FRIST_APPOINTMENTS", "WtPmTo3", "2400");
    c.Set("FRIST_APPOINTMENTS", "DayOfWeek4", "0");
    c.Set("FRIST_APPOINTMENTS", "WtAmFrm2_1", "1000");
    Clinic::SetTime(c.Ini(), 10);
    c.RunAll();
    EXPECT_TRUE(c.Logged(J("初診相談時間セット")));
    EXPECT_EQ(Times(c, "TUE", 1), "09:00:00 12:00:00 13:00:00 23:59:00 -");
    EXPECT_EQ(Times(c, "WED", 1), "00:00:00 00:00:00 00:00:00 00:00:00 -");
    EXPECT_EQ(Times(c, "MON", 2), "10:00:00 12:00:00 13:00:00 18:00:00 -");

    // List mode: the typed times as the list, first start to last start plus the length.
    c.Set("FRIST_APPOINTMENTS", "USE_RANGE", "0");
    c.Set("FRIST_APPOINTMENTS", "TIME", "30");
    c.Set("FRIST_APPOINTMENTS", "Times2", "15:30 9;00,11:30");
    c.Set("FRIST_APPOINTMENTS", "Times3", "23:40");
    c.Set("FRIST_APPOINTMENTS", "Times4", "10:00");
    Clinic::SetTime(c.Ini(), 20);
    c.RunAll();
    EXPECT_EQ(Times(c, "MON", 1), "09:00:00 16:00:00 00:00:00 00:00:00 15:30 9;00,11:30");
    EXPECT_EQ(Times(c, "TUE", 1), "23:40:00 23:59:00 00:00:00 00:00:00 23:40");
    EXPECT_EQ(Times(c, "WED", 1), "00:00:00 00:00:00 00:00:00 00:00:00 10:00");
    EXPECT_EQ(Times(c, "THU", 1), "00:00:00 00:00:00 00:00:00 00:00:00 -");
    EXPECT_EQ(c.Text("SELECT COUNT(*) FROM appo_times WHERE first_appo_flag=2"), "7");

    // A page count beyond what the settings dialog can store is cut to its nine pages.
    c.Set("FRIST_APPOINTMENTS", "PAGE_NUM", "100000");
    Clinic::SetTime(c.Ini(), 30);
    c.RunAll();
    EXPECT_EQ(c.Text("SELECT MAX(first_appo_flag) FROM appo_times"), "9");
}

TEST(SettingsPublish, StaffRowsFollowTheLocalUsersWithoutShowingPasswords) {
    Clinic c;
    c.AddUser(1, "S01", J("山田"), "test-only-pw1");
    c.AddUser(2, "S02", J("佐藤"), "test-only-pw2");
    c.AddUser(3, "S03", J("鈴木"), "");
    c.web.Exec("INSERT INTO staffs(id, staff_id, username, password) VALUES(3,'S03','x','old'),"
               "(99,'OLD','y','old')");
    c.RunAll();
    EXPECT_EQ(
        c.Text("SELECT GROUP_CONCAT(id, ':', staff_id, ':', password ORDER BY id) FROM staffs"),
        "1:S01:test-only-pw1,2:S02:test-only-pw2");
    EXPECT_TRUE(c.Logged(J("認証ユーザー 追加 [S02 佐藤]")));
    EXPECT_TRUE(c.Logged(J("認証ユーザー 削除 [S03]")));
    EXPECT_TRUE(c.Logged(J("認証ユーザー 削除 [OLD]")));

    // A user whose password was removed loses the login at the next publish; a changed password
    // is sent.
    c.SetPassword("S02", "");
    c.SetPassword("S01", "test-only-pw9");
    c.RunAll();
    EXPECT_EQ(c.Text("SELECT GROUP_CONCAT(id, ':', password) FROM staffs"), "1:test-only-pw9");
    EXPECT_TRUE(c.Logged(J("認証ユーザー 更新 [S01 山田]")));

    // A driver message that quotes the refused value does not carry the password into the log.
    c.web.Exec("UPDATE staffs SET password=NULL");
    c.web.Exec("ALTER TABLE staffs MODIFY password INT NULL");
    c.SetPassword("S01", "test-only-pw7");
    c.RunAll();
    EXPECT_TRUE(c.Logged("[" + J("SQLエラー") + "]")) << c.AllLines();

    const std::string shown = c.AllLines();
    const std::string stored = c.StoredMessages();
    for (const char* pw : {"test-only-pw1", "test-only-pw2", "test-only-pw9", "test-only-pw7"}) {
        EXPECT_EQ(shown.find(pw), std::string::npos) << pw << "\n" << shown;
        EXPECT_EQ(stored.find(pw), std::string::npos) << pw << "\n" << stored;
    }
}

TEST(SettingsPublish, InterruptedStaffWalkDeletesNothing) {
    Clinic c;
    c.AddUser(1, "S01", J("山田"), "test-only-a");
    c.AddUser(2, "S02", J("佐藤"), "test-only-b");
    c.AddUser(3, "S03", J("鈴木"), "test-only-c");
    // staffs becomes a view whose rows fail to read once for id 2 while the agent's session has
    // @armed set: the existence query of the second user cannot be opened.
    c.web.Exec("RENAME TABLE staffs TO staffs_base");
    c.web.Exec("CREATE FUNCTION walk_guard(i BIGINT) RETURNS INT NOT DETERMINISTIC BEGIN "
               "IF i = 2 AND @armed = 1 THEN SET @armed = 0; "
               "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'walk interrupted'; END IF; "
               "RETURN 0; END");
    c.web.Exec("CREATE VIEW staffs AS SELECT * FROM staffs_base WHERE walk_guard(id) = 0");
    c.web.Exec("INSERT INTO staffs_base(id, staff_id, username, password) VALUES"
               "(2,'S02','b','test-only-b'),(3,'S03','c','test-only-c'),(99,'OLD','y','old')");
    c.session.Database().ExecuteSQL("SET @armed = 1");

    c.RunAll();
    EXPECT_TRUE(c.Logged("walk interrupted")) << c.AllLines();
    EXPECT_FALSE(c.Logged(J("認証ユーザー 削除")));
    EXPECT_EQ(c.Text("SELECT GROUP_CONCAT(id ORDER BY id) FROM staffs_base"), "1,2,3,99");

    // The next cycle walks again and, with every user reached, removes the stale row only.
    c.RunAll();
    EXPECT_TRUE(c.Logged(J("認証ユーザー 削除 [OLD]")));
    EXPECT_EQ(c.Text("SELECT GROUP_CONCAT(id ORDER BY id) FROM staffs_base"), "1,2,3");
}

TEST(SettingsPublish, AppointmentTypesAndFirstVisitPages) {
    Clinic c;
    c.AddCategory("0", "1", J("定期検診"));
    c.AddCategory("0", "10", J("クリーニング"));
    c.AddCategory("0", "11", J("矯正"));
    c.AddCategory("0", "2", J("虫歯治療"));
    c.AddCategory("1", "1", "Unit1"); // a unit, not a type
    c.Set("COMMON", "AFTER_DAYS", "2");
    c.Set("COMMON", "HIDDEN_APPOTYPES", "10,11");
    c.Set("PENDING_APPOINTMENTS", "TYPE", "10,2,11");
    c.Set("PENDING_APPOINTMENTS", "CHANGE_OK", "1,0");
    c.Set("PENDING_APPOINTMENTS", "TYPETIME", "30,45,60");
    c.Set("PENDING_APPOINTMENTS", "TYPEUNIT", "01,02,03");
    c.Set("PENDING_APPOINTMENTS", "TYPEDOCTOR", "D1,D2");
    c.Set("PENDING_APPOINTMENTS", "NAME", J("歯のクリーニング") + ",,");
    c.Set("FRIST_APPOINTMENTS", "PAGE_NUM", "2");
    c.Set("FRIST_APPOINTMENTS", "UNIT_ID", "01,02");
    c.Set("FRIST_APPOINTMENTS", "UNIT_DOCTOR_ID", "D1");
    c.Set("FRIST_APPOINTMENTS", "TITLE", J("初診相談"));
    c.Set("FRIST_APPOINTMENTS", "NOTE", "a[$ENTER]b");
    c.Set("FRIST_APPOINTMENTS", "REQUIRED", "NAME,KANA,TEL,");
    c.Set("FRIST_APPOINTMENTS", "TIME", "45");
    c.Set("FRIST_APPOINTMENTS", "AFTER_DAYS", "3");
    c.Set("FRIST_APPOINTMENTS", "TITLE_1", "P2");
    c.Set("FRIST_APPOINTMENTS", "TIME_1", "30");
    c.RunAll();

    const std::string typeCols = "SELECT CONCAT_WS('|', name, IFNULL(treatment_time,'-'), "
                                 "IFNULL(available_unit_id,'-'), IFNULL(available_pic_id,'-'), "
                                 "after_days, IFNULL(hidden,'-'), title) FROM appo_types WHERE ";
    EXPECT_EQ(c.Text(typeCols + "type='1'"), J("定期検診|-|-|-|2|1|定期検診"));
    EXPECT_EQ(c.Text(typeCols + "type='10'"), J("歯のクリーニング|30|01|D1|2|1|歯のクリーニング"));
    EXPECT_EQ(c.Text(typeCols + "type='11'"), J("矯正|60|03|-|2|1|矯正"));
    EXPECT_EQ(c.Text(typeCols + "type='2'"), J("虫歯治療|-|-|-|2|-|虫歯治療"));
    EXPECT_EQ(c.Text("SELECT COUNT(*) FROM appo_types WHERE type IS NOT NULL"), "4");
    const std::string pageCols = "SELECT CONCAT_WS('|', treatment_time, "
                                 "IFNULL(available_unit_id,'-'), IFNULL(available_pic_id,'-'), "
                                 "after_days, IFNULL(title,'-'), IFNULL(note,'-'), "
                                 "IFNULL(required,'-')) FROM appo_types WHERE type IS NULL AND ";
    EXPECT_EQ(c.Text(pageCols + "name IS NULL"), J("45|01,02|D1|3|初診相談|a\r\nb|NAME,KANA,TEL,"));
    EXPECT_EQ(c.Text(pageCols + "name='2'"), "30|-|-|1|P2|-|-");

    // An edit of the settings file alone leaves the types as they were (the first-visit hours
    // follow it).
    c.NewLog();
    c.Set("COMMON", "HIDDEN_APPOTYPES", "");
    c.Set("COMMON", "UNIT_TYPE", "1");
    Clinic::SetTime(c.Ini(), 10);
    c.RunAll();
    EXPECT_TRUE(c.Logged(J("初診相談時間セット")));
    EXPECT_FALSE(c.Logged(J("予約種類セット")));
    EXPECT_EQ(c.Text("SELECT hidden FROM appo_types WHERE type='10'"), "1");

    // The trigger file's reset of the settings time stamp republishes them.
    c.NewLog();
    c.state.typesPublished = EngineState::Never();
    c.RunAll();
    EXPECT_TRUE(c.Logged(J("予約種類セット")));
    EXPECT_EQ(c.Text("SELECT COUNT(*) FROM appo_types WHERE hidden IS NOT NULL"), "0");
    EXPECT_EQ(c.Text(pageCols + "name IS NULL"), J("45|D1|01,02|3|初診相談|a\r\nb|NAME,KANA,TEL,"));

    // So does a change of the category table; web types gone locally stay.
    c.NewLog();
    c.AddCategory("0", "3", J("抜歯"));
    CCategoryDB gone(c.db, 1);
    gone.SetAssociatedDB(nullptr);
    ASSERT_EQ(gone.GetCategoryData("0", "2"), 0);
    ASSERT_EQ(gone.Delete(), 0);
    c.RunAll();
    EXPECT_TRUE(c.Logged(J("予約種類セット")));
    EXPECT_EQ(c.Text("SELECT COUNT(*) FROM appo_types WHERE type IN ('2','3')"), "2");
}

TEST(SettingsPublish, ThroughRealCyclesInTheirOrderAndTheTriggerFile) {
    Clinic c;
    {
        CPelmoDBSys sys(c.db);
        ASSERT_EQ(sys.SetClinicCode("C0042"), 0);
    }
    platform::WriteProfileString(c.Shared(), "MENTE", "WtAmFrm3", "1000");
    c.home.Write("db/2024.off", "#2024.02.11\r\n");
    c.AddUser(7, "S07", J("高橋"), "test-only-7");
    c.AddCategory("0", "1", J("定期検診"));
    c.Set("COMMON", "HIDDEN_APPOTYPES", "10,11");

    c.session.Close();
    SyncCycle cycle(c.settings, c.session, *c.log, c.clock, c.state);
    std::vector<std::string> steps;
    cycle.SetStepObserver([&steps](const std::string& name) {
        if (name.rfind("Publish", 0) == 0)
            steps.push_back(name);
    });
    EXPECT_TRUE(cycle.Run().completed) << c.AllLines();
    EXPECT_EQ(steps, (std::vector<std::string>{"PublishHospitalInfo", "PublishClosedDays",
                                               "PublishAppoTimes", "PublishFirstAppoTimes",
                                               "PublishStaffsAndAppoTypes"}));
    EXPECT_EQ(c.Text("SELECT code FROM hospital_infos"), "C0042");
    EXPECT_EQ(c.Text("SELECT closed_date FROM closed_days"), "2024-02-11");
    EXPECT_EQ(Times(c, "TUE", 0), "10:00:00 12:00:00 13:00:00 18:00:00 -");
    EXPECT_EQ(c.Text("SELECT COUNT(*) FROM appo_times WHERE first_appo_flag=1"), "7");
    EXPECT_EQ(c.Text("SELECT staff_id FROM staffs WHERE id=7"), "S07");
    EXPECT_EQ(c.Text("SELECT hidden FROM appo_types WHERE type='1'"), "1");

    // An edit of the settings file alone: the types stay; the trigger file then republishes them
    // and is consumed.
    c.Set("COMMON", "HIDDEN_APPOTYPES", "");
    Clinic::SetTime(c.Ini(), 10);
    EXPECT_TRUE(cycle.Run().completed);
    EXPECT_EQ(c.Text("SELECT hidden FROM appo_types WHERE type='1'"), "1");
    c.home.Write("db/EntryToWeb/Setting", "");
    EXPECT_TRUE(cycle.Run().completed);
    EXPECT_FALSE(c.Scalar("SELECT hidden FROM appo_types WHERE type='1'").has_value());
    EXPECT_FALSE(std::filesystem::exists(c.db + "EntryToWeb/Setting"));
}

// At 08:30 on 1 February in Japan a machine on UTC still has January: the window counts from
// the clinic's month.
TEST(SettingsPublish, BookingWindowCountsFromTheClinicsToday) {
    ClinicZoneGuard zone("Asia/Tokyo");
    Clinic c;
    c.clock.SetInstant(std::chrono::system_clock::from_time_t(1706743800)); // 01-31 23:30 UTC
    PublishHospitalInfo(*c.ctx);
    EXPECT_EQ(c.Text("SELECT booking_limit_date FROM hospital_infos"), "2024-05-31 00:00:00");

    ClinicZoneGuard london("Europe/London");
    c.NewLog();
    PublishHospitalInfo(*c.ctx);
    EXPECT_EQ(c.Text("SELECT booking_limit_date FROM hospital_infos"), "2024-04-30 00:00:00");
}
