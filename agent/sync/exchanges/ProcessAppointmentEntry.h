#pragma once
#include <string>

#include "agent/sync/cycle/SyncContext.h"

// One reservation entry file (*.txt): line 1 the operation word, line 2 "RegNo=" + key.
// True when the file is done with and may be deleted: published, or nothing to do (missing file,
// unknown word, no key). False leaves it for the next cycle: the publish failed, or the file
// exists but cannot be read.
bool ProcessAppointmentEntry(SyncContext& ctx, const std::string& path);

// The operation number of a first line (AppointmentOperation), 0 for any other text. Exact,
// case-sensitive, whole-line comparison.
int AppointmentOperationOf(const std::string& word);
