#include "agent/core/CDatabase.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include "agent/core/WideText.h"

namespace {

// First diagnostic record of a handle; empty text when there is none.
CDBException Diagnose(SQLSMALLINT type, SQLHANDLE handle) {
    SQLWCHAR state[6] = {};
    SQLWCHAR text[SQL_MAX_MESSAGE_LENGTH + 1] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT len = 0;
    if (handle && SQL_SUCCEEDED(SQLGetDiagRecW(type, handle, 1, state, &native, text,
                                               SQL_MAX_MESSAGE_LENGTH + 1, &len))) {
        return CDBException(FromWide(text), FromWide(state), static_cast<int>(native));
    }
    return CDBException("Unknown ODBC error", "", 0);
}

} // namespace

CDatabase::CDatabase() = default;

CDatabase::~CDatabase() {
    Close();
    if (m_henv)
        SQLFreeHandle(SQL_HANDLE_ENV, m_henv);
}

bool CDatabase::OpenEx(const std::string& connectString, unsigned options) {
    Close();
    m_lastConnectError.clear();
    if (!m_henv) {
        SQLHENV env = SQL_NULL_HENV;
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
            throw CDBException("Cannot allocate the ODBC environment", "HY001", 0);
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        m_henv = env;
    }
    SQLHDBC dbc = SQL_NULL_HDBC;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, m_henv, &dbc)))
        throw Diagnose(SQL_HANDLE_ENV, m_henv);

    SQLUSMALLINT completion = (options & noOdbcDialog) ? SQL_DRIVER_NOPROMPT : SQL_DRIVER_COMPLETE;
    WideText connect(connectString);
    SQLRETURN rc = SQLDriverConnectW(dbc, nullptr, connect.Data(), connect.Length(), nullptr, 0,
                                     nullptr, completion);
    if (SQL_SUCCEEDED(rc)) {
        m_hdbc = dbc;
        return true;
    }
    CDBException e = rc == SQL_NO_DATA ? CDBException("", "", 0) : Diagnose(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    if (rc == SQL_NO_DATA)
        return false;
    // The server could not be reached at all: a plain failure, the caller tries again later.
    if (e.m_strSqlState.compare(0, 2, "08") == 0 || e.m_strSqlState == "HYT00" ||
        e.m_strError.find("Can't connect") != std::string::npos ||
        e.m_strError.find("Lost connection") != std::string::npos) {
        m_lastConnectError = e.m_strError;
        return false;
    }
    throw e;
}

void CDatabase::Close() {
    if (!m_hdbc)
        return;
    SQLDisconnect(m_hdbc);
    SQLFreeHandle(SQL_HANDLE_DBC, m_hdbc);
    m_hdbc = nullptr;
}

CDBException CDatabase::MakeException(short handleType, void* handle) {
    CDBException e = Diagnose(handleType, handle);
    m_lastError = e.m_strError;
    if (e.IsLostConnection() && m_onLost)
        m_onLost();
    return e;
}

void CDatabase::RequireOpen() {
    if (m_hdbc)
        return;
    if (m_onLost)
        m_onLost();
    m_lastError = "Connection not open";
    throw CDBException(m_lastError, "08003", 0);
}

void CDatabase::ExecuteSQL(const std::string& sql) {
    RequireOpen();
    SQLHSTMT st = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, m_hdbc, &st)))
        throw MakeException(SQL_HANDLE_DBC, m_hdbc);
    WideText statement(sql);
    SQLRETURN rc = SQLExecDirectW(st, statement.Data(), statement.Length());
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
        CDBException e = MakeException(SQL_HANDLE_STMT, st);
        SQLFreeHandle(SQL_HANDLE_STMT, st);
        throw e;
    }
    // Drain further results so the connection is ready for the next statement.
    while (SQL_SUCCEEDED(SQLMoreResults(st))) {
    }
    SQLFreeHandle(SQL_HANDLE_STMT, st);
}

void CDatabase::SetQueryTimeout(unsigned seconds) {
    m_queryTimeout = seconds;
    if (m_hdbc)
        SQLSetConnectAttr(m_hdbc, SQL_ATTR_QUERY_TIMEOUT,
                          reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(seconds)), 0);
}
