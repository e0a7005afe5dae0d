#pragma once
// A treatment entry file (*.memo): line 1 "INSERT", "UPDATE" (treatment record and memo), "MEMO"
// (memo only) or "DELETE"; line 2 "PatientReg=" and the patient key; line 3 "MemoNo=" and the
// memo number. Publishes into the web tables treatment_details and memo (key patient_key +
// treatment_id).
#include <string>

#include "agent/sync/cycle/SyncContext.h"

class CReservationDB;

// The appointment type code of the patient's arrived (status 1) reservation on that date, found
// through reservation key 2; empty when there is none. False on a local read error.
bool ArrivedAppointmentType(CReservationDB& reservation, const std::string& patientKey,
                            const std::string& date, std::string& type);

// The treatment row (statement A) decides the outcome: true (delete the file) when it was written
// or deleted, and for files that ask for nothing (unknown word, key or number missing, a memo no
// longer in the local database); false on its database error ("SQLエラー"), a local read error
// ("エラー") or a file that cannot be read. The memo row (statement B) follows in its own guard:
// its failure is silent and changes nothing.
bool ProcessMemoEntry(SyncContext& ctx, const std::string& path);
