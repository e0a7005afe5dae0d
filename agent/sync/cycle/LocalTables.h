#pragma once
// The local tables one cycle opens for its exchanges (constructed per cycle, bound to no shared
// database-system handle, released at the cycle's end).
#include <string>

#include "outside/pelmodb/CCategoryDB.h"
#include "outside/pelmodb/CDoctorDB.h"
#include "outside/pelmodb/CIndexControlDB.h"
#include "outside/pelmodb/CMemoDB.h"
#include "outside/pelmodb/CPatientDB.h"
#include "outside/pelmodb/CPatientDB2.h"
#include "outside/pelmodb/CReservationDB.h"
#include "outside/pelmodb/CReservationStandbyDB.h"
#include "outside/pelmodb/CSaleDB.h"
#include "outside/pelmodb/CSaleItemDB.h"
#include "outside/pelmodb/CWebLinkDB.h"

struct LocalTables {
    explicit LocalTables(const std::string& folder)
        : reservation(folder, 1), doctor(folder, 1), category(folder, 1), patient(folder, 1),
          patient2(folder, 1), index(folder, 1), standby(folder, 1), sale(folder, 1),
          saleItem(folder, 1), memo(folder, 1), webLink(folder, 1) {
        for (CBaseDBCall* t :
             {static_cast<CBaseDBCall*>(&reservation), static_cast<CBaseDBCall*>(&doctor),
              static_cast<CBaseDBCall*>(&category), static_cast<CBaseDBCall*>(&patient),
              static_cast<CBaseDBCall*>(&patient2), static_cast<CBaseDBCall*>(&index),
              static_cast<CBaseDBCall*>(&standby), static_cast<CBaseDBCall*>(&sale),
              static_cast<CBaseDBCall*>(&saleItem), static_cast<CBaseDBCall*>(&memo),
              static_cast<CBaseDBCall*>(&webLink)})
            t->SetAssociatedDB(nullptr);
    }

    CReservationDB reservation;
    CDoctorDB doctor;
    CCategoryDB category;
    CPatientDB patient;
    CPatientDB2 patient2;
    CIndexControlDB index;
    CReservationStandbyDB standby;
    CSaleDB sale;
    CSaleItemDB saleItem;
    CMemoDB memo;
    CWebLinkDB webLink; // which web row caused which local change (see WebLinks.h)
};
