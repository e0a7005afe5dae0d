#pragma once
// The one web database connection of the process with its connection values and the reconnect
// flag. Owned by the application object; shared by the cycle and the dialogs; not copyable.
#include <chrono>
#include <functional>
#include <string>

#include "agent/core/CDatabase.h"
#include "agent/core/WebConnectionValues.h"

class WebSession {
public:
    using Sleeper = std::function<void(std::chrono::milliseconds)>;

    // sleeper: pause between connect attempts (tests pass a recorder); default: a real sleep.
    explicit WebSession(WebConnectionValues values = {}, Sleeper sleeper = {});
    WebSession(const WebSession&) = delete;
    WebSession& operator=(const WebSession&) = delete;

    CDatabase& Database() { return m_db; }
    const WebConnectionValues& Values() const { return m_values; }
    void SetValues(WebConnectionValues values) { m_values = std::move(values); }

    // "Driver=...;DATABASE=...;PORT=...;SERVER=...;UID=...;PWD=...;CHARSET=utf8mb4;CONN_TIMEOUT=N;"
    // Values holding ';', '{', '}' or outer blanks are braced so they cannot change the string.
    // The texts stay CP932 for the callers; CDatabase converts them at the driver's edge.
    std::string ConnectString() const;

    // Closes an open connection, then tries up to five times, 300 ms apart, setting the query
    // time-out after each try. Success clears the reconnect flag and returns true; five failed
    // tries return false. A database error of the fifth try is thrown to the caller (errors of
    // tries one to four only lead to the next try).
    bool OpenWebConnection();
    void Close() { m_db.Close(); }

    // The log text of a connect that failed with the driver's text (empty when the driver gave
    // none): host and port, then the driver's text. The password never appears in it, even if a
    // driver were to echo it.
    std::string ConnectFailureText(const std::string& driverText) const;

    // Raised when the connection was found lost (by the log or by any failing call on it);
    // the cycle opens the connection again before its next step.
    bool ReconnectNeeded() const { return m_reconnect != 0; }
    void RaiseReconnect() { m_reconnect = 1; }
    void ClearReconnect() { m_reconnect = 0; }

    static constexpr int kAttempts = 5;
    static constexpr std::chrono::milliseconds kPause{300};
    static constexpr unsigned kQueryTimeoutSeconds = 3000;

private:
    WebConnectionValues m_values;
    Sleeper m_sleep;
    CDatabase m_db;
    int m_reconnect = 0;
};
