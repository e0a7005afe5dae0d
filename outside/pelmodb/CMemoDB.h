#pragma once
// Treatment records and memos of patients.
//
// Keys: 0 patient key, memo number   patientKey[11] memoNo[11]   22 bytes
#include "CBaseDBCall.h"

#include <string>

struct tagMemo {
    char patientKey[11];
    char memoNo[11];    // memo (treatment) number
    char date[9];       // YYYYMMDD of the treatment
    char updateDate[9]; // YYYYMMDD of the last change
    char text[1001];    // memo text (lines separated by CR LF)
    char reserved[7];
};

class CMemoDB : public CBaseDBCall {
public:
    CMemoDB(const std::string& folder, int mode);

    static const TableSpec& Spec();

    // Loads the memo: 0, or 4 (record cleared).
    int GetMemoData(std::string_view patientKey, std::string_view memoNo);

    tagMemo m_rec{};
};
