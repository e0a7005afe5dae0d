#pragma once
// System information: the service operator's notices not yet taken (web table "info", chk NULL)
// are appended, oldest first, to "SystemInfo.txt" in the database folder (CP932, CR LF line ends,
// never truncated), one block per notice:
//   [$START] / notice time "YYYY-MM-DD HH:MM:SS" (empty without one) / title /
//   body with every line break as "[$ENTER]" / [$END]
// A notice is marked taken (chk=1) only after its whole block is in the file. A file that cannot
// be opened or written gets an "エラー" line with the system's message and the notice stays
// unmarked (a partly written block is cut off again), so a later cycle appends it once the file
// is writable. Web errors are logged under "SQLエラー": a failed mark ends only its row (the
// notice is appended again next cycle), a failed read ends the exchange. Never throws.
#include <string>

#include "agent/sync/cycle/SyncContext.h"

// Uses ctx.web (open), ctx.log and ctx.databaseFolder.
void ImportSystemInfo(SyncContext& ctx);

// The block of one notice as it is written to the file. time: "YYYY-MM-DD HH:MM:SS" or empty.
std::string SystemInfoBlock(const std::string& time, const std::string& title,
                            const std::string& body);
