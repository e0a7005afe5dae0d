#pragma once
// Everything an exchange of the cycle works with. Built by SyncCycle for one cycle with named
// fields; the references live for that cycle only. Exchanges are free functions taking a
// SyncContext& (one source file per exchange) and read nothing process-wide: folder, settings
// and clock all come from here.
#include <string>

#include "agent/core/ClinicSettings.h"
#include "agent/core/WebSession.h"
#include "agent/sync/cycle/EngineState.h"
#include "agent/sync/cycle/EntryLists.h"
#include "agent/sync/cycle/LocalTables.h"
#include "agent/sync/log/OperationLog.h"
#include "platform/Clock.h"

struct SyncContext {
    WebSession& web;   // open connection; the cycle reconnects before each step when needed
    OperationLog& log; // every outcome is reported here
    const platform::Clock& clock;   // every "now"
    const ClinicSettings& settings; // Apposync.ini, GLOBALSETTING.ini, the product settings
    EngineState& state;             // kept between cycles
    LocalTables& tables;            // opened for this cycle
    std::string databaseFolder{};   // ends with '/'
    std::string entryFolder{};      // settled by the scan, ends with '/'
    std::string clinicCode{};       // the clinic's identifier at the booking service
    EntryLists entries{};           // filled by the scan, dropped at the cycle's end
    int hidePaymant = 0;            // "COMMON"/"HIDE_PAYMANT" as the cycle read it at its start
    // The first-cycle flag as the first-visit booking step is to see it in this run of the
    // web-to-local steps (the re-runs between reservation files pass false).
    bool firstCycleFlag = false;
};
