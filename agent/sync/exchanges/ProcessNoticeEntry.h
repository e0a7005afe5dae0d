#pragma once
// A notice entry file (*.notice): line 1 the addressee's patient key, line 2 the notice date
// (YYYYMMDD), line 3 the title ("お知らせ" when empty), lines 4 and on the content. Inserts one row
// into the web table notifications.
#include <string>

#include "agent/sync/cycle/SyncContext.h"

// True (delete the file) when the row was inserted, and when the key or the content is empty
// (nothing to send). False (keep) on a database error ("SQLエラー") or a file that cannot be read.
bool ProcessNoticeEntry(SyncContext& ctx, const std::string& path);
