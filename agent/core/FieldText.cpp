#include "agent/core/FieldText.h"

#include <cstdio>

std::string VariantText(const CDBVariant& v) {
    char buf[512];
    switch (v.m_dwType) {
    case DBVT_NULL:
    case DBVT_BINARY:
        return {};
    case DBVT_BOOL:
        return v.m_boolVal ? "1" : "0";
    case DBVT_UCHAR:
        std::snprintf(buf, sizeof buf, "%d", static_cast<int>(v.m_chVal));
        return buf;
    case DBVT_SHORT:
        std::snprintf(buf, sizeof buf, "%d", static_cast<int>(v.m_iVal));
        return buf;
    case DBVT_LONG:
        std::snprintf(buf, sizeof buf, "%ld", v.m_lVal);
        return buf;
    case DBVT_SINGLE:
        std::snprintf(buf, sizeof buf, "%f", static_cast<double>(v.m_fltVal));
        return buf;
    case DBVT_DOUBLE:
        std::snprintf(buf, sizeof buf, "%f", v.m_dblVal);
        return buf;
    case DBVT_DATE: {
        const DbTimestamp& t = v.m_date;
        bool dateZero = t.year == 0 && t.month == 0 && t.day == 0;
        bool timeZero = t.hour == 0 && t.minute == 0 && t.second == 0;
        if (dateZero)
            std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
        else if (timeZero)
            std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", t.year, t.month, t.day);
        else
            std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                          t.hour, t.minute, t.second);
        return buf;
    }
    case DBVT_STRING:
    case DBVT_ASTRING:
    case DBVT_WSTRING:
        return v.m_str;
    }
    return {};
}

std::string GetFieldText(const CRecordset& rs, const std::string& name) {
    CDBVariant v;
    if (name.empty())
        rs.GetFieldValue(static_cast<short>(0), v);
    else
        rs.GetFieldValue(name, v);
    return VariantText(v);
}

bool GetFieldDateTime(const CRecordset& rs, const std::string& name, LocalDateTime& value) {
    CDBVariant v;
    rs.GetFieldValue(name, v);
    if (v.m_dwType != DBVT_DATE)
        return false;
    value = LocalDateTime{v.m_date.year,
                          v.m_date.month,
                          v.m_date.day,
                          v.m_date.hour,
                          v.m_date.minute,
                          v.m_date.second,
                          0};
    return true;
}
