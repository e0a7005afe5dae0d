#pragma once
// Items of a sale.
//
// Keys: 0 sale number, item number   saleNo[11] itemNo[5]   16 bytes
// All items of one sale are adjacent: GetGREQ on the sale number (item bytes zero), then
// GetNEXT while saleNo matches.
#include "CBaseDBCall.h"

#include <cstdint>
#include <string>

struct tagSaleItem {
    char saleNo[11];
    char itemNo[5]; // "0001", "0002", ...
    char name[81];  // item name
    char reserved[3];
    std::int32_t amount; // whole yen
    std::int32_t quantity;
};

class CSaleItemDB : public CBaseDBCall {
public:
    CSaleItemDB(const std::string& folder, int mode);

    static const TableSpec& Spec();

    tagSaleItem m_rec{};
};
