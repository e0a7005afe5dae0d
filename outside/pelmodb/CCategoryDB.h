#pragma once
// Categories: kind "0" appointment types, "1" units (chairs), "2" payment types.
//
// Keys 0 and 1 (the same key): kind, code   kind[2] code[6]   8 bytes
// A record whose unused marker starts with "__" is no longer offered for new choices.
#include "CBaseDBCall.h"

#include <string>

struct tagCategory {
    char kind[2]; // "0", "1" or "2"
    char code[6]; // unit codes are at most 3 characters (reservations hold 3)
    char name[41];
    char unused[5]; // "__" marks an entry no longer in use
};

class CCategoryDB : public CBaseDBCall {
public:
    CCategoryDB(const std::string& folder, int mode);

    static const TableSpec& Spec();

    // Loads the category of that kind and code: 0, or 4 (record cleared).
    int GetCategoryData(std::string_view kind, std::string_view code);

    tagCategory m_rec{};
};
