// The real agent, headless, under machine zones other than the clinic's.
#include "ClinicZoneGuard.h"
#include "TempDir.h"
#include "platform/ClinicZone.h"

#include <QApplication>
#include <QProcess>
#include <QStringList>
#include <ctime>
#include <gtest/gtest.h>

QApplication& TestApp();
QString BinFolder();

namespace {

std::string Minute(const std::tm& t) {
    char buf[80];
    std::snprintf(buf, sizeof buf, "%04d.%02d.%02d %02d:%02d", t.tm_year + 1900, t.tm_mon + 1,
                  t.tm_mday, t.tm_hour, t.tm_min);
    return buf;
}

// Japan's wall clock to the minute, worked out here without the zone code under test: Japan
// keeps UTC+9 all year.
std::string JapanMinute(std::time_t t) {
    t += 9 * 3600;
    std::tm u{};
    gmtime_r(&t, &u);
    return Minute(u);
}

struct AgentRun {
    QStringList lines; // standard output, one log line each
    QString err;
    std::string before; // the expected minute when the run started ...
    std::string after;  // ... and when it ended
};

// Settings files the agent accepts, for a clinic whose database folder holds no database.
// zoneLine: an extra [GLOBAL] line of PelmoV3.ini, or empty.
void WriteSettings(const TempDir& home, const std::string& zoneLine = {}) {
    home.Write("PelmoV3.ini", "[GLOBAL]\r\nDATABASE=" + home.Path() + "/db\r\n" + zoneLine);
    home.Write("db/Apposync.ini", "[COMMON]\r\nAPPOSEND=0\r\n");
}

// One headless cycle with the machine zone `tz` in the environment; the clinic has no database,
// so the log holds the start line and an error. minute: the expected minute of an instant.
template <typename MinuteOf>
AgentRun RunOnce(const TempDir& home, const QString& tz, MinuteOf minute) {
    TestApp();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(home.Path()));
    env.insert("CORVANE_HOME", QString::fromStdString(home.Path()));
    env.insert("TZ", tz);
    QProcess agent;
    agent.setProcessEnvironment(env);
    AgentRun run;
    run.before = minute(std::time(nullptr));
    agent.start(BinFolder() + "/apposync", {"--headless", "--once"});
    EXPECT_TRUE(agent.waitForFinished(60000));
    run.after = minute(std::time(nullptr));
    run.lines = QString::fromUtf8(agent.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    run.err = QString::fromUtf8(agent.readAllStandardError());
    return run;
}

// The stamp (to the minute) of the first line holding text; empty when none does.
std::string StampOf(const AgentRun& run, const char* text) {
    for (const QString& line : run.lines)
        if (line.contains(QString::fromUtf8(text)))
            return line.left(16).toStdString();
    return {};
}

int LinesWith(const AgentRun& run, const QString& text) {
    int n = 0;
    for (const QString& line : run.lines)
        n += line.contains(text) ? 1 : 0;
    return n;
}

::testing::AssertionResult Within(const std::string& stamp, const AgentRun& run) {
    if (!stamp.empty() && stamp >= run.before && stamp <= run.after)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "'" << stamp << "' not within " << run.before << " .. " << run.after;
}

} // namespace

TEST(ClinicZoneRun, HeadlessAgentLogsJapanTimeWhateverTheMachineZone) {
    TempDir home;
    WriteSettings(home);
    for (const char* tz : {"Asia/Tokyo", "UTC", "America/New_York", ":America/New_York"}) {
        SCOPED_TRACE(tz);
        const AgentRun run = RunOnce(home, tz, JapanMinute);
        EXPECT_TRUE(Within(StampOf(run, "[Info] 開始"), run)) << run.lines.join('\n').toStdString();
        EXPECT_TRUE(Within(StampOf(run, "[エラー]"), run));
        EXPECT_EQ(LinesWith(run, "TIMEZONE"), 0);
        // Off Japan, the log says which zone its times are in.
        const QString named =
            QString::fromUtf8("[Info] 時間帯 Asia/Tokyo の時刻で動作します（この機械の時間帯: ");
        if (std::string(tz) == "Asia/Tokyo")
            EXPECT_EQ(LinesWith(run, named), 0);
        else
            EXPECT_EQ(
                LinesWith(run, named + QString::fromUtf8(tz).remove(':') + QString::fromUtf8("）")),
                1)
                << run.lines.join('\n').toStdString();
    }
}

TEST(ClinicZoneRun, TheSettingMovesTheTimesAndAMisspeltZoneSaysSoOnce) {
    TempDir home;
    WriteSettings(home, "TIMEZONE=Europe/London\r\n");
    auto londonMinute = [](std::time_t t) {
        ClinicZoneGuard london("Europe/London");
        return Minute(platform::ToClinicTime(t));
    };
    AgentRun run = RunOnce(home, "Asia/Tokyo", londonMinute);
    EXPECT_TRUE(Within(StampOf(run, "[Info] 開始"), run)) << run.lines.join('\n').toStdString();
    EXPECT_EQ(LinesWith(run, QString::fromUtf8(
                                 "時間帯 Europe/London の時刻で動作します（この機械の時間帯: "
                                 "Asia/Tokyo）")),
              1);

    WriteSettings(home, "TIMEZONE=Asia/Tokio\r\n");
    run = RunOnce(home, "UTC", JapanMinute);
    EXPECT_TRUE(Within(StampOf(run, "[Info] 開始"), run)) << run.lines.join('\n').toStdString();
    EXPECT_EQ(LinesWith(run, "Asia/Tokio"), 1);
    EXPECT_EQ(LinesWith(run, QString::fromUtf8(
                                 "[エラー] PelmoV3.ini の [GLOBAL] TIMEZONE「Asia/Tokio」は時間帯"
                                 "データベースにありません。Asia/Tokyo の時刻で動作します。")),
              1)
        << run.lines.join('\n').toStdString();
    EXPECT_EQ(run.err.indexOf("Asia/Tokio"), -1) << "one line, in the log only";
}
