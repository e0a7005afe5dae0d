#pragma once
// The tables clinicdb knows by name, and a record object for each.
#include "CBaseDBCall.h"

#include <memory>
#include <string>
#include <vector>

class TableCatalog {
public:
    // Table names as typed on the command line (reservation, standby, patient, patient2,
    // category, doctor, memo, sale, sale_item, index_control, owner, web_log,
    // web_link).
    static const std::vector<std::string>& Names();
    // A record object of the table on folder, or null for an unknown name.
    static std::unique_ptr<CBaseDBCall> Make(const std::string& name, const std::string& folder);
};
