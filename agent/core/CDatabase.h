#pragma once
// One ODBC connection. Statements are CP932 text; they reach the driver as UTF-16 through the
// wide calls (see WideText.h), so the connect string must ask for a Unicode character set.
// Errors arrive as CDBException carrying the driver's message. Not copyable; used on one thread.
#include <functional>
#include <string>

#include "agent/core/CDBException.h"

class CDatabase {
public:
    enum { noOdbcDialog = 8 }; // OpenEx option: never show the driver's connect dialog

    CDatabase();
    ~CDatabase(); // closes
    CDatabase(const CDatabase&) = delete;
    CDatabase& operator=(const CDatabase&) = delete;

    // Connects with a full connect string. Returns false when the server could not be reached
    // (SQLSTATE class 08 at connect: closed port, no answer within the connect time, unknown
    // host); throws CDBException for every other driver error (bad password, unknown database).
    // An open connection is closed first.
    bool OpenEx(const std::string& connectString, unsigned options = noOdbcDialog);
    // The driver's text of the last OpenEx that returned false because the server could not be
    // reached; empty after a successful OpenEx or a plain failure without a driver text.
    const std::string& LastConnectError() const { return m_lastConnectError; }
    void Close();
    bool IsOpen() const { return m_hdbc != nullptr; }

    // Runs one statement. REQUIRES: IsOpen(), else CDBException 08003 "Connection not open".
    void ExecuteSQL(const std::string& sql);

    // Passes the statement time-out (seconds) to the driver as the connection default. The
    // MariaDB driver ignores it; no statement-level time limit is used in its place because the
    // driver fails on the statement after one.
    void SetQueryTimeout(unsigned seconds);
    unsigned GetQueryTimeout() const { return m_queryTimeout; }

    // Called (once per error) whenever a call fails because the connection is gone.
    void SetLostConnectionHandler(std::function<void()> handler) { m_onLost = std::move(handler); }

    // The raw handles, for CRecordset.
    void* Hdbc() const { return m_hdbc; }

    // Throws CDBException 08003 "Connection not open" (reporting a lost connection) when the
    // connection is closed.
    void RequireOpen();

    // Builds the exception for a failed call on an ODBC handle and reports a lost connection.
    // handleType is an ODBC handle type (SQL_HANDLE_DBC / SQL_HANDLE_STMT).
    CDBException MakeException(short handleType, void* handle);

    // The text of the last error raised by a statement on this connection since
    // ClearLastError, also when its caller caught it; empty when there was none. Lets the cycle
    // say why an exchange that handles its own errors failed.
    const std::string& LastError() const { return m_lastError; }
    void ClearLastError() { m_lastError.clear(); }

private:
    void* m_henv = nullptr;
    void* m_hdbc = nullptr;
    unsigned m_queryTimeout = 0;
    std::function<void()> m_onLost;
    std::string m_lastConnectError;
    std::string m_lastError;
};
