#pragma once
// One field value of a record set, tagged with its ODBC variant type.
#include <string>

enum DbVariantType {
    DBVT_NULL = 0,
    DBVT_BOOL,
    DBVT_UCHAR,
    DBVT_SHORT,
    DBVT_LONG,
    DBVT_SINGLE,
    DBVT_DOUBLE,
    DBVT_DATE,
    DBVT_STRING,
    DBVT_BINARY,
    DBVT_ASTRING,
    DBVT_WSTRING,
};

// Date-time of a field. A DATE column has the time part zero; a TIME column has the date part
// zero (its hour may exceed 23, as the server allows).
struct DbTimestamp {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    long fraction = 0; // nanoseconds
};

class CDBVariant {
public:
    void Clear() { *this = CDBVariant(); }

    DbVariantType m_dwType = DBVT_NULL;
    bool m_boolVal = false;
    unsigned char m_chVal = 0;
    short m_iVal = 0;
    long m_lVal = 0;
    float m_fltVal = 0;
    double m_dblVal = 0;
    DbTimestamp m_date;
    // DBVT_STRING, DBVT_ASTRING, DBVT_WSTRING: CP932 text; DBVT_BINARY: raw bytes.
    std::string m_str;
};
