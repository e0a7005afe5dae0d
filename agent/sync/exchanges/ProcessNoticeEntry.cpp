#include "agent/sync/exchanges/ProcessNoticeEntry.h"

#include <vector>

#include "agent/core/CDBException.h"
#include "agent/core/SqlLiterals.h"
#include "agent/sync/support/FillStatement.h"
#include "agent/sync/support/PublishHelpers.h"
#include "platform/Cp932.h"

using platform::J;

namespace {

constexpr const char* kInsert =
    "INSERT INTO notifications(notification_date,patient_key,title,content) "
    "VALUES(%s,%s,%s,%s)";

} // namespace

bool ProcessNoticeEntry(SyncContext& ctx, const std::string& path) {
    std::vector<std::string> lines;
    bool done = false;
    if (!ReadEntryForPublish(ctx.log, path, lines, done))
        return done;
    const std::string patientKey = lines.size() > 0 ? lines[0] : std::string();
    const std::string date = lines.size() > 1 ? lines[1] : std::string();
    std::string title = lines.size() > 2 ? lines[2] : std::string();
    std::string content;
    for (size_t i = 3; i < lines.size(); ++i) {
        if (i > 3)
            content += "\r\n";
        content += lines[i];
    }
    if (patientKey.empty() || content.empty())
        return true;
    if (title.empty())
        title = J("お知らせ");

    try {
        ctx.web.Database().ExecuteSQL(FillStatement(
            kInsert, {SqlDate(date), SqlText(patientKey), SqlText(title), SqlText(content)}));
    } catch (const CDBException& e) {
        ctx.log.WriteLog(OperationLog::SqlError, e.m_strError, patientKey);
        return false;
    }
    ctx.log.WriteLog(OperationLog::Info, J("お知らせ送信 [reg=") + patientKey + ":" + title + "]",
                     patientKey);
    return true;
}
