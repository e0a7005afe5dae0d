#include "agent/app/HeadlessStart.h"

#include "agent/app/CApposyncApp.h"
#include "agent/app/ClinicZoneLines.h"
#include "agent/app/HeadlessRunner.h"
#include "agent/app/StartMode.h"
#include "agent/sync/health/HealthStatusFile.h"
#include "agent/sync/log/IWebLogTable.h"
#include "platform/Cp932.h"
#include "platform/SystemClock.h"

#include <csignal>
#include <ostream>
#include <unistd.h>

namespace {

void OnStopSignal(int) {
    HeadlessRunner::RequestStop();
}

} // namespace

HeadlessStart::Options HeadlessStart::Parse(const std::vector<std::string>& args) {
    Options options;
    for (const auto& arg : args) {
        if (arg == "--headless")
            options.headless = true;
        else if (arg == "--once")
            options.once = true;
        else if (arg == "--send-all-patients")
            options.bulk = BulkKind::Patients;
        else if (arg == "--send-all-memos")
            options.bulk = BulkKind::Memos;
        else if (arg == "--status")
            options.status = true;
    }
    if (options.bulk)
        options.headless = true;
    if (!options.headless)
        options.once = false;
    return options;
}

int HeadlessStart::Run(bool once, std::ostream& out, std::ostream& err) {
    CApposyncApp app;
    // Two resident agents would send the same entry files twice.
    if (!app.AcquireInstance(StartMode::Resident)) {
        err << "apposync: a resident agent already runs for this user\n";
        return 1;
    }
    app.LoadSettings();

    const platform::SystemClock& clock = platform::SystemClock::Instance();
    OperationLog log(clock, LocalWebLogTables());
    log.SetDatabaseFolder(app.DatabaseFolder());
    log.SetLostConnectionHandler([&app] { app.Web().RaiseReconnect(); });
    EngineState state;
    state.ReadAppoSend(app.Settings());

    HealthMonitor health(log, app.Web(), state, clock, HealthThresholds::Read(app.Settings()),
                         HealthStatusFile::PathIn(app.DatabaseFolder()), ::getpid());
    // Without a tray the log is where a turn to 異常 and back is told.
    health.SetListener([&log](const HealthSnapshot& now, const HealthMonitor::Change& change) {
        const HealthMonitor::Announcement a = HealthMonitor::Announce(now, change);
        if (!a.Empty())
            log.WriteLog(OperationLog::Info, a.title + ": " + a.text);
    });
    HeadlessRunner runner(app.Settings(), app.Web(), log, clock, state, out);
    runner.SetHealthMonitor(&health);
    // The zone line first: it says how to read every time stamp that follows.
    WriteClinicZoneLines(log, platform::StartZoneChoice());
    if (!app.SettingsProblems().empty()) {
        // Nothing could be sent with them: say which file and end with a failure.
        for (const std::string& problem : app.SettingsProblems())
            log.WriteLog(OperationLog::Error, problem);
        return 1;
    }
    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    return runner.Run(once);
}

int HeadlessStart::RunBulk(BulkKind kind, std::ostream& out, std::ostream& err,
                           bool replaceProgress) {
    CApposyncApp app;
    // A resident agent's cycles would write the same web rows at the same time.
    if (!app.AcquireInstance(StartMode::Resident)) {
        err << "apposync: a resident agent already runs for this user; use its window's bulk "
               "send\n";
        return 1;
    }
    app.LoadSettings();
    if (!app.SettingsProblems().empty()) {
        for (const std::string& problem : app.SettingsProblems())
            err << "apposync: " << platform::Cp932ToUtf8(problem) << "\n";
        return 1;
    }
    return RunHeadlessBulkSend(app.Settings(), app.Web(), kind, out, replaceProgress);
}
