#pragma once
// Publishing one memo record into the web table memo (key patient_key + treatment_id).
#include <string>

#include "agent/sync/bulk/BulkRows.h"
#include "outside/pelmodb/CMemoDB.h"

class CDatabase;
class OperationLog;
class WebSession;

// The statement that writes the memo's row: UPDATE when the row exists, else INSERT. Throws the
// lookup's CDBException; empty when the lookup's record set could not be opened.
std::string MemoRowStatement(CDatabase& db, const tagMemo& memo);

// Looks the row up and writes it. REQUIRES: web open. Results as PublishPatient's
// (PublishResult): -1 the connection was lost, 0 failed, 1 updated, 2 added. A database error is
// logged as "SQLエラー" (reference: the patient key).
int PublishMemo(WebSession& web, OperationLog& log, const tagMemo& memo);

// memo as the bulk send writes it, and one memo's row with exactly the literals PublishMemo
// sends.
BulkRows::Table MemoBulkTable();
BulkRows::Row MemoBulkRow(const tagMemo& memo);
