#pragma once
// Guarded web statements of the settings publishes: every database error is caught here, logged
// under "SQLエラー" with the driver's own text, and turned into a false result, so a publish goes
// on with its next record.
#include <string>

#include "agent/core/CRecordset.h"
#include "agent/sync/cycle/SyncContext.h"

// Opens a SELECT on the context's connection. False (and logged) when it cannot be opened.
bool OpenPublishQuery(SyncContext& ctx, CRecordset& rs, const std::string& sql);

// Opens the SELECT and tells whether it has a row: 1 row, 0 none, -1 the query could not be
// opened (logged). Used by the "SELECT by key, then UPDATE or INSERT" steps.
int PublishRowExists(SyncContext& ctx, const std::string& sql);

// Runs one statement. False (and logged) when the database refused it. A non-empty `secret` is
// blotted out of the logged text, as it stands and as it was escaped into the statement, because
// some driver messages quote the offending value.
bool ExecutePublishStatement(SyncContext& ctx, const std::string& sql,
                             const std::string& secret = {});

// The text with every occurrence of `secret` (as it stands and SQL-escaped) replaced by "****".
std::string MaskSecret(std::string text, const std::string& secret);
