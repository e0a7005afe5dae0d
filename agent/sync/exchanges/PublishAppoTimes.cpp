#include "agent/core/ClinicSettings.h"
#include "agent/core/SqlLiterals.h"
#include "agent/sync/exchanges/SettingsPublish.h"
#include "agent/sync/support/PublishStatements.h"
#include "agent/sync/support/WeekdayTimes.h"
#include "platform/Cp932.h"

using platform::J;
using WorkTime = ClinicSettings::WorkTime;

void PublishAppoTimes(SyncContext& ctx) {
    const std::time_t fileTime = ctx.settings.SharedFileTime();
    if (fileTime == ctx.state.hoursPublished)
        return;
    ctx.log.WriteLog(OperationLog::Info, J("診療時間セット"));
    ctx.state.hoursPublished = fileTime;

    WeekdayTimes times[8];
    for (int n = 1; n <= 7; ++n) {
        times[n].amStart = WeekdayTimes::Hhmm(ctx.settings.ClinicWorkTime(WorkTime::AmFrom, n));
        times[n].amEnd = WeekdayTimes::Hhmm(ctx.settings.ClinicWorkTime(WorkTime::AmTo, n));
        times[n].pmStart = WeekdayTimes::Hhmm(ctx.settings.ClinicWorkTime(WorkTime::PmFrom, n));
        times[n].pmEnd = WeekdayTimes::Hhmm(ctx.settings.ClinicWorkTime(WorkTime::PmTo, n));
    }

    for (int n = 1; n <= 7; ++n) {
        const std::string day = SqlText(WeekdayTimes::DayName(n));
        const WeekdayTimes& t = times[n];
        const int exists = PublishRowExists(
            ctx, "SELECT * FROM appo_times WHERE working_day=" + day + " AND first_appo_flag=0");
        if (exists < 0)
            return;
        if (exists > 0)
            ExecutePublishStatement(ctx,
                                    "UPDATE appo_times SET am_start_time=" + SqlTime(t.amStart) +
                                        ",am_end_time=" + SqlTime(t.amEnd) + ",pm_start_time=" +
                                        SqlTime(t.pmStart) + ",pm_end_time=" + SqlTime(t.pmEnd) +
                                        " WHERE working_day=" + day + " AND first_appo_flag=0");
        else
            ExecutePublishStatement(
                ctx, "INSERT INTO appo_times(first_appo_flag,working_day,am_start_time,"
                     "am_end_time,pm_start_time,pm_end_time) VALUES(0," +
                         day + "," + SqlTime(t.amStart) + "," + SqlTime(t.amEnd) + "," +
                         SqlTime(t.pmStart) + "," + SqlTime(t.pmEnd) + ")");
    }
}
