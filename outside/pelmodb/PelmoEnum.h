#pragma once
// Data side of the resource lists of the dialogs (units, doctors, appointment types): the
// entries a combo box shows, in key order, honouring the unused marker.
#include <string>
#include <string_view>
#include <vector>

class CPelmoDBSys;

struct PelmoEnumEntry {
    std::string code; // CP932
    std::string name; // CP932
    // Item data of the entry: for units and types the kind, ',' and the code ("1,01"), so the
    // code starts at the third character; for doctors the code itself. "" for the empty entry.
    std::string data;
    bool selected = false;
};

class PelmoEnum {
public:
    // Entries whose unused marker starts with "__" are left out unless their code is
    // selectedCode. flag nonzero: the list starts with an empty entry (no choice); it is the
    // selected one when selectedCode is empty. 0 with entries filled, else a PelmoStatus value
    // (text in err).
    static int EnumUnit(CPelmoDBSys* sys, std::string_view selectedCode, int flag,
                        std::vector<PelmoEnumEntry>& entries, std::string& err);
    static int EnumDoctor(CPelmoDBSys* sys, std::string_view selectedCode, int flag,
                          std::vector<PelmoEnumEntry>& entries, std::string& err);
    static int EnumReservationType(CPelmoDBSys* sys, std::string_view selectedCode, int flag,
                                   std::vector<PelmoEnumEntry>& entries, std::string& err);
};
