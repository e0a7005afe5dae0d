// The health model on a fake clock: the limits to the second, the texts people read, the limits
// from the profile file, the entry files as the model counts them, and the status file that
// monitoring reads.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "ClinicZoneGuard.h"
#include "FakeClock.h"
#include "TempDir.h"
#include "TestClinic.h"
#include "agent/sync/health/EntryBacklog.h"
#include "agent/sync/health/HealthMonitor.h"
#include "agent/sync/health/HealthStatusFile.h"
#include "agent/sync/health/SyncHealth.h"
#include "platform/Cp932.h"
#include "platform/FileOps.h"
#include "platform/Profile.h"

namespace {

using std::chrono::minutes;
using std::chrono::seconds;

std::string U(const std::string& cp932) {
    return platform::Cp932ToUtf8(cp932);
}

CycleReport Connected() {
    CycleReport r;
    r.localOpened = r.webOpened = r.completed = true;
    return r;
}

CycleReport Unreachable() {
    CycleReport r;
    r.localOpened = true;
    return r;
}

} // namespace

TEST(SyncHealth, NoConnectedCycleTurnsToErrorAtTheLimitAndBackAfterOne) {
    FakeClock clock;
    SyncHealth health(clock, HealthThresholds::FromMinutes(5, 10));
    // Before any cycle the start stands for the last connected one.
    clock.Advance(minutes(10) - seconds(1));
    EXPECT_EQ(health.Evaluate().state, HealthState::Normal);
    clock.Advance(seconds(1));
    EXPECT_EQ(health.Evaluate().state, HealthState::Error);

    health.Record(Connected());
    const auto good = clock.Now();
    EXPECT_EQ(health.Evaluate().state, HealthState::Normal);
    EXPECT_EQ(health.Evaluate().lastGoodSync, good);

    clock.Advance(minutes(1));
    health.Record(Unreachable());
    HealthSnapshot s = health.Evaluate();
    EXPECT_EQ(s.state, HealthState::Warning);
    EXPECT_EQ(U(s.reason), "前回の同期で失敗した処理があります");
    clock.Advance(minutes(4));
    health.Record(Unreachable()); // still unreachable: counted from the first failed cycle
    clock.Advance(minutes(5) - seconds(1));
    s = health.Evaluate();
    EXPECT_EQ(s.state, HealthState::Warning);
    EXPECT_EQ(s.UnreachableFor(), minutes(9) - seconds(1));
    clock.Advance(seconds(1));
    s = health.Evaluate();
    EXPECT_EQ(s.state, HealthState::Error);
    EXPECT_EQ(U(s.reason), "10分間同期できていません");
    EXPECT_EQ(s.lastGoodSync, good);

    // Reachable again, but a step gave up the cycle: not connected, still an error.
    CycleReport broken = Connected();
    broken.completed = false;
    health.Record(broken);
    s = health.Evaluate();
    EXPECT_EQ(s.state, HealthState::Error);
    EXPECT_EQ(s.UnreachableFor(), seconds(0));

    health.Record(Connected());
    s = health.Evaluate();
    EXPECT_EQ(s.state, HealthState::Normal);
    EXPECT_EQ(s.reason, "");
    EXPECT_EQ(s.cycles, 5);
}

TEST(SyncHealth, StepFailuresWarnAndKeepTheLastErrorUntilAnotherComes) {
    FakeClock clock;
    SyncHealth health(clock, {});
    CycleReport failed = Connected();
    failed.failures = 2;
    failed.lastFailureAt = clock.Now();
    failed.lastFailureText = platform::J("Duplicate entry 'ソ表' for key 'PRIMARY'");
    health.Record(failed);
    HealthSnapshot s = health.Evaluate();
    EXPECT_EQ(s.state, HealthState::Warning);
    EXPECT_EQ(U(s.reason), "前回の同期で失敗した処理があります 最後のエラー: Duplicate entry "
                           "'ソ表' for key 'PRIMARY'");
    // The failing cycle still ran connected.
    EXPECT_EQ(s.lastGoodSync, clock.Now());

    clock.Advance(seconds(3));
    health.Record(Connected());
    s = health.Evaluate();
    EXPECT_EQ(s.state, HealthState::Normal);
    EXPECT_EQ(s.lastErrorAt, failed.lastFailureAt);
    EXPECT_EQ(U(s.lastErrorText), "Duplicate entry 'ソ表' for key 'PRIMARY'");

    // A long driver text is cut for the line, on a character boundary.
    failed.lastFailureText = platform::J(std::string(119, 'x') + "表表");
    health.Record(failed);
    EXPECT_EQ(U(health.Evaluate().reason),
              "前回の同期で失敗した処理があります 最後のエラー: " + std::string(119, 'x'));
}

TEST(SyncHealth, EntryFileAgeWarnsAfterFiveMinutesAndIsAnErrorAfterThirty) {
    FakeClock clock;
    SyncHealth health(clock, HealthThresholds::FromMinutes(5, 10));
    const auto at = [&](std::chrono::system_clock::duration age) {
        CycleReport r = Connected();
        r.backlog.count = 3;
        r.backlog.oldest = clock.Now() - age;
        health.Record(r);
        return health.Evaluate();
    };
    EXPECT_EQ(at(minutes(5)).state, HealthState::Normal);
    HealthSnapshot s = at(minutes(5) + seconds(1));
    EXPECT_EQ(s.state, HealthState::Warning);
    EXPECT_EQ(U(s.reason), "エントリファイルが5分間送信待ちです");
    EXPECT_EQ(at(minutes(30)).state, HealthState::Warning);
    s = at(minutes(30) + seconds(1));
    EXPECT_EQ(s.state, HealthState::Error);
    EXPECT_EQ(U(s.reason), "エントリファイルが30分間送信されていません");
    EXPECT_EQ(s.entriesWaiting, 3);
    // A file dated ahead of the clock is not old.
    EXPECT_EQ(at(-minutes(40)).state, HealthState::Normal);

    // Both error causes, most severe first, the failure left out as the first says it.
    clock.Advance(minutes(10));
    CycleReport down = Unreachable();
    down.backlog.count = 1;
    down.backlog.oldest = clock.Now() - minutes(31);
    health.Record(down);
    EXPECT_EQ(U(health.Evaluate().reason),
              "10分間同期できていません／エントリファイルが31分間送信されていません");
}

TEST(SyncHealth, TheLineNamesTheStateTheLastSyncAndWhatWaits) {
    FakeClock clock({2024, 1, 5, 10, 42, 13, 0});
    SyncHealth health(clock, {});
    EXPECT_EQ(U(health.Evaluate().Line()), "正常 最終同期 なし 未送信 0件");
    health.Record(Connected());
    EXPECT_EQ(U(health.Evaluate().Line()), "正常 最終同期 10:42:13 未送信 0件");
    EXPECT_EQ(U(health.Evaluate().Text()), "正常 最終同期 10:42:13 未送信 0件");

    // Change requests: shown when some wait; a cycle that did not read them keeps the count.
    CycleReport r = Connected();
    r.backlog.count = 2;
    r.changeRequestsWaiting = 4;
    health.Record(r);
    EXPECT_EQ(U(health.Evaluate().Line()), "正常 最終同期 10:42:13 未送信 2件 変更依頼 4件");
    clock.Advance(minutes(1));
    health.Record(Unreachable());
    const HealthSnapshot s = health.Evaluate();
    EXPECT_EQ(s.changeRequestsWaiting, 4);
    EXPECT_EQ(U(s.Text()), "注意 最終同期 10:42:13 未送信 0件 変更依頼 4件\n"
                           "前回の同期で失敗した処理があります");

    // The next day the date is shown as well.
    clock.Set({2024, 1, 6, 8, 0, 0, 0});
    EXPECT_EQ(U(health.Evaluate().Line()), "異常 最終同期 01/05 10:42:13 未送信 0件 変更依頼 4件");
}

TEST(HealthThresholds, ComeFromTheProfileWithDefaultsForMissingOrBadValues) {
    HealthThresholds t = HealthThresholds::FromMinutes(0, -3);
    EXPECT_EQ(t.warnEntryAge, minutes(5));
    EXPECT_EQ(t.errorUnsynced, minutes(10));
    EXPECT_EQ(t.errorEntryAge, minutes(30));
    t = HealthThresholds::FromMinutes(1, 1000000);
    EXPECT_EQ(t.warnEntryAge, minutes(1));
    EXPECT_EQ(t.errorUnsynced, minutes(HealthThresholds::kMaxMinutes));

    TestClinic clinic;
    t = HealthThresholds::Read(clinic.Settings());
    EXPECT_EQ(t.WarnMinutes(), 5);
    EXPECT_EQ(t.ErrorMinutes(), 10);
    const std::string ini = clinic.DatabaseFolder() + "Apposync.ini";
    platform::WriteProfileString(ini, "HEALTH", "WARN_MINUTES", "2");
    platform::WriteProfileString(ini, "HEALTH", "ERROR_MINUTES", "4");
    t = HealthThresholds::Read(clinic.Settings());
    EXPECT_EQ(t.warnEntryAge, minutes(2));
    EXPECT_EQ(t.errorUnsynced, minutes(4));
    EXPECT_EQ(t.errorEntryAge, minutes(12));
}

TEST(EntryBacklog, CountsEveryEntryKindAndDatesTheOldest) {
    TempDir dir;
    const std::string folder = dir.Path();
    EXPECT_EQ(EntryBacklog::Of(folder).count, 0);
    EXPECT_FALSE(EntryBacklog::Of(folder).oldest);
    EXPECT_EQ(EntryBacklog::Of(folder + "missing/").count, 0);
    EXPECT_EQ(EntryBacklog::Of("").count, 0);

    const auto base = std::chrono::system_clock::now() - minutes(20);
    int i = 0;
    for (const char* name : {"a.txt", "b.sale", "c.memo", "d.notice", "e.pat", "f.csv", "g.tmp"}) {
        ASSERT_TRUE(platform::WriteFileAtomic(folder + name, "x"));
        TestClinic::SetModified(folder + name, base + minutes(i++));
    }
    TestClinic::SetModified(folder + "c.memo", base - minutes(3));
    const EntryBacklog b = EntryBacklog::Of(folder);
    EXPECT_EQ(b.count, 5);
    ASSERT_TRUE(b.oldest);
    EXPECT_EQ(std::chrono::duration_cast<seconds>(*b.oldest - base), -minutes(3));
}

TEST(HealthStatusFile, RoundTripsTheStateAndTurnsStaleAfterAMinute) {
    ClinicZoneGuard zone("Asia/Tokyo");
    TempDir dir;
    const std::string path = HealthStatusFile::PathIn(dir.Path());
    EXPECT_EQ(path, dir.Path() + "ApposyncStatus.json");
    EXPECT_EQ(HealthStatusFile::PathIn(""), "");

    FakeClock clock({2024, 1, 5, 10, 42, 13, 0});
    SyncHealth health(clock, {});
    CycleReport r = Connected();
    r.backlog.count = 2;
    r.backlog.oldest = clock.Now() - minutes(6);
    r.failures = 1;
    r.lastFailureAt = clock.Now();
    r.lastFailureText = platform::J("接続エラー\r\n2行目");
    health.Record(r);
    ASSERT_TRUE(HealthStatusFile::Write(path, health.Evaluate(), health.Thresholds(), 4242));

    std::string bytes;
    ASSERT_TRUE(platform::ReadFile(path, bytes));
    const auto j = nlohmann::json::parse(bytes);
    EXPECT_EQ(j["state"], "warning");
    EXPECT_EQ(j["label"], "注意");
    EXPECT_EQ(j["pid"], 4242);
    EXPECT_EQ(j["written_at"], "2024-01-05T10:42:13+09:00");
    EXPECT_EQ(j["last_good_sync"], "2024-01-05T10:42:13+09:00");
    EXPECT_EQ(j["last_error"]["text"], "接続エラー\r\n2行目");
    EXPECT_EQ(j["entries_waiting"], 2);
    EXPECT_EQ(j["oldest_entry_age_seconds"], 360);
    EXPECT_TRUE(j["web_unreachable_since"].is_null());
    EXPECT_TRUE(j["change_requests_waiting"].is_null());
    EXPECT_EQ(j["error_minutes"], 10);

    // One line, no line break from the error text, the limits as performance data.
    HealthStatusFile::Verdict v = HealthStatusFile::Check(path, clock.Now() + seconds(60));
    EXPECT_EQ(v.exitCode, 1);
    EXPECT_EQ(v.line, "APPOSYNC WARNING - 注意 最終同期 10:42:13 未送信 2件 "
                      "前回の同期で失敗した処理があります／エントリファイルが6分間送信待ちです "
                      "最後のエラー: 接続エラー  2行目 | entries=2 oldest_entry_age=360s;300;1800 "
                      "since_sync=60s;;600");
    v = HealthStatusFile::Check(path, clock.Now() + seconds(61));
    EXPECT_EQ(v.exitCode, HealthStatusFile::kUnknown);
    EXPECT_EQ(v.line.rfind("APPOSYNC UNKNOWN - 状態が1分以上書かれていません（最終 10:42:13、pid "
                           "4242）",
                           0),
              0u)
        << v.line;
    // A file from the future (the clock was set back) is no proof of a running agent either.
    EXPECT_EQ(HealthStatusFile::Check(path, clock.Now() - seconds(61)).exitCode, 3);
    EXPECT_EQ(HealthStatusFile::Check(path, clock.Now() - seconds(60)).exitCode, 1);

    clock.Advance(minutes(30));
    health.Record(Connected());
    ASSERT_TRUE(HealthStatusFile::Write(path, health.Evaluate(), health.Thresholds(), 1));
    v = HealthStatusFile::Check(path, clock.Now());
    EXPECT_EQ(v.exitCode, 0);
    EXPECT_EQ(v.line, "APPOSYNC OK - 正常 最終同期 11:12:13 未送信 0件 | entries=0 "
                      "oldest_entry_age=0s;300;1800 since_sync=0s;;600");
    clock.Advance(minutes(10));
    health.Record(Unreachable());
    ASSERT_TRUE(HealthStatusFile::Write(path, health.Evaluate(), health.Thresholds(), 1));
    EXPECT_EQ(HealthStatusFile::Check(path, clock.Now()).exitCode, 2);
    // Replaced in one step: no temporary file is left beside it.
    EXPECT_EQ(platform::FindFiles(dir.Path(), "*").size(), 1u);
}

TEST(HealthStatusFile, AnythingButAStatusIsUnknown) {
    TempDir dir;
    const auto now = std::chrono::system_clock::now();
    const std::string path = dir.Path() + "ApposyncStatus.json";
    EXPECT_EQ(HealthStatusFile::Check(path, now).exitCode, 3);
    EXPECT_NE(HealthStatusFile::Check(path, now).line.find("状態ファイルがありません"),
              std::string::npos);
    const long long epoch = std::chrono::duration_cast<seconds>(now.time_since_epoch()).count();
    for (const std::string& bytes :
         {std::string(), std::string("{\"state\":\"normal\""), std::string("[1,2]"),
          std::string("{\"state\":\"fine\",\"written_at_unix\":") + std::to_string(epoch) + "}",
          std::string("{\"state\":\"normal\",\"written_at_unix\":\"") + std::to_string(epoch) +
              "\"}",
          std::string("{\"state\":\"normal\"}"), std::string(70 * 1024, ' ')}) {
        ASSERT_TRUE(platform::WriteFileAtomic(path, bytes));
        const HealthStatusFile::Verdict v = HealthStatusFile::Check(path, now);
        EXPECT_EQ(v.exitCode, 3) << bytes;
        EXPECT_EQ(v.line.rfind("APPOSYNC UNKNOWN - ", 0), 0u) << v.line;
    }
    // The least a writer must give.
    ASSERT_TRUE(platform::WriteFileAtomic(
        path, "{\"state\":\"error\",\"written_at_unix\":" + std::to_string(epoch) + "}"));
    EXPECT_EQ(HealthStatusFile::Check(path, now).exitCode, 2);
    // A folder in its place.
    platform::RemoveFile(path);
    platform::MakeDirs(path + "/");
    EXPECT_EQ(HealthStatusFile::Check(path, now).exitCode, 3);
    EXPECT_FALSE(HealthStatusFile::Write(path, HealthSnapshot{}, {}, 1));
}

TEST(HealthMonitor, TheNextCycleWritesAStateARecheckFoundBetweenCycles) {
    TempDir dir;
    FakeClock clock;
    OperationLog log(clock, {});
    WebSession web;
    EngineState state;
    HealthMonitor monitor(log, web, state, clock, {}, HealthStatusFile::PathIn(dir.Path()), 1);
    const auto written = [&] {
        std::string bytes;
        EXPECT_TRUE(platform::ReadFile(monitor.StatusFile(), bytes));
        return nlohmann::json::parse(bytes)["state"].get<std::string>();
    };
    const auto cycle = [&](bool webOpened) {
        CycleOutcome outcome;
        outcome.localOpened = true;
        outcome.webOpened = outcome.completed = webOpened;
        monitor.CycleStarting();
        monitor.CycleEnded(outcome);
    };
    cycle(true);
    EXPECT_EQ(written(), "normal");
    clock.Advance(minutes(10) - seconds(1));
    cycle(false);
    EXPECT_EQ(written(), "warning");
    // The window's recheck turns it to 異常 without writing; the next cycle, only seconds after
    // the last write, must not leave the file at 注意.
    clock.Advance(seconds(1));
    monitor.Reevaluate();
    EXPECT_EQ(monitor.Current().state, HealthState::Error);
    EXPECT_EQ(written(), "warning");
    clock.Advance(seconds(3));
    cycle(false);
    EXPECT_EQ(written(), "error");
}
