#pragma once
// Publishing one patient's master data into the web table patient_infos (one row per patient
// key): UPDATE when the row exists, INSERT otherwise.
#include <string>

#include "agent/sync/bulk/BulkRows.h"
#include "outside/pelmodb/CPatientDB.h"
#include "outside/pelmodb/CPatientDB2.h"

class OperationLog;
class WebSession;

// Results of PublishPatient (and of the other single-row publishes of the bulk sends).
enum PublishResult : int {
    kPublishLost = -1,   // the web connection was lost; the row may be sent again after a reconnect
    kPublishFailed = 0,  // any other failure (logged)
    kPublishUpdated = 1, // the existing row was updated
    kPublishAdded = 2,   // a new row was inserted
};

// The display number as the web shows it: trailing blanks removed, then by showIdCut
// ("COMMON"/"SHOWID_CUT"): 1 drops trailing double-byte characters (and the blanks before them)
// while more than one byte is left; 2 keeps only the ASCII digits of the half-width form; any
// other value leaves it as it is.
std::string CutDisplayNumber(std::string displayNo, int showIdCut);

// Sends patient (with its second record; a cleared second record sends no characteristics).
// REQUIRES: web open. A database error is logged as "SQLエラー" (reference: the patient key);
// the result is then kPublishLost when it says the connection is gone, else kPublishFailed.
int PublishPatient(WebSession& web, OperationLog& log, const tagPatient& patient,
                   const tagPatient2& second, int showIdCut);

// patient_infos as the bulk send writes it, and one patient's row with exactly the literals
// PublishPatient sends.
BulkRows::Table PatientBulkTable();
BulkRows::Row PatientBulkRow(const tagPatient& patient, const tagPatient2& second, int showIdCut);
