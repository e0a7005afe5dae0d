#pragma once
// A web database error: the driver's own message text (CP932 bytes, exactly as the driver gave it)
// with its SQLSTATE and native error number.
#include <exception>
#include <string>

class CDBException : public std::exception {
public:
    CDBException(std::string error, std::string sqlState, int nativeError)
        : m_strError(std::move(error)), m_strSqlState(std::move(sqlState)),
          m_nNativeError(nativeError) {}

    const char* what() const noexcept override { return m_strError.c_str(); }

    // True when the error means the connection is gone and must be opened again: the driver says
    // "Lost connection", "Connection reset by peer", "Connection not open" or "gone away", or the
    // SQLSTATE is of class 08 (connection exception).
    bool IsLostConnection() const { return IsLostConnectionError(m_strError, m_strSqlState); }
    static bool IsLostConnectionError(const std::string& text, const std::string& sqlState = {});

    std::string m_strError;    // the driver's message text
    std::string m_strSqlState; // five characters, e.g. "08S01"; empty when unknown
    int m_nNativeError = 0;
};
