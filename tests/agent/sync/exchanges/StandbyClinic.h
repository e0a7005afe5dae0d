#pragma once
// A temporary clinic for the standby and first-visit exchange tests: a fresh local database with
// "Apposync.ini" as the profile file, a fresh web database (schema brought up to date) with an
// open agent session, and the context an exchange runs with. Texts given to the helpers are
// UTF-8 and stored as CP932.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ClinicFolder.h"
#include "FakeClock.h"
#include "WebDb.h"
#include "agent/core/WebSession.h"
#include "agent/sync/cycle/EngineState.h"
#include "agent/sync/cycle/LocalTables.h"
#include "agent/sync/cycle/SyncContext.h"
#include "agent/sync/log/OperationLog.h"

struct LocalReservation {
    std::string key{}, patient{}, date = "20240310", start = "1000", end = "1030", unit = "1",
                                  doctor = "D1", type = "01", memo{};
    char status = 0;
    long long pendingId = 0;
};

class StandbyClinic {
public:
    StandbyClinic();
    ~StandbyClinic();

    // The context for one exchange run (the log is the current "process's").
    SyncContext& Ctx() { return *m_ctx; }
    // The same context on other local tables (for a book that cannot be read).
    SyncContext CtxWith(LocalTables& tables) {
        const SyncContext& c = *m_ctx;
        return SyncContext{.web = c.web,
                           .log = c.log,
                           .clock = c.clock,
                           .settings = c.settings,
                           .state = c.state,
                           .tables = tables,
                           .databaseFolder = c.databaseFolder,
                           .entryFolder = c.entryFolder,
                           .clinicCode = c.clinicCode};
    }
    // A new log, as after a restart of the agent (the old one's repeat filter is gone).
    void FreshLog();
    // Log lines written since the last FreshLog/TakeLines, UTF-8, oldest first.
    std::vector<std::string> TakeLines();
    // Lines containing the UTF-8 text.
    static int Count(const std::vector<std::string>& lines, const std::string& utf8);

    void Set(const std::string& section, const std::string& key, const std::string& utf8) const;

    void AddPatient(const std::string& key, const std::string& displayNo,
                    const std::string& nameUtf8, const std::string& kanaUtf8 = {});
    void AddReservation(const LocalReservation& r);
    void AddStandby(const std::string& key, const std::string& patient, const std::string& from,
                    const std::string& to, const std::string& type,
                    const std::string& reservationKey = {});
    // Fresh copies read from the database; nullopt when missing.
    std::optional<tagReservation> Reservation(const std::string& key) const;
    std::optional<tagReservationStandby> Standby(const std::string& key) const;
    std::vector<tagReservation> AllReservations() const;

    // The web helper's connection (UTF-8 <-> CP932 left to the caller: use J()).
    const WebDb& Web() const { return m_web; }
    // Japan's date on the server moved by days, "YYYY-MM-DD" (as the statements compute today).
    std::string JapanDate(int days) const;

    const std::string& Folder() const { return m_db; }
    FakeClock clock{{2024, 3, 1, 9, 0, 0, 0}};

private:
    ClinicFolder m_clinic;
    std::string m_db;
    // No product settings file: the agent file in the database folder is read directly.
    ClinicSettings m_settings{m_clinic.Root() + "PelmoV3.ini", m_db + "Apposync.ini"};
    WebDb m_web;
    WebSession m_session;
    EngineState m_state;
    std::unique_ptr<OperationLog> m_log;
    std::unique_ptr<LocalTables> m_tables;
    std::unique_ptr<SyncContext> m_ctx;
    std::vector<std::string> m_lines;
};

// A text field of a record as UTF-8.
template <std::size_t N> std::string Utf8Of(const char (&field)[N]);
std::string Utf8Field(const char* field, std::size_t n);
template <std::size_t N> std::string Utf8Of(const char (&field)[N]) {
    return Utf8Field(field, N);
}
