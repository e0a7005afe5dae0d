#pragma once
// The web session's text edge. The driver is handed every statement and connect string as UTF-16
// over a utf8mb4 connection, never as CP932 bytes: a CP932 character whose second byte is 0x5C
// would otherwise be read as a backslash by the driver's own statement scanner, which then
// misplaces quotes and statement ends (and has crashed on them). Text values are read back as the
// connection's UTF-8 bytes (see CRecordset).
#include <sqltypes.h>

#include <string>
#include <string_view>

// A CP932 text converted for one wide ODBC call. Characters that do not convert become '?'.
class WideText {
public:
    explicit WideText(std::string_view cp932);

    SQLWCHAR* Data() { return reinterpret_cast<SQLWCHAR*>(m_text.data()); }      // zero-terminated
    SQLINTEGER Length() const { return static_cast<SQLINTEGER>(m_text.size()); } // characters

private:
    std::u16string m_text;
};

// UTF-16 from the driver -> CP932; characters CP932 lacks become '?'.
std::string FromWide(const SQLWCHAR* text, std::size_t length);
// The same for a zero-terminated text.
std::string FromWide(const SQLWCHAR* terminated);
