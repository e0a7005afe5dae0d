#include "agent/sync/support/PendingRow.h"

#include <cstdlib>

#include "agent/core/CRecordset.h"
#include "agent/core/FieldText.h"
#include "agent/core/SqlLiterals.h"
#include "agent/sync/support/WebValueText.h"
#include "outside/pelmodb/PelmoStatus.h"
#include "platform/Cp932.h"
#include "platform/RecordFields.h"

using platform::J;

using platform::RecText;

namespace {

std::string CommonSet(const PendingRow& r) {
    return "patient_key=" + SqlText(r.patientKey) + ",patient_name=" + SqlText(r.patientName) +
           ",patient_name_kana=" + SqlText(r.patientKana) +
           ",available_period_from=" + SqlDate(r.periodFrom) +
           ",available_period_to=" + SqlDate(r.periodTo) +
           ",treatment_time=" + std::to_string(r.minutes) + ",type=" + SqlText(r.type) +
           ",treatment_detail=" + SqlText(r.detail) + ",available_unit_id=" + SqlText(r.units) +
           ",available_pic_id=" + SqlText(r.doctors) +
           ",confirmed_flag=" + std::to_string(r.confirmedFlag) +
           ",hope_appo_day=" + SqlDate(r.bookedDate) + ",hope_appo_time=" + SqlTime(r.bookedStart);
}

} // namespace

std::string PendingRow::Insert() const {
    return "INSERT INTO pending_appointments(pending_appo_id,patient_key,patient_name,"
           "patient_name_kana,available_period_from,available_period_to,treatment_time,type,"
           "treatment_detail,available_unit_id,available_pic_id,confirmed_flag,hope_appo_day,"
           "hope_appo_time,appo_key) VALUES(" +
           SqlText(standbyKey) + "," + SqlText(patientKey) + "," + SqlText(patientName) + "," +
           SqlText(patientKana) + "," + SqlDate(periodFrom) + "," + SqlDate(periodTo) + "," +
           std::to_string(minutes) + "," + SqlText(type) + "," + SqlText(detail) + "," +
           SqlText(units) + "," + SqlText(doctors) + "," + std::to_string(confirmedFlag) + "," +
           SqlDate(bookedDate) + "," + SqlTime(bookedStart) + "," + SqlText(reservationKey) + ")";
}

std::string PendingRow::UpdateByStandbyKey() const {
    return "UPDATE pending_appointments SET " + CommonSet(*this) +
           ",appo_key=" + SqlText(reservationKey) + " WHERE pending_appo_id=" + SqlText(standbyKey);
}

std::string PendingRow::UpdateById(long long id) const {
    return "UPDATE pending_appointments SET " + CommonSet(*this) +
           ",pending_appo_id=" + SqlText(standbyKey) + ",appo_key=" + SqlText(reservationKey) +
           " WHERE id=" + std::to_string(id);
}

std::string PendingRow::UpdateByReservationKey() const {
    return "UPDATE pending_appointments SET " + CommonSet(*this) +
           ",pending_appo_id=" + SqlText(standbyKey) + " WHERE appo_key=" + SqlText(reservationKey);
}

int FindPendingRow(SyncContext& ctx, const std::string& where, PendingRowFound* row) {
    try {
        CRecordset rs(&ctx.web.Database());
        rs.Open(CRecordset::forwardOnly, "SELECT * FROM pending_appointments WHERE " + where,
                CRecordset::readOnly);
        if (rs.IsEOF())
            return 0;
        if (row) {
            row->type = GetFieldText(rs, "type");
            row->minutes = static_cast<int>(
                std::strtol(GetFieldText(rs, "treatment_time").c_str(), nullptr, 10));
            row->patientKey = GetFieldText(rs, "patient_key");
            row->periodFrom = FieldDateYmd(rs, "available_period_from");
            row->periodTo = FieldDateYmd(rs, "available_period_to");
        }
        return 1;
    } catch (const CDBException& e) {
        ctx.log.WriteLog(OperationLog::SqlError, e.m_strError);
        return -1;
    }
}

int RunPendingStatement(SyncContext& ctx, const std::string& sql, bool isDelete,
                        const std::string& periodFrom, const std::string& periodTo,
                        const std::string& patientId, const std::string& patientName) {
    try {
        ctx.web.Database().ExecuteSQL(sql);
    } catch (const CDBException& e) {
        ctx.log.WriteLog(OperationLog::SqlError, e.m_strError);
        return 0;
    }
    ctx.log.WriteLog(OperationLog::Info, J(isDelete ? "削除" : "更新") + " [" + J("予約待ち ") +
                                             DottedDate(periodFrom) + "-" + DottedDate(periodTo) +
                                             "] " + patientId + " " + patientName);
    return 1;
}

PendingPatient ReadPendingPatient(SyncContext& ctx, const std::string& patientKey) {
    PendingPatient p;
    if (patientKey.empty())
        return p;
    CPatientDB& patients = ctx.tables.patient;
    if (patients.GetPatientData(&ctx.tables.patient2, patientKey) != PelmoStatus::kOk)
        return p;
    p.id = RecText(patients.m_rec.displayNo);
    p.name = RecText(patients.m_rec.name);
    p.kana = RecText(patients.m_rec.kana);
    return p;
}
