#pragma once
// Second patient table: the patient's characteristics text.
//
// Keys: 0 patient key  key[11]  11 bytes
#include "CBaseDBCall.h"

#include <string>

struct tagPatient2 {
    char key[11];             // patient key
    char characteristic[501]; // characteristics (allergies, cautions, ...)
};

class CPatientDB2 : public CBaseDBCall {
public:
    CPatientDB2(const std::string& folder, int mode);

    static const TableSpec& Spec();

    // Loads the second record of the patient: 0, or 4 (record cleared).
    int GetPatient2Data(std::string_view key);

    tagPatient2 m_rec{};
};
