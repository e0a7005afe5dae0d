#include "agent/app/HeadlessBulkSend.h"

#include <csignal>

#include "agent/app/ClinicZoneLines.h"
#include "agent/app/HeadlessRunner.h"
#include "agent/core/ClinicSettings.h"
#include "agent/core/WebSession.h"
#include "agent/sync/bulk/BulkSend.h"
#include "agent/sync/log/IWebLogTable.h"
#include "agent/sync/log/OperationLog.h"
#include "platform/Cp932.h"
#include "platform/SystemClock.h"

namespace {

extern "C" void OnBulkStopSignal(int) {
    HeadlessRunner::RequestStop();
}

} // namespace

int RunHeadlessBulkSend(const ClinicSettings& settings, WebSession& web, BulkKind kind,
                        std::ostream& out, bool replaceProgress) {
    struct sigaction sa {};
    sa.sa_handler = OnBulkStopSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);

    const std::string folder = settings.DatabaseFolder();
    OperationLog log(platform::SystemClock::Instance(), LocalWebLogTables());
    log.SetDatabaseFolder(folder);
    log.SetLostConnectionHandler([&web] { web.RaiseReconnect(); });
    bool progressShown = false; // a progress line without its line end is on the terminal
    log.AddListener([&](const std::string& line, bool progress) {
        if (replaceProgress && progress) {
            out << '\r' << platform::Cp932ToUtf8(line);
            progressShown = true;
        } else {
            if (progressShown)
                out << '\n';
            progressShown = false;
            out << platform::Cp932ToUtf8(line) << '\n';
        }
        out.flush();
    });
    WriteClinicZoneLines(log, platform::StartZoneChoice());

    BulkSend::Hooks hooks;
    hooks.stopRequested = [] { return HeadlessRunner::StopRequested(); };
    BulkSend bulk(settings, web, log, std::move(hooks));
    const BulkSend::Result result =
        kind == BulkKind::Patients ? bulk.SendAllPatients(folder) : bulk.SendAllMemos(folder);
    if (!result.ran)
        out << "nothing sent: the local database names no entry folder, or a database could not "
               "be opened\n";
    out.flush();
    return result.ran && result.completed ? 0 : 1;
}
