#pragma once
// One synchronisation cycle between the local clinic database and the web database, in its
// fixed order:
//   1. open the local database (COwnerDB); on failure log its error ("エラー") and stop;
//   2. read HIDE_PAYMANT and SHOWID_CUT; open the cycle's local tables;
//   3. ScanEntryFolder (trigger file "Setting", entry lists) - before the web, so the trigger is
//      consumed even when the web database is down;
//   4. open the web connection; a failure (unreachable server or database error) is logged as
//      "SQLエラー" with host, port and the driver's text, and every entry file stays for the next
//      cycle;
//   5. WebSetupSteps, then WebToLocalSteps with the first-cycle flag, then firstCycle := false;
//   6. patient, payment, treatment and notice entry files (EntrySteps), each deleted when its
//      processor reports success; payment files are deleted unread while HIDE_PAYMANT is set;
//   7. web logins when the hours part of the time since the last read is above 1;
//   8. reservation entry files, re-running WebToLocalSteps after every N-th file (N = 20, or 100
//      with APPOSEND 1, 200 with APPOSEND 2);
//   9. close the connection, release the local tables.
// Before every step and every entry file the connection is opened again when the session's
// reconnect flag is raised. A database error that leaves a step (including the fifth failed
// reconnect) is logged and abandons the rest of the cycle; entry files not yet done stay.
// An entry file whose processor fails while the connection holds is logged with its name, its
// key line and the driver's text, stays in the folder, and the next file is processed: one bad
// file never holds up the others.
//
// The session, log, clock and state belong to the caller and must outlive the cycle object; the
// settings are copied. The cycle reads the database folder and every setting through them only.
// The constructor routes the log's lost-connection notice to the session's reconnect flag.
// One thread; Run never throws.
#include <functional>
#include <string>

#include "agent/core/ClinicSettings.h"
#include "agent/core/WebSession.h"
#include "agent/sync/cycle/EngineState.h"
#include "agent/sync/log/OperationLog.h"
#include "platform/Clock.h"

struct CycleOutcome {
    bool localOpened = false; // the local clinic database could be opened
    bool webOpened = false;   // the web connection could be opened
    bool completed = false;   // every step ran (no step abandoned the cycle)
    // The entry folder the scan settled (ending in '/'); empty when the cycle ended before it.
    std::string entryFolder;

    // Both databases were reachable (exit status of a single headless cycle).
    bool DatabasesOpened() const { return localOpened && webOpened; }
};

class SyncCycle {
public:
    SyncCycle(const ClinicSettings& settings, WebSession& web, OperationLog& log,
              const platform::Clock& clock, EngineState& state);

    CycleOutcome Run();

    // Called with a step's name just before that step (or its empty slot) would run, for every
    // step of the step lists, the entry processors and the web-login step. For tests and
    // benchmarks; may be empty.
    using StepObserver = std::function<void(const std::string& stepName)>;
    void SetStepObserver(StepObserver observer) { m_observer = std::move(observer); }

    // Reservation files between two runs of the web-to-local steps for an APPOSEND value.
    static int BatchSize(int appoSend);

private:
    const ClinicSettings m_settings; // a copy: two file names
    WebSession& m_web;
    OperationLog& m_log;
    const platform::Clock& m_clock;
    EngineState& m_state;
    StepObserver m_observer;
};
