#include "agent/sync/cycle/SyncCycle.h"

#include <chrono>
#include <exception>

#include "agent/sync/cycle/EntryFileKey.h"
#include "agent/sync/cycle/ScanEntryFolder.h"
#include "agent/sync/cycle/SyncSteps.h"
#include "agent/sync/exchanges/ProcessAppointmentEntry.h"
#include "outside/pelmodb/COwnerDB.h"
#include "outside/pelmodb/CPelmoDBSys.h"
#include "outside/pelmodb/PelmoStatus.h"
#include "outside/tools/CTools.h"
#include "platform/Cp932.h"

namespace {

// Thrown inside a cycle to give up its remaining steps (already logged).
struct AbandonCycle {};

// Opens the web connection; a failure is logged as "SQLエラー" with host, port and the driver's
// text (the log's de-duplication keeps a server that stays down to one line).
bool OpenLogged(WebSession& web, OperationLog& log) {
    try {
        if (web.OpenWebConnection())
            return true;
        log.WriteLog(OperationLog::SqlError,
                     web.ConnectFailureText(web.Database().LastConnectError()));
    } catch (const CDBException& e) {
        log.WriteLog(OperationLog::SqlError, web.ConnectFailureText(e.m_strError));
    }
    return false;
}

class CycleRun {
public:
    CycleRun(SyncContext& ctx, const SyncCycle::StepObserver& observer)
        : m_ctx(ctx), m_observer(observer) {}

    void Notify(const char* name) {
        if (m_observer)
            m_observer(name);
    }

    // Opens the connection again when it was found lost. A server that cannot be reached gives
    // up the cycle (logged): every later step would fail the same way, each after five tries.
    void Reconnect() {
        if (m_ctx.web.ReconnectNeeded() && !OpenLogged(m_ctx.web, m_ctx.log))
            throw AbandonCycle{};
    }

    // Runs fn (after a reconnect when wanted); a database error leaving it is logged and ends
    // the cycle.
    template <typename Fn> void Guarded(bool reconnect, Fn&& fn) {
        try {
            if (reconnect)
                Reconnect();
            fn();
        } catch (const CDBException& e) {
            m_ctx.log.WriteLog(OperationLog::SqlError, e.m_strError);
            throw AbandonCycle{};
        }
    }

    void RunStep(const SyncStep& step, bool reconnect = true) {
        Notify(step.name);
        if (step.run)
            Guarded(reconnect, [&] { step.run(m_ctx); });
    }

    void RunSteps(const std::vector<SyncStep>& steps) {
        for (const SyncStep& step : steps)
            RunStep(step);
    }

    void RunEntryFile(EntryProcessor process, const std::string& path) {
        Reconnect();
        CDatabase& db = m_ctx.web.Database();
        db.ClearLastError();
        std::string error;
        try {
            if (process(m_ctx, path)) {
                CTools::FileRemove(path); // a file another program took already is fine
                return;
            }
            error = db.LastError();
        } catch (const CDBException& e) {
            m_ctx.log.WriteLog(OperationLog::SqlError, e.m_strError);
            error = e.m_strError;
        }
        // A lost connection is no fault of the file: the next file reconnects first.
        if (m_ctx.web.ReconnectNeeded())
            return;
        std::string text = platform::J("エントリファイルを送信できません: ") + EntryFileName(path);
        const std::string key = EntryFileKey(path);
        if (!key.empty())
            text += " (" + key + ")";
        if (!error.empty())
            text += " " + error;
        m_ctx.log.WriteLog(error.empty() ? OperationLog::Error : OperationLog::SqlError, text);
    }

private:
    SyncContext& m_ctx;
    const SyncCycle::StepObserver& m_observer;
};

// CTimeSpan::GetHours of the time since `since`: the hours part after whole days.
long long HoursPart(std::chrono::system_clock::time_point now, std::time_t since) {
    const long long seconds = std::chrono::duration_cast<std::chrono::seconds>(
                                  now - std::chrono::system_clock::from_time_t(since))
                                  .count();
    return (seconds / 3600) % 24;
}

} // namespace

SyncCycle::SyncCycle(const ClinicSettings& settings, WebSession& web, OperationLog& log,
                     const platform::Clock& clock, EngineState& state)
    : m_settings(settings), m_web(web), m_log(log), m_clock(clock), m_state(state) {
    m_log.SetLostConnectionHandler([&web] { web.RaiseReconnect(); });
}

int SyncCycle::BatchSize(int appoSend) {
    return appoSend == 1 ? 100 : appoSend == 2 ? 200 : 20;
}

CycleOutcome SyncCycle::Run() {
    CycleOutcome outcome;
    try {
        const std::string folder = m_settings.DatabaseFolder();
        m_log.SetDatabaseFolder(folder);
        COwnerDB owner(folder, 1);
        owner.SetAssociatedDB(nullptr);
        if (owner.Open() != PelmoStatus::kOk) {
            m_log.WriteLog(OperationLog::Error, owner.GetLastDBErr());
            return outcome;
        }
        outcome.localOpened = true;

        const int hidePaymant = m_settings.Get(settingkeys::kHidePaymant);
        m_state.showIdCut = m_settings.Get(settingkeys::kShowIdCut);
        LocalTables tables(folder);
        SyncContext ctx{.web = m_web,
                        .log = m_log,
                        .clock = m_clock,
                        .settings = m_settings,
                        .state = m_state,
                        .tables = tables,
                        .databaseFolder = folder,
                        .hidePaymant = hidePaymant};
        {
            CPelmoDBSys sys(folder);
            if (sys.GetClinicCode(ctx.clinicCode) != PelmoStatus::kOk) {
                ctx.clinicCode.clear();
                m_log.WriteLog(OperationLog::Error, sys.GetLastDBErr());
            }
        }
        ScanEntryFolder(ctx);
        outcome.entryFolder = ctx.entryFolder;

        if (!OpenLogged(m_web, m_log))
            return outcome;
        outcome.webOpened = true;

        CycleRun run(ctx, m_observer);
        try {
            run.RunSteps(WebSetupSteps());
            ctx.firstCycleFlag = m_state.firstCycle;
            run.RunSteps(WebToLocalSteps());
            m_state.firstCycle = false;
            ctx.firstCycleFlag = false;

            for (const EntryStep& step : EntrySteps()) {
                for (const std::string& path : ctx.entries.*step.files) {
                    if (step.files == &EntryLists::sales && hidePaymant != 0) {
                        // Payments are not to be shown on the web: drop them unread.
                        CTools::FileRemove(path);
                        continue;
                    }
                    run.Notify(step.name);
                    if (step.process)
                        run.RunEntryFile(step.process, path);
                    // else: kept in the folder until its exchange is part of the build
                }
            }

            if (HoursPart(m_clock.Now(), m_state.usersSyncTime) > 1) {
                m_state.usersSyncTime = std::chrono::system_clock::to_time_t(m_clock.Now());
                run.RunStep(WebLoginStep(), false);
            }

            const int batch = BatchSize(m_state.appoSend);
            int count = 0;
            for (const std::string& path : ctx.entries.reservations) {
                run.Notify("ProcessAppointmentEntry");
                run.RunEntryFile(ProcessAppointmentEntry, path);
                if (++count % batch == 0)
                    run.RunSteps(WebToLocalSteps());
            }
            outcome.completed = true;
        } catch (const AbandonCycle&) {
        }
        m_web.Close();
    } catch (const std::exception& e) {
        // Nothing may leave the cycle; the next one starts afresh.
        m_log.WriteLog(OperationLog::Error, e.what());
        m_web.Close();
    }
    return outcome;
}
