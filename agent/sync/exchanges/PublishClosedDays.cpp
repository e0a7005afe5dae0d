#include <algorithm>
#include <filesystem>
#include <map>
#include <vector>

#include "agent/core/ClinicSettings.h"
#include "agent/core/FieldText.h"
#include "agent/core/SqlLiterals.h"
#include "agent/sync/exchanges/SettingsPublish.h"
#include "agent/sync/support/BookingWindow.h"
#include "agent/sync/support/ClosedDayFile.h"
#include "agent/sync/support/PublishStatements.h"
#include "platform/Cp932.h"
#include "platform/FileOps.h"

using platform::J;
namespace keys = settingkeys;

namespace {

// Years beyond this many after the current one are not published: a mistyped manual year must
// not make one cycle walk thousands of years.
constexpr int kMaxYearsAhead = 10;

enum class YearResult { Done, Unreadable };

// Makes the web rows of one year equal to the file's dates.
YearResult PublishYear(SyncContext& ctx, int year, const std::string& path) {
    ctx.log.WriteLog(OperationLog::Info, J("休診日セット(") + std::to_string(year) + J("年)"));

    std::set<std::string> days;
    std::string text;
    if (platform::ReadFile(path, text)) {
        days = ClosedDayFile::Parse(text, year);
    } else if (std::error_code ec; std::filesystem::exists(path, ec) || ec) {
        // Something that is there but cannot be read (a file still locked by its writer, no
        // permission, a folder) must not empty the year on the web.
        ctx.log.WriteLog(OperationLog::Error, J("休診日ファイルを読めません [") + path + "]");
        return YearResult::Unreadable;
    }

    const std::string first = std::to_string(year) + "0101";
    const std::string last = std::to_string(year) + "1231";
    std::set<std::string> done;
    std::vector<std::string> toDelete;
    {
        CRecordset rs(&ctx.web.Database());
        if (!OpenPublishQuery(ctx, rs,
                              "SELECT * FROM closed_days WHERE closed_date BETWEEN " +
                                  SqlDate(first) + " AND " + SqlDate(last)))
            return YearResult::Done;
        try {
            for (; !rs.IsEOF(); rs.MoveNext()) {
                std::string date = GetFieldText(rs, "closed_date");
                date.erase(std::remove(date.begin(), date.end(), '-'), date.end());
                if (!days.count(date))
                    toDelete.push_back(date);
                else if (GetFieldText(rs, "closed_type") == "0")
                    done.insert(date);
            }
        } catch (const CDBException& e) {
            ctx.log.WriteLog(OperationLog::SqlError, e.m_strError);
            return YearResult::Done;
        }
    }

    for (const std::string& date : toDelete) {
        ctx.log.WriteLog(OperationLog::Info, J("休診日 削除 [") + date + "]");
        ExecutePublishStatement(ctx, "DELETE FROM closed_days WHERE closed_date=" + SqlDate(date));
    }
    for (const std::string& date : days) {
        if (done.count(date))
            continue;
        const int exists =
            PublishRowExists(ctx, "SELECT * FROM closed_days WHERE closed_date=" + SqlDate(date));
        if (exists < 0)
            break;
        if (exists > 0)
            ExecutePublishStatement(ctx, "UPDATE closed_days SET closed_type=0 WHERE closed_date=" +
                                             SqlDate(date));
        else
            ExecutePublishStatement(ctx,
                                    "INSERT INTO closed_days(closed_date,closed_type) VALUES(" +
                                        SqlDate(date) + ",0)");
    }
    return YearResult::Done;
}

} // namespace

void PublishClosedDays(SyncContext& ctx) {
    if (ctx.databaseFolder.empty())
        return;
    const LocalDateTime now = LocalNow(ctx.clock);
    const int firstYear = now.year;
    const int lastYear =
        std::min(BookingWindow::LastYear(ctx.settings.Get(keys::kLimitType),
                                         ctx.settings.Get(keys::kLimitAuto),
                                         ctx.settings.Get(keys::kLimitManualY), now),
                 firstYear + kMaxYearsAhead);

    std::string& storedLastYear = ctx.state.detectors[settingsdetectors::kClosedDaysLastYear];
    const bool lastYearChanged = storedLastYear != std::to_string(lastYear);
    std::time_t latest = ctx.state.closedDaysPublished;
    bool retry = false;
    for (int year = firstYear; year <= lastYear; ++year) {
        const std::string path = ClosedDayFile::PathOf(ctx.databaseFolder, year);
        const std::time_t fileTime = platform::ModificationTime(path);
        if (fileTime <= ctx.state.closedDaysPublished && !lastYearChanged)
            continue;
        if (PublishYear(ctx, year, path) == YearResult::Unreadable) {
            retry = true;
            continue;
        }
        latest = std::max(latest, fileTime);
    }
    // With a file unread the detector stays, so the next cycle reads it again.
    if (retry)
        return;
    ctx.state.closedDaysPublished = latest;
    storedLastYear = std::to_string(lastYear);
}
