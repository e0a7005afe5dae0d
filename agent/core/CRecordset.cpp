#include "agent/core/CRecordset.h"

#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <cstdlib>
#include <strings.h>

#include "agent/core/CDatabase.h"
#include "agent/core/WideText.h"
#include "platform/Cp932.h"

namespace {

// Reads a whole field as bytes (text or binary); false for NULL.
bool GetBytes(SQLHSTMT st, SQLUSMALLINT col, SQLSMALLINT cType, std::string& out, CDatabase* db) {
    out.clear();
    char buf[4096];
    for (;;) {
        SQLLEN ind = 0;
        SQLRETURN rc = SQLGetData(st, col, cType, buf, sizeof buf, &ind);
        if (rc == SQL_NO_DATA)
            return true;
        if (!SQL_SUCCEEDED(rc))
            throw db->MakeException(SQL_HANDLE_STMT, st);
        if (ind == SQL_NULL_DATA)
            return false;
        // Text fetches end in a terminator that does not count; binary fetches do not.
        size_t room = cType == SQL_C_BINARY ? sizeof buf : sizeof buf - 1;
        size_t got = (ind == SQL_NO_TOTAL || static_cast<size_t>(ind) > room)
                         ? room
                         : static_cast<size_t>(ind);
        out.append(buf, got);
        if (rc == SQL_SUCCESS)
            return true;
    }
}

// Reads a whole text field and gives it as CP932; false for NULL. The bytes are taken as they
// come over the utf8mb4 connection: the driver's UTF-16 fetch reports wrong lengths for some
// texts (it cut "ペニシリン" to four characters).
bool GetText(SQLHSTMT st, SQLUSMALLINT col, std::string& out, CDatabase* db) {
    std::string utf8;
    if (!GetBytes(st, col, SQL_C_BINARY, utf8, db))
        return false;
    out = platform::Utf8ToCp932(utf8);
    return true;
}

// "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS[.ffffff]" or "[-]HHH:MM:SS[.ffffff]" as the server prints
// them (zero dates and TIME values beyond 24 hours included).
DbTimestamp ParseTimestamp(const std::string& s, bool isTime) {
    DbTimestamp t;
    const char* p = s.c_str();
    auto num = [&p]() {
        char* end = nullptr;
        long v = std::strtol(p, &end, 10);
        p = end;
        return static_cast<int>(v);
    };
    auto skip = [&p](char c) {
        if (*p == c) {
            ++p;
            return true;
        }
        return false;
    };
    if (!isTime) {
        t.year = num();
        skip('-');
        t.month = num();
        skip('-');
        t.day = num();
        if (!skip(' ') && !skip('T'))
            return t;
    }
    t.hour = num();
    skip(':');
    t.minute = num();
    skip(':');
    t.second = num();
    if (skip('.')) {
        std::string frac;
        while (*p >= '0' && *p <= '9')
            frac += *p++;
        frac.resize(9, '0');
        t.fraction = std::atol(frac.c_str());
    }
    return t;
}

} // namespace

CRecordset::CRecordset(CDatabase* db) : m_db(db) {}

CRecordset::~CRecordset() {
    Close();
}

bool CRecordset::Open(unsigned /*openType*/, const std::string& sql, unsigned /*options*/) {
    Close();
    if (!m_db)
        return false;
    m_db->RequireOpen();
    SQLHSTMT st = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, m_db->Hdbc(), &st)))
        throw m_db->MakeException(SQL_HANDLE_DBC, m_db->Hdbc());
    SQLSetStmtAttr(st, SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(SQL_CURSOR_FORWARD_ONLY),
                   0);
    SQLSetStmtAttr(st, SQL_ATTR_CONCURRENCY, reinterpret_cast<SQLPOINTER>(SQL_CONCUR_READ_ONLY), 0);
    WideText statement(sql);
    SQLRETURN rc = SQLExecDirectW(st, statement.Data(), statement.Length());
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
        CDBException e = m_db->MakeException(SQL_HANDLE_STMT, st);
        SQLFreeHandle(SQL_HANDLE_STMT, st);
        throw e;
    }
    m_hstmt = st;
    SQLSMALLINT cols = 0;
    SQLNumResultCols(st, &cols);
    for (SQLUSMALLINT i = 1; i <= cols; ++i) {
        SQLWCHAR name[256] = {};
        SQLSMALLINT nameLen = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        SQLDescribeColW(st, i, name, sizeof name / sizeof name[0], &nameLen, &type, &size, &digits,
                        &nullable);
        SQLLEN isUnsigned = SQL_FALSE;
        SQLColAttributeW(st, i, SQL_DESC_UNSIGNED, nullptr, 0, nullptr, &isUnsigned);
        m_columns.push_back({FromWide(name), type, isUnsigned == SQL_TRUE});
    }
    Fetch();
    return true;
}

void CRecordset::Close() {
    if (m_hstmt) {
        SQLCloseCursor(m_hstmt);
        SQLFreeHandle(SQL_HANDLE_STMT, m_hstmt);
        m_hstmt = nullptr;
    }
    m_columns.clear();
    m_row.clear();
    m_eof = true;
}

void CRecordset::MoveNext() {
    if (!m_hstmt || m_eof)
        return;
    Fetch();
}

void CRecordset::Fetch() {
    m_row.clear();
    SQLRETURN rc = m_columns.empty() ? SQL_NO_DATA : SQLFetch(m_hstmt);
    if (rc == SQL_NO_DATA) {
        m_eof = true;
        return;
    }
    if (!SQL_SUCCEEDED(rc)) {
        m_eof = true;
        throw m_db->MakeException(SQL_HANDLE_STMT, m_hstmt);
    }
    m_eof = false;
    ReadRow();
}

void CRecordset::ReadRow() {
    SQLHSTMT st = m_hstmt;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const Column& c = m_columns[i];
        SQLUSMALLINT col = static_cast<SQLUSMALLINT>(i + 1);
        CDBVariant v;
        std::string bytes;
        auto text = [&](SQLSMALLINT cType) { return GetBytes(st, col, cType, bytes, m_db); };
        switch (c.sqlType) {
        case SQL_BIT: {
            unsigned char bit = 0;
            SQLLEN ind = 0;
            if (!SQL_SUCCEEDED(SQLGetData(st, col, SQL_C_BIT, &bit, sizeof bit, &ind)))
                throw m_db->MakeException(SQL_HANDLE_STMT, st);
            if (ind != SQL_NULL_DATA) {
                v.m_dwType = DBVT_BOOL;
                v.m_boolVal = bit != 0;
            }
            break;
        }
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
            if (text(SQL_C_CHAR)) {
                long n = std::atol(bytes.c_str());
                if (c.sqlType == SQL_TINYINT && n >= 0 && n <= 255) {
                    v.m_dwType = DBVT_UCHAR;
                    v.m_chVal = static_cast<unsigned char>(n);
                } else if (c.sqlType != SQL_INTEGER && n >= -32768 && n <= 32767) {
                    v.m_dwType = DBVT_SHORT;
                    v.m_iVal = static_cast<short>(n);
                } else {
                    v.m_dwType = DBVT_LONG;
                    v.m_lVal = n;
                }
            }
            break;
        case SQL_REAL:
            if (text(SQL_C_CHAR)) {
                v.m_dwType = DBVT_SINGLE;
                v.m_fltVal = std::strtof(bytes.c_str(), nullptr);
            }
            break;
        case SQL_FLOAT:
        case SQL_DOUBLE:
            if (text(SQL_C_CHAR)) {
                v.m_dwType = DBVT_DOUBLE;
                v.m_dblVal = std::strtod(bytes.c_str(), nullptr);
            }
            break;
        case SQL_DATE:
        case SQL_TYPE_DATE:
        case SQL_TIMESTAMP:
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIME:
        case SQL_TYPE_TIME:
            if (text(SQL_C_CHAR)) {
                v.m_dwType = DBVT_DATE;
                v.m_date =
                    ParseTimestamp(bytes, c.sqlType == SQL_TIME || c.sqlType == SQL_TYPE_TIME);
            }
            break;
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY:
            if (text(SQL_C_BINARY)) {
                v.m_dwType = DBVT_BINARY;
                v.m_str = std::move(bytes);
            }
            break;
        case SQL_BIGINT:
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            // Wider than a long on the desktop platform: kept as its text.
            if (text(SQL_C_CHAR)) {
                v.m_dwType = DBVT_STRING;
                v.m_str = std::move(bytes);
            }
            break;
        case SQL_WCHAR:
        case SQL_WVARCHAR:
        case SQL_WLONGVARCHAR:
            if (GetText(st, col, bytes, m_db)) {
                v.m_dwType = DBVT_WSTRING;
                v.m_str = std::move(bytes);
            }
            break;
        default:
            if (GetText(st, col, bytes, m_db)) {
                v.m_dwType = DBVT_ASTRING;
                v.m_str = std::move(bytes);
            }
            break;
        }
        m_row.push_back(std::move(v));
    }
}

std::string CRecordset::GetFieldName(short index) const {
    if (index < 0 || static_cast<size_t>(index) >= m_columns.size())
        return {};
    return m_columns[static_cast<size_t>(index)].name;
}

void CRecordset::GetFieldValue(const std::string& name, CDBVariant& value) const {
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (strcasecmp(m_columns[i].name.c_str(), name.c_str()) == 0) {
            GetFieldValue(static_cast<short>(i), value);
            return;
        }
    }
    throw CDBException("Unknown column '" + name + "' in the record set", "42S22", 0);
}

void CRecordset::GetFieldValue(short index, CDBVariant& value) const {
    if (m_eof || m_row.empty())
        throw CDBException("No current row in the record set", "24000", 0);
    if (index < 0 || static_cast<size_t>(index) >= m_row.size())
        throw CDBException("Field index out of range", "07009", 0);
    value = m_row[static_cast<size_t>(index)];
}
