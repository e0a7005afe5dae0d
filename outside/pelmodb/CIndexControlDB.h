#pragma once
// Counters that hand out new keys. The reservation counter gives ten-digit reservation keys
// that no two callers (threads or processes) ever share.
//
// Keys: 0 counter name  kind[21]  21 bytes
#include "CBaseDBCall.h"

#include <cstdint>
#include <string>

struct tagIndexControl {
    char kind[21]; // counter name, "RESERVATION" or "SALE"
    char reserved[3];
    std::int64_t nextValue; // next number the counter hands out
};

class CIndexControlDB : public CBaseDBCall {
public:
    static constexpr const char* kReservation = "RESERVATION";
    static constexpr const char* kSale = "SALE";

    CIndexControlDB(const std::string& folder, int mode);

    static const TableSpec& Spec();

    // Takes the next free reservation key ("%010d"): the counter is advanced in the same
    // transaction, and numbers already used by a reservation are skipped, so the key is this
    // caller's alone whatever Insert later returns. "" on failure (GetLastDBErr).
    std::string GetNexReservationIndex();
    // Confirms the key last taken (it is already committed by GetNexReservationIndex). 0, or
    // 8 when no key was taken.
    int UpdateNext();

    // Takes the next number of any counter (sale numbers: kSale), skipping numbers that are
    // key 0 ("%010d") of a record of usedInTable (when not empty), in one transaction.
    // 0 with value set, else a status.
    int TakeNext(const std::string& kind, std::int64_t& value, const std::string& usedInTable);

    tagIndexControl m_rec{};

private:
    std::string m_lastTaken;
};
