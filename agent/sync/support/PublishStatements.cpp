#include "agent/sync/support/PublishStatements.h"

#include "agent/core/CDBException.h"
#include "agent/core/SqlLiterals.h"

namespace {

// What CDatabase itself says for a statement on a closed connection.
const char* const kNotOpen = "Connection not open";

void LogDbError(SyncContext& ctx, const std::string& text) {
    ctx.log.WriteLog(OperationLog::SqlError, text);
}

void ReplaceAll(std::string& text, const std::string& what, const std::string& with) {
    if (what.empty())
        return;
    for (std::string::size_type at = text.find(what); at != std::string::npos;
         at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

} // namespace

std::string MaskSecret(std::string text, const std::string& secret) {
    if (secret.empty())
        return text;
    // The escaped form first: it contains the plain form when nothing was doubled.
    ReplaceAll(text, EscapeSqlText(secret), "****");
    ReplaceAll(text, secret, "****");
    return text;
}

bool OpenPublishQuery(SyncContext& ctx, CRecordset& rs, const std::string& sql) {
    try {
        if (rs.Open(CRecordset::forwardOnly, sql, CRecordset::readOnly))
            return true;
        LogDbError(ctx, kNotOpen);
    } catch (const CDBException& e) {
        LogDbError(ctx, e.m_strError);
    }
    return false;
}

int PublishRowExists(SyncContext& ctx, const std::string& sql) {
    CRecordset rs(&ctx.web.Database());
    if (!OpenPublishQuery(ctx, rs, sql))
        return -1;
    return rs.IsEOF() ? 0 : 1;
}

bool ExecutePublishStatement(SyncContext& ctx, const std::string& sql, const std::string& secret) {
    try {
        ctx.web.Database().ExecuteSQL(sql);
        return true;
    } catch (const CDBException& e) {
        LogDbError(ctx, MaskSecret(e.m_strError, secret));
    }
    return false;
}
