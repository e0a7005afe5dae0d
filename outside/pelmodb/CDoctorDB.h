#pragma once
// Doctors (persons in charge).
//
// Keys 0 and 1 (the same key): doctor code   code[6]   6 bytes
#include "CBaseDBCall.h"

#include <string>

struct tagDoctor {
    char code[6]; // reservations hold at most 3 characters
    char name[41];
    char kana[41];
    char unused[5]; // "__" marks a doctor no longer in use
};

class CDoctorDB : public CBaseDBCall {
public:
    CDoctorDB(const std::string& folder, int mode);

    static const TableSpec& Spec();

    // Loads the doctor: 0, or 4 (record cleared).
    int GetDoctorData(std::string_view code);

    tagDoctor m_rec{};
};
