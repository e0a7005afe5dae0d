#pragma once
// A patient entry file (*.pat): its name without folder and extension is the patient key; the
// content is not read.
#include <string>

#include "agent/sync/cycle/SyncContext.h"

// Publishes the patient (PublishPatient with the cycle's SHOWID_CUT), logs "患者送信(...)" under
// "Info" and refreshes the patient's entry of the patient directory. True (delete the file) for
// an empty key and whenever the web answered or the connection was lost; false while the patient
// is not in the local database (the file stays until it is) or when the publish failed.
bool ProcessPatientEntry(SyncContext& ctx, const std::string& path);
