#pragma once
// The fixed order of the cycle's exchanges. Each list entry is one exchange; an entry whose
// function is null is the place of an exchange that this build does not have yet: the cycle
// passes it by (its observer still sees the name), so building an exchange means putting its
// function into its line and nothing else.
#include <string>
#include <vector>

#include "agent/sync/cycle/SyncContext.h"

using SyncStepFunction = void (*)(SyncContext& ctx);

struct SyncStep {
    const char* name;
    SyncStepFunction run; // null: not part of this build yet
};

// Run once after the web connection is opened: schema upgrade, system information and the
// booking settings publishes.
const std::vector<SyncStep>& WebSetupSteps();

// The web-to-local exchanges. Run after WebSetupSteps with the first-cycle flag, and again
// (flag cleared) after every N-th reservation file so that web requests do not wait behind a
// long queue.
const std::vector<SyncStep>& WebToLocalSteps();

// Reading the web logins and family members; runs about every two hours, with no reconnect
// before it.
const SyncStep& WebLoginStep();

// A processor of entry files: true when the file is done with and is to be deleted; false
// leaves it for a later cycle.
using EntryProcessor = bool (*)(SyncContext& ctx, const std::string& path);

struct EntryStep {
    const char* name;
    std::vector<std::string> EntryLists::*files;
    EntryProcessor process; // null: not part of this build yet; its files stay in the folder
};

// The non-reservation entry files in the order they are sent: patients, payments, treatment
// records, notices. Reservation files follow separately (they are sent in batches).
const std::vector<EntryStep>& EntrySteps();
