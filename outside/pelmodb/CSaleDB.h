#pragma once
// Sales (payments).
//
// Keys:
//   0  sale number           saleNo[11]                 11 bytes
//   1  patient key, date     patientKey[11] date[9]     20 bytes (then key 0 order)
#include "CBaseDBCall.h"

#include <cstdint>
#include <string>

struct tagSale {
    char saleNo[11]; // sale number, ten digits
    char patientKey[11];
    char date[9];            // YYYYMMDD
    char reservationKey[11]; // reservation the sale was made from, empty when none
    char paymentType[6];     // payment-type code (category kind "2")
    std::int32_t amount;     // whole yen billed
    std::int32_t amount2;    // second amount (deducted: the amount paid is amount - amount2)
};

class CSaleDB : public CBaseDBCall {
public:
    CSaleDB(const std::string& folder, int mode);

    static const TableSpec& Spec();

    // Loads the sale: 0, or 4 (record cleared).
    int GetSaleData(std::string_view saleNo);

    tagSale m_rec{};
};
