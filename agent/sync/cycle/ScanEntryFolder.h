#pragma once
#include "agent/sync/cycle/SyncContext.h"

// Settles the entry folder into ctx.entryFolder: the reservation table's configured folder, else
// "EntryToWeb/" in the database folder (created when missing). Consumes the trigger file
// "Setting" (the settings time stamp goes back to "never", so the appointment types publish
// again) and lists "*.txt", "*.sale", "*.memo", "*.notice", "*.pat" into ctx.entries in the
// order the file system returns them.
// A file modified less than kSettleTime ago (by ctx.clock) is left for a later cycle: on this
// platform nothing stops us from reading a file its writer is still writing, and a reservation
// file read before its key line arrived would be dropped as "no key".
void ScanEntryFolder(SyncContext& ctx);

inline constexpr int kEntrySettleMilliseconds = 2000;
