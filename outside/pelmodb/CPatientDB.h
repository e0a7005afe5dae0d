#pragma once
// Patient master. One record per patient.
//
// Keys:
//   0  patient key    key[11]                 11 bytes
//   1  kana, key      kana[41] key[11]        52 bytes (reading order)
#include "CBaseDBCall.h"

#include <string>

class CPatientDB2;

struct tagPatient {
    char key[11];       // patient key, ten digits ("++++++++++" for the web guest)
    char displayNo[21]; // patient ID shown to the clinic (card number)
    char secondNo[21];  // second number field (for example a chart number)
    char name[41];
    char kana[41];    // reading of the name
    char birthday[9]; // YYYYMMDD
    char tel[21];
    char comment[201];
    char deleted;             // 1: marked deleted
    char webLastLogin[15];    // YYYYMMDDhhmmss of the last app login, empty when never
    char lastFinishedDate[9]; // YYYYMMDD of the last finished visit
    char reserved[4];
};

class CPatientDB : public CBaseDBCall {
public:
    CPatientDB(const std::string& folder, int mode);

    static const TableSpec& Spec();

    // Loads the patient: 0, or 4 (record cleared).
    int GetPatient1Data(std::string_view key);
    // Loads the patient and, into second, its second record (cleared when missing).
    // 0 when the patient exists; 4 clears both records.
    int GetPatientData(CPatientDB2* second, std::string_view key);

    tagPatient m_rec{};
};
