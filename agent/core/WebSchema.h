#pragma once
// Brings the web tables up to the columns this agent writes.
#include <string>

#include "agent/core/CDatabase.h"

// Reads "COMMON"/"DB_VERSION" (default 0) of the profile file and runs the ALTER groups from that
// version on (A for 0, B for 1, C for 2, D for 3; later groups follow; 4 or more runs nothing).
// A statement whose error text contains "Duplicate" counts as done (another computer of the
// clinic upgraded first). At the first other failure it stops without storing anything and
// without logging, so the next cycle tries again; when all ran, stores DB_VERSION=4.
// Returns true when the schema is at version 4 afterwards. REQUIRES: db open.
bool UpgradeWebSchema(CDatabase& db, const std::string& profileFile);
