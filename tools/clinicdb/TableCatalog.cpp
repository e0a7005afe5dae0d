#include "TableCatalog.h"

#include "CCategoryDB.h"
#include "CDoctorDB.h"
#include "CIndexControlDB.h"
#include "CMemoDB.h"
#include "COwnerDB.h"
#include "CPatientDB.h"
#include "CPatientDB2.h"
#include "CReservationDB.h"
#include "CReservationStandbyDB.h"
#include "CSaleDB.h"
#include "CSaleItemDB.h"
#include "CWebLinkDB.h"
#include "CWebLogDB.h"

const std::vector<std::string>& TableCatalog::Names() {
    static const std::vector<std::string> names = {
        "reservation", "standby",   "patient",       "patient2", "category", "doctor",  "memo",
        "sale",        "sale_item", "index_control", "owner",    "web_log",  "web_link"};
    return names;
}

std::unique_ptr<CBaseDBCall> TableCatalog::Make(const std::string& name,
                                                const std::string& folder) {
    if (name == "reservation")
        return std::make_unique<CReservationDB>(folder, 1);
    if (name == "standby")
        return std::make_unique<CReservationStandbyDB>(folder, 1);
    if (name == "patient")
        return std::make_unique<CPatientDB>(folder, 1);
    if (name == "patient2")
        return std::make_unique<CPatientDB2>(folder, 1);
    if (name == "category")
        return std::make_unique<CCategoryDB>(folder, 1);
    if (name == "doctor")
        return std::make_unique<CDoctorDB>(folder, 1);
    if (name == "memo")
        return std::make_unique<CMemoDB>(folder, 1);
    if (name == "sale")
        return std::make_unique<CSaleDB>(folder, 1);
    if (name == "sale_item")
        return std::make_unique<CSaleItemDB>(folder, 1);
    if (name == "index_control")
        return std::make_unique<CIndexControlDB>(folder, 1);
    if (name == "owner")
        return std::make_unique<COwnerDB>(folder, 1);
    if (name == "web_log")
        return std::make_unique<CWebLogDB>(folder, 1);
    if (name == "web_link")
        return std::make_unique<CWebLinkDB>(folder, 1);
    return nullptr;
}
