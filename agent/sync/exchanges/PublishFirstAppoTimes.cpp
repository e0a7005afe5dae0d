#include <algorithm>
#include <cstdio>

#include "agent/core/ClinicSettings.h"
#include "agent/core/SqlLiterals.h"
#include "agent/sync/exchanges/SettingsPublish.h"
#include "agent/sync/support/FirstVisitPages.h"
#include "agent/sync/support/FixedTimes.h"
#include "agent/sync/support/PublishStatements.h"
#include "agent/sync/support/WeekdayTimes.h"
#include "platform/Cp932.h"

using platform::J;
using WorkTime = ClinicSettings::WorkTime;
namespace keys = settingkeys;

namespace {

// Last minute of the day: a consultation never ends after 23:59.
constexpr int kLastMinute = 23 * 60 + 59;

std::string MinutesHhmm(int minutes) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d%02d", minutes / 60, minutes % 60);
    return buf;
}

// A range end of "2400" means up to the end of the day, which a time column holds as 23:59.
std::string RangeTime(const ClinicSettings& settings, WorkTime which, int page, int weekday) {
    std::string t = WeekdayTimes::Hhmm(settings.FirstWorkTime(which, page, weekday));
    return t == "2400" ? "2359" : t;
}

WeekdayTimes PageWeekday(const ClinicSettings& settings, int page, int weekday, bool useRange,
                         int consultMinutes) {
    WeekdayTimes t;
    if (settings.Get(keys::kFirstDayOfWeek, page, weekday) == 0)
        return t;
    if (useRange) {
        t.amStart = RangeTime(settings, WorkTime::AmFrom, page, weekday);
        t.amEnd = RangeTime(settings, WorkTime::AmTo, page, weekday);
        t.pmStart = RangeTime(settings, WorkTime::PmFrom, page, weekday);
        t.pmEnd = RangeTime(settings, WorkTime::PmTo, page, weekday);
        return t;
    }
    const std::vector<int> list =
        FixedTimes::ReadSorted(settings.Get(keys::kFirstTimes, page, weekday));
    if (list.empty())
        return t;
    const int end = std::clamp(list.back() + consultMinutes, 0, kLastMinute);
    t.amStart = MinutesHhmm(list.front());
    t.amEnd = MinutesHhmm(end);
    return t;
}

} // namespace

void PublishFirstAppoTimes(SyncContext& ctx) {
    const std::time_t fileTime = ctx.settings.AgentFileTime();
    if (fileTime == ctx.state.firstHoursPublished)
        return;
    ctx.log.WriteLog(OperationLog::Info, J("初診相談時間セット"));
    ctx.state.firstHoursPublished = fileTime;

    const bool useRange = ctx.settings.Get(keys::kFirstUseRange) != 0;
    const int pages = FirstVisitPageCount(ctx.settings);

    for (int p = 1; p <= pages; ++p) {
        const int page = p - 1; // key suffix index
        const int consultMinutes = ctx.settings.Get(keys::kFirstTime, page);
        const std::string flag = std::to_string(p);
        for (int n = 1; n <= 7; ++n) {
            const WeekdayTimes t = PageWeekday(ctx.settings, page, n, useRange, consultMinutes);
            const std::string timeList =
                useRange ? std::string() : ctx.settings.Get(keys::kFirstTimes, page, n);
            const std::string day = SqlText(WeekdayTimes::DayName(n));
            const int exists =
                PublishRowExists(ctx, "SELECT * FROM appo_times WHERE working_day=" + day +
                                          " AND first_appo_flag=" + flag);
            if (exists < 0)
                break; // this page waits for the next change
            if (exists > 0)
                ExecutePublishStatement(
                    ctx, "UPDATE appo_times SET am_start_time=" + SqlTime(t.amStart) +
                             ",am_end_time=" + SqlTime(t.amEnd) + ",pm_start_time=" +
                             SqlTime(t.pmStart) + ",pm_end_time=" + SqlTime(t.pmEnd) +
                             ",time_list=" + SqlText(timeList) + " WHERE working_day=" + day +
                             " AND first_appo_flag=" + flag);
            else
                ExecutePublishStatement(
                    ctx, "INSERT INTO appo_times(first_appo_flag,working_day,am_start_time,"
                         "am_end_time,pm_start_time,pm_end_time,time_list) VALUES(" +
                             flag + "," + day + "," + SqlTime(t.amStart) + "," + SqlTime(t.amEnd) +
                             "," + SqlTime(t.pmStart) + "," + SqlTime(t.pmEnd) + "," +
                             SqlText(timeList) + ")");
        }
    }
}
