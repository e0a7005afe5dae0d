#include "agent/sync/exchanges/PublishMemo.h"

#include "agent/core/CDBException.h"
#include "agent/core/SqlLiterals.h"
#include "agent/core/WebSession.h"
#include "agent/sync/exchanges/PublishPatient.h"
#include "agent/sync/log/OperationLog.h"
#include "agent/sync/support/FillStatement.h"
#include "agent/sync/support/PublishHelpers.h"
#include "platform/RecordFields.h"

using platform::RecText;

namespace {

constexpr const char* kSelect = "SELECT * FROM memo WHERE patient_key=%s AND treatment_id=%s";
constexpr const char* kUpdate =
    "UPDATE memo SET date=%s,memo=%s WHERE patient_key=%s AND treatment_id=%s";
constexpr const char* kInsert =
    "INSERT INTO memo(patient_key,treatment_id,date,memo) VALUES(%s,%s,%s,%s)";

std::string Statement(CDatabase& db, const tagMemo& memo, bool& exists) {
    const BulkRows::Row row = MemoBulkRow(memo);
    const std::string& key = row.keys[0];
    const std::string& number = row.keys[1];
    bool opened = false;
    exists = WebRowExists(db, FillStatement(kSelect, {key, number}), &opened);
    if (!opened)
        return {};
    const std::string& date = row.values[0];
    const std::string& text = row.values[1];
    return exists ? FillStatement(kUpdate, {date, text, key, number})
                  : FillStatement(kInsert, {key, number, date, text});
}

} // namespace

BulkRows::Table MemoBulkTable() {
    return {"memo", {"patient_key", "treatment_id"}, {"date", "memo"}};
}

BulkRows::Row MemoBulkRow(const tagMemo& memo) {
    BulkRows::Row row;
    row.keys = {SqlText(RecText(memo.patientKey)), SqlText(RecText(memo.memoNo))};
    row.values = {SqlDate(RecText(memo.date)), SqlText(RecText(memo.text))};
    return row;
}

std::string MemoRowStatement(CDatabase& db, const tagMemo& memo) {
    bool exists = false;
    return Statement(db, memo, exists);
}

int PublishMemo(WebSession& web, OperationLog& log, const tagMemo& memo) {
    try {
        bool exists = false;
        const std::string sql = Statement(web.Database(), memo, exists);
        if (sql.empty())
            return kPublishFailed;
        web.Database().ExecuteSQL(sql);
        return exists ? kPublishUpdated : kPublishAdded;
    } catch (const CDBException& e) {
        log.WriteLog(OperationLog::SqlError, e.m_strError, RecText(memo.patientKey));
        return e.IsLostConnection() ? kPublishLost : kPublishFailed;
    }
}
