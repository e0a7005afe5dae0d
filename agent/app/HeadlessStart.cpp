#include "agent/app/HeadlessStart.h"

#include "agent/app/AgentCycle.h"
#include "agent/app/CApposyncApp.h"
#include "agent/app/StartMode.h"
#include "agent/core/AgentSettings.h"
#include "agent/core/SystemClock.h"
#include "agent/sync/IWebLogTable.h"
#include "platform/Cp932.h"

// The engine's runner, once the engine library brings it.
#if __has_include("agent/sync/HeadlessRunner.h")
#include "agent/sync/HeadlessRunner.h"
#define APPOSYNC_ENGINE_RUNNER 1
#endif

#include <atomic>
#include <chrono>
#include <csignal>
#include <ostream>
#include <thread>

namespace {

#ifdef APPOSYNC_ENGINE_RUNNER
void OnStopSignal(int) {
    HeadlessRunner::RequestStop();
}
#else
std::atomic<bool> g_stop{false};

void OnStopSignal(int) {
    g_stop = true;
}
#endif

} // namespace

HeadlessStart::Options HeadlessStart::Parse(const std::vector<std::string>& args) {
    Options options;
    for (const auto& arg : args) {
        if (arg == "--headless")
            options.headless = true;
        else if (arg == "--once")
            options.once = true;
    }
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

    const SystemClock& clock = SystemClock::Instance();
    OperationLog log(clock, LocalWebLogTables());
    log.SetDatabaseFolder(app.DatabaseFolder());
    log.SetLostConnectionHandler([&app] { app.Web().RaiseReconnect(); });
    EngineState state;
    state.appoSend = AgentSettings::Get(settingkeys::kAppoSend);

#ifdef APPOSYNC_ENGINE_RUNNER
    HeadlessRunner runner(app.Web(), log, clock, state, out);
    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    return runner.Run(once);
#else
    log.AddListener(
        [&out](const std::string& line, bool) { out << platform::Cp932ToUtf8(line) << std::endl; });
    log.WriteLog(OperationLog::Info, platform::J("開始"));

    if (once) {
        const auto outcome = AgentCycle(app.Web(), log, clock, state).Run();
        return outcome.localOpened && outcome.webOpened ? 0 : 1;
    }

    g_stop = false;
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    while (!g_stop) {
        AgentCycle(app.Web(), log, clock, state).Run();
        // The period counts from the end of the cycle; wake often to end promptly on a signal.
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(3000);
        while (!g_stop && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
#endif
}
