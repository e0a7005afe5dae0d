#pragma once
// One patient of the patient directory (CP932 texts), as the patient search lists it.
#include <string>

struct tagPatientInfo {
    std::string key;       // patient key
    std::string displayNo; // patient ID shown to the clinic
    std::string name;
    std::string kana;
    int age = 0;          // whole years today; 0 without a valid birth date
    std::string birthday; // YYYYMMDD
    std::string tel;
    std::string comment;
    std::string characteristic; // from the second patient record
    std::string webLastLogin;   // "YYYY-MM-DD HH:MM:SS", empty when the web has none
    bool deleted = false;       // the patient record is marked deleted
};
