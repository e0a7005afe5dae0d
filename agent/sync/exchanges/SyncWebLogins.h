#pragma once
// Web logins: the time each app account last logged in ("users"."last_logined_at") is copied
// into the local patient record of the account's patient key and, through each valid (not
// deleted) family relation, into the family member's record too (the member gets the account
// holder's time). A stored time is replaced only by a later one (plain byte comparison of the
// "YYYYMMDDhhmmss" texts), so a newer local value is kept. Web patient keys without a local
// patient are skipped. The cycle decides when to run it (about every two hours).
// Web errors are logged under "SQLエラー" and end the exchange; a failed local write is logged
// under "エラー" and retried at the next run. Never throws.
#include "agent/sync/cycle/SyncContext.h"

// Uses ctx.web (open), ctx.tables.patient and ctx.log.
void SyncWebLogins(SyncContext& ctx);
