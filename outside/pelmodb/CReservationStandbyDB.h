#pragma once
// Standby list (patients waiting for a date). One record per standby entry.
//
// Keys:
//   0  standby key        key[11]             11 bytes (ten digits, zero-padded)
//   1  reservation key    reservationKey[11]  11 bytes (duplicates allowed, then key 0 order)
#include "CBaseDBCall.h"

#include <string>

struct tagReservationStandby {
    char key[11]; // standby key, "%010d"
    char patientKey[11];
    char periodFrom[9];      // YYYYMMDD
    char periodTo[9];        // YYYYMMDD
    char timeFrom[5];        // HHMM
    char timeTo[5];          // HHMM ("2400" allowed)
    char reservationKey[11]; // the reservation it led to or was made from
    char detail[201];        // treatment detail
    char type[6];            // appointment type code
    char webUpdateDate[9];   // YYYYMMDD
    char registeredDate[9];  // YYYYMMDD
    char note[101];          // further text carried over from the reservation
};

class CReservationStandbyDB : public CBaseDBCall {
public:
    CReservationStandbyDB(const std::string& folder, int mode);

    static const TableSpec& Spec();

    // Loads the entry with that standby key: 0, or 4 (record cleared).
    int GetReservationStandbyData(std::string_view key);
    // Loads the first entry (key 0 order) whose reservation key equals key: 0, or 4.
    int GetReservationStandbyDataFromReservationKey(std::string_view reservationKey);

    // flag: accepted for the callers; no effect on how the record is stored.
    using CBaseDBCall::Update;
    int Update(int flag);

    tagReservationStandby m_rec{};
};
