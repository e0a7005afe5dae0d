#pragma once
// The values of one `pending_appointments` row as the standby exchanges write it, the statement
// texts that write it, and running such a statement with its log line.
#include <string>

#include "agent/sync/cycle/SyncContext.h"

struct PendingRow {
    std::string standbyKey; // pending_appo_id; "" -> NULL
    std::string patientKey, patientName, patientKana;
    std::string periodFrom, periodTo; // YYYYMMDD
    int minutes = 0;                  // treatment_time
    std::string type, detail, units, doctors;
    int confirmedFlag = 0;
    std::string bookedDate, bookedStart; // hope_appo_day (YYYYMMDD) / hope_appo_time (HHMM)
    std::string reservationKey;          // appo_key

    std::string Insert() const;
    // UPDATE ... WHERE pending_appo_id=<standbyKey> (pending_appo_id itself is not set).
    std::string UpdateByStandbyKey() const;
    // UPDATE ... WHERE id=<id>, setting pending_appo_id and appo_key.
    std::string UpdateById(long long id) const;
    // UPDATE ... WHERE appo_key=<reservationKey>, setting pending_appo_id.
    std::string UpdateByReservationKey() const;
};

// "SELECT * FROM pending_appointments WHERE <where>": 1 when a row is there, 0 when none, -1 when
// the query could not be opened (the error is logged as "SQLエラー"). row gets the first row's
// type, treatment_time, patient_key and period (YYYYMMDD) when wanted.
struct PendingRowFound {
    std::string type, patientKey, periodFrom, periodTo;
    int minutes = 0;
};
int FindPendingRow(SyncContext& ctx, const std::string& where, PendingRowFound* row = nullptr);

// Runs a statement of the standby publish; on success logs "Info"
// "<削除|更新> [予約待ち from-to] <patient ID> <name>" and returns 1; a database error is logged as
// "SQLエラー" and gives 0.
int RunPendingStatement(SyncContext& ctx, const std::string& sql, bool isDelete,
                        const std::string& periodFrom, const std::string& periodTo,
                        const std::string& patientId, const std::string& patientName);

// A patient as the standby log lines show it: all empty when the key is empty or the patient
// cannot be read.
struct PendingPatient {
    std::string id, name, kana;
};
PendingPatient ReadPendingPatient(SyncContext& ctx, const std::string& patientKey);
