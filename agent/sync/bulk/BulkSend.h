#pragma once
// The two bulk commands of the main window: send every patient to patient_infos
// (SendAllPatients) or every memo to memo (SendAllMemos). No window of its own: the caller hands
// in the confirmation, the event pump, the progress display and the cycle timer as hooks, so the
// same code runs from the window and from the headless run.
//
// Each command: asks the confirmation; ends silently when the local database names no entry
// folder; opens the local table and the web connection (a database error is logged as
// "SQLエラー", a local one as "エラー"); stops the cycle timer; logs the start line; walks the
// records, sending them kBatchRows at a time (BulkRows: a few statements per batch instead of two
// per record, which is what counts on a distant database), then replacing the top log line with
// the progress line for every record of the batch and pumping events; closes the web connection;
// logs the result line; re-arms the timer when it was running. The rows written are those the
// one-by-one statements would write. A record the batch cannot carry (its key might match another
// record's, or a statement refused the batch) is sent by itself with the one-by-one statements,
// whose error lines name the record.
// A lost connection is retried for what was not written yet after reconnecting; such attempts
// are not counted. When the connection cannot be opened again the walk ends there (its counts
// are logged as usual), and a batch or record that loses the connection kMaxLostPerRecord times
// in a row goes on record by record and then counts as failed, so a dead server or a poisonous
// record never blocks the agent for good.
//
// One busy flag covers both commands from the confirmation to the end; a command started while
// one runs (for example from an event handled during the pump) does nothing. The session, the log
// and everything the hooks refer to must outlive the object. One thread only.
#include <cstddef>
#include <functional>
#include <string>

#include "agent/core/ClinicSettings.h"

class OperationLog;
class WebSession;

class BulkSend {
public:
    struct Hooks {
        // Asks the CP932 question with OK and Cancel; true for OK. Empty: always OK.
        std::function<bool(const std::string& question)> confirm;
        // Lets the window handle pending events between records. May be empty.
        std::function<void()> pumpEvents;
        // Progress after every attempt: running number (from 1) and the table's record count.
        std::function<void(int current, int total)> progress;
        // Stops the cycle timer; true when it was running. Empty: no timer.
        std::function<bool()> stopTimer;
        // Re-arms the cycle timer; called only when stopTimer returned true.
        std::function<void()> restartTimer;
        // Polled between records; true ends the walk early (headless stop signal). May be empty.
        std::function<bool()> stopRequested;
    };

    struct Result {
        bool ran = false;       // the walk started (confirmed, entry folder set, databases open)
        bool completed = false; // it walked to the last record
        int added = 0;
        int updated = 0;
        int failed = 0;
        int lostAttempts = 0; // attempts that ended in a lost connection (not counted above)
    };

    static constexpr int kMaxLostPerRecord = 10;
    // A batch ends at this many records or literal bytes, whichever comes first.
    static constexpr std::size_t kBatchRows = 200;
    static constexpr std::size_t kBatchBytes = 512 * 1024;

    BulkSend(const ClinicSettings& settings, WebSession& web, OperationLog& log, Hooks hooks);

    // databaseFolder: the local database folder (ending in '/'). SHOWID_CUT is read from the
    // settings when the walk starts.
    Result SendAllPatients(const std::string& databaseFolder);
    Result SendAllMemos(const std::string& databaseFolder);

    bool Busy() const { return m_busy; }
    // Records per batch (kBatchRows unless set); 1 sends every record by itself with the
    // one-by-one statements, as the entry files do.
    void SetBatchRows(std::size_t rows) { m_batchRows = rows; }

private:
    enum class Kind { Patients, Memos };
    Result Run(Kind kind, const std::string& databaseFolder);
    // Opens the web connection again after a lost one; false (logged) when it cannot.
    bool Reconnect();

    const ClinicSettings m_settings; // a copy: two file names
    WebSession& m_web;
    OperationLog& m_log;
    Hooks m_hooks;
    bool m_busy = false;
    std::size_t m_batchRows = kBatchRows;
};
