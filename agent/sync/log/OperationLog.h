#pragma once
// The operation log: every exchange reports through WriteLog. Keeps the list of lines the main
// window shows (newest first, at most 300), suppresses repeats of recent texts, stores every
// entry other than "Info" as a record of the local web-log table, and notices a lost web
// connection in the texts of database errors. Never throws to its caller. One thread only.
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "agent/core/LocalDateTime.h"
#include "agent/sync/log/IWebLogTable.h"
#include "platform/Clock.h"

class OperationLog {
public:
    enum Category {
        Info = 0,
        Error = 1,
        CheckIn = 2,
        WebBooking = 3,
        Confirmed = 4,
        Cancelled = 5,
        Check = 6,
        Overlap = 7,
        SqlError = 8,
    };

    static constexpr size_t kMaxLines = 300;
    static constexpr size_t kRecentLimit = 100;

    // factory may be empty: entries are then only shown. The clock must outlive the log.
    OperationLog(const platform::Clock& clock, WebLogTableFactory factory);

    // Folder of the local database (ending in '/'); the web-log table is opened there.
    void SetDatabaseFolder(std::string folder) { m_databaseFolder = std::move(folder); }
    // Called for a category 8 text that says the connection is gone (also for a repeated text).
    void SetLostConnectionHandler(std::function<void()> handler) { m_onLost = std::move(handler); }
    // Called with every new line (progress = a progress line that replaced the top line).
    using Listener = std::function<void(const std::string& line, bool progress)>;
    void AddListener(Listener listener) { m_listeners.push_back(std::move(listener)); }

    // category: 0..8 (other values count as 0); text and reference are CP932 and are stored as
    // they stand (a "%" is just a character).
    void WriteLog(int category, const std::string& text, const std::string& reference = {});

    // A progress line of the bulk sends: removes the top line when it starts with prefix, then
    // puts line on top. Not stored, not de-duplicated.
    void ShowProgressLine(const std::string& prefix, const std::string& line);

    // The label shown and stored for a category ("Info" for 0 and unknown values).
    static std::string Label(int category);

    const std::deque<std::string>& Lines() const { return m_lines; }
    size_t RecentCount() const { return m_recent.size(); }

    // A failure entry ("エラー" or "SQLエラー") as it was written, repeats included.
    struct Failure {
        int category = Error;
        std::string text; // CP932
        std::chrono::system_clock::time_point when;
    };
    // Failure entries written so far, counted before the repeat suppression: a failure that
    // recurs every cycle counts every time, so a caller can tell by the difference whether a span
    // of work failed somewhere, whatever the texts say.
    std::uint64_t FailureCount() const { return m_failures; }
    // The latest failure entry; empty before the first.
    const std::optional<Failure>& LastFailure() const { return m_lastFailure; }

private:
    void AddLine(const std::string& line, bool progress);
    void Store(const std::string& label, const std::string& text, const std::string& reference,
               const LocalDateTime& now);

    const platform::Clock& m_clock;
    WebLogTableFactory m_factory;
    std::string m_databaseFolder;
    std::function<void()> m_onLost;
    std::vector<Listener> m_listeners;
    std::vector<std::string> m_recent;
    std::deque<std::string> m_lines;
    std::uint64_t m_failures = 0;
    std::optional<Failure> m_lastFailure;
};
