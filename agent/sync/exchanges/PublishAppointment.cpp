#include "agent/sync/exchanges/PublishAppointment.h"

#include <cstdlib>

#include "agent/core/CRecordset.h"
#include "agent/core/ClinicSettings.h"
#include "agent/core/FieldText.h"
#include "agent/core/SqlLiterals.h"
#include "agent/sync/support/FillStatement.h"
#include "outside/pelmodb/PelmoStatus.h"
#include "platform/Cp932.h"
#include "platform/RecordFields.h"

namespace {

using platform::J;
using platform::RecText;

constexpr const char* kSelect = "SELECT * FROM appointments WHERE appo_key=%s";
constexpr const char* kInsert =
    "INSERT INTO "
    "appointments(appo_key,patient_key,patient_id,patient_name,patient_name_kana,patient_birthday,"
    "patient_tel,patient_comment,patient_characteristic,appo_date,appo_start_time,appo_end_time,"
    "unit_id,unit_name,pic_id,pic_name,type,treatment_detail,hospital_visited,hospital_visited_at,"
    "status_flag,amount) "
    "VALUES(%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%d,%d)";
constexpr const char* kUpdate =
    "UPDATE appointments SET "
    "patient_key=%s,patient_id=%s,patient_name=%s,patient_name_kana=%s,patient_birthday=%s,"
    "patient_tel=%s,patient_comment=%s,patient_characteristic=%s,appo_date=%s,appo_start_time=%s,"
    "appo_end_time=%s,unit_id=%s,unit_name=%s,pic_id=%s,pic_name=%s,type=%s,treatment_detail=%s,"
    "hospital_visited=%s,hospital_visited_at=%s,status_flag=%d,amount=%d WHERE appo_key=%s";
constexpr const char* kDelete = "DELETE FROM appointments WHERE appo_key=%s";
constexpr const char* kFirstUpdate =
    "UPDATE first_appointments SET appo_date=%s,appo_time=%s WHERE appo_key=%s";
constexpr const char* kFirstDelete = "DELETE FROM first_appointments WHERE appo_key=%s";
constexpr const char* kPendingReset =
    "UPDATE pending_appointments SET confirmed_flag=0 WHERE appo_key=%s";
constexpr const char* kPendingDelete = "DELETE FROM pending_appointments WHERE appo_key=%s";

const std::string kFirstVisitPatientKey = "++++++++++";
constexpr char kSecondaryNoShow = 2;

// The patient columns of one reservation.
struct PatientSnapshot {
    std::string key, displayNo, name, kana, birthday, tel, comment, characteristic;
};

PatientSnapshot TakeSnapshot(LocalTables& t, const tagReservation& rec) {
    PatientSnapshot s;
    s.key = RecText(rec.patientKey);
    if (s.key == kFirstVisitPatientKey) {
        s.displayNo = J("初診相談");
        s.name = RecText(rec.guestName);
        s.kana = RecText(rec.guestKana);
        s.birthday = RecText(rec.guestBirthday);
        s.tel = RecText(rec.guestTel);
        s.comment = J("Webページからの初診相談患者");
    } else if (!s.key.empty()) {
        if (t.patient.GetPatientData(&t.patient2, s.key) == PelmoStatus::kOk) {
            const tagPatient& p = t.patient.m_rec;
            s.displayNo = RecText(p.displayNo);
            s.name = RecText(p.name);
            s.kana = RecText(p.kana);
            s.birthday = RecText(p.birthday);
            s.tel = RecText(p.tel);
            s.comment = RecText(p.comment);
            s.characteristic = RecText(t.patient2.m_rec.characteristic);
        } else {
            t.patient.ClearRecord();
        }
    }
    return s;
}

long TodayNumber(const platform::Clock& clock) {
    const LocalDateTime now = LocalNow(clock);
    return now.year * 10000L + now.month * 100L + now.day;
}

// The values of one web appointments row (all but its key) as SQL literals.
struct AppointmentRow {
    std::string patientKey, patientId, patientName, patientKana, patientBirthday, patientTel,
        patientComment, patientCharacteristic;
    std::string date, start, end;
    std::string unitId, unitName, doctorId, doctorName;
    std::string type, treatmentDetail, visited, visitedAt, statusFlag, amount;
};

std::string InsertStatement(const std::string& keyLit, const AppointmentRow& v) {
    return FillStatement(kInsert, {keyLit,        v.patientKey,     v.patientId,
                                   v.patientName, v.patientKana,    v.patientBirthday,
                                   v.patientTel,  v.patientComment, v.patientCharacteristic,
                                   v.date,        v.start,          v.end,
                                   v.unitId,      v.unitName,       v.doctorId,
                                   v.doctorName,  v.type,           v.treatmentDetail,
                                   v.visited,     v.visitedAt,      v.statusFlag,
                                   v.amount});
}

std::string UpdateStatement(const std::string& keyLit, const AppointmentRow& v) {
    return FillStatement(kUpdate, {v.patientKey,
                                   v.patientId,
                                   v.patientName,
                                   v.patientKana,
                                   v.patientBirthday,
                                   v.patientTel,
                                   v.patientComment,
                                   v.patientCharacteristic,
                                   v.date,
                                   v.start,
                                   v.end,
                                   v.unitId,
                                   v.unitName,
                                   v.doctorId,
                                   v.doctorName,
                                   v.type,
                                   v.treatmentDetail,
                                   v.visited,
                                   v.visitedAt,
                                   v.statusFlag,
                                   v.amount,
                                   keyLit});
}

// What one run of the exchange sends and logs.
struct Publication {
    bool isDelete = false;
    bool dropStandbyRow = false; // a deleted standby-state reservation takes its web row along
    std::string recordKey;       // patient key shown with a database error
    std::string statement;
    std::string date, start; // reservation date and start (first_appointments)
    std::string logDate, logTime, logId, logName;
};

// The reservation in the record buffer as a web row; reads its patient, unit and doctor.
AppointmentRow ReadAppointment(LocalTables& t, const platform::Clock& clock, int hidePaymant,
                               Publication& p) {
    const tagReservation& rec = t.reservation.m_rec;
    PatientSnapshot s = TakeSnapshot(t, rec);
    p.recordKey = s.key;
    p.date = RecText(rec.date);
    p.start = RecText(rec.start);

    int statusFlag = 4;
    std::string visited, visitedAt = "NULL";
    if (!s.key.empty()) {
        if (rec.status == ReservationStatus::kArrived) {
            visited = J("済み");
            visitedAt = SqlDateTime(p.date, RecText(rec.receptionTime));
        } else if (rec.secondaryState == kSecondaryNoShow &&
                   TodayNumber(clock) > std::atol(p.date.c_str())) {
            visited = J("未来院");
        }
    } else {
        statusFlag = 5;
        s.name = J("予約不可枠");
    }

    const std::string unit = RecText(rec.unit);
    const std::string doctor = RecText(rec.doctor);
    std::string unitName, doctorName;
    if (t.category.GetCategoryData("1", unit) == PelmoStatus::kOk)
        unitName = RecText(t.category.m_rec.name);
    if (t.doctor.GetDoctorData(doctor) == PelmoStatus::kOk)
        doctorName = RecText(t.doctor.m_rec.name);
    const int amount = hidePaymant != 0 ? 0 : rec.amount;

    AppointmentRow v;
    v.patientKey = SqlText(s.key);
    v.patientId = SqlText(s.displayNo);
    v.patientName = SqlText(s.name);
    v.patientKana = SqlText(s.kana);
    v.patientBirthday = SqlDate(s.birthday);
    v.patientTel = SqlText(s.tel);
    v.patientComment = SqlText(s.comment);
    v.patientCharacteristic = SqlText(s.characteristic);
    v.date = SqlDate(p.date);
    v.start = SqlTime(p.start);
    v.end = SqlTime(RecText(rec.end));
    v.unitId = SqlText(unit);
    v.unitName = SqlText(unitName);
    v.doctorId = SqlText(doctor);
    v.doctorName = SqlText(doctorName);
    v.type = SqlText(RecText(rec.type));
    v.treatmentDetail = SqlText(RecText(rec.memo));
    v.visited = SqlText(visited);
    v.visitedAt = visitedAt;
    v.statusFlag = std::to_string(statusFlag);
    v.amount = std::to_string(amount);

    p.logDate = DateText(p.date);
    p.logTime = HourMinute(TimeText(p.start));
    p.logId = s.displayNo;
    p.logName = s.name;
    return v;
}

// The insert or update of the reservation in the record buffer. False when the web row could not
// be looked up.
bool PrepareUpsert(SyncContext& ctx, int hidePaymant, const std::string& keyLit, Publication& p) {
    const AppointmentRow row = ReadAppointment(ctx.tables, ctx.clock, hidePaymant, p);
    bool rowExists = false;
    try {
        CRecordset rs(&ctx.web.Database());
        if (!rs.Open(CRecordset::forwardOnly, FillStatement(kSelect, {keyLit}),
                     CRecordset::readOnly))
            return false;
        rowExists = !rs.IsEOF();
    } catch (const CDBException&) {
        return false; // the file stays; a lost connection has raised the reconnect flag
    }
    p.statement = rowExists ? UpdateStatement(keyLit, row) : InsertStatement(keyLit, row);
    return true;
}

// The delete of the web row, when there is one, logged with the values the web row shows. False
// when it could not be looked up.
bool PrepareDelete(CDatabase& db, const std::string& keyLit, Publication& p) {
    try {
        CRecordset rs(&db);
        if (!rs.Open(CRecordset::forwardOnly, FillStatement(kSelect, {keyLit}),
                     CRecordset::readOnly))
            return false;
        if (!rs.IsEOF()) {
            p.statement = FillStatement(kDelete, {keyLit});
            p.logId = GetFieldText(rs, "patient_id");
            p.logName = GetFieldText(rs, "patient_name");
            p.logDate = GetFieldText(rs, "appo_date");
            p.logTime = HourMinute(GetFieldText(rs, "appo_start_time"));
        }
    } catch (const CDBException&) {
        return false;
    }
    return true;
}

// Sends the statement and keeps the dependent rows in step. False after a failed statement.
bool Send(SyncContext& ctx, const std::string& key, const std::string& keyLit,
          const Publication& p) {
    CDatabase& db = ctx.web.Database();
    CReservationStandbyDB& standbyTable = ctx.tables.standby;
    try {
        db.ExecuteSQL(p.statement);
        ctx.log.WriteLog(OperationLog::Info, (p.isDelete ? J("削除") : J("更新")) + " [" +
                                                 p.logDate + " " + p.logTime + "] " + p.logId +
                                                 " " + p.logName);
        if (p.isDelete) {
            const int standby = standbyTable.GetReservationStandbyDataFromReservationKey(key);
            if (standby == PelmoStatus::kOk) {
                // A standby entry still points at it: the request goes back to waiting.
                db.ExecuteSQL(FillStatement(kPendingReset, {keyLit}));
            } else if (standby == PelmoStatus::kNotFound) {
                db.ExecuteSQL(FillStatement(kPendingDelete, {keyLit}));
            } else {
                // Unknown whether a standby entry refers to it: leave the web row as it is
                // rather than delete a patient's waiting request.
                ctx.log.WriteLog(OperationLog::Error, standbyTable.GetLastDBErr(), p.recordKey);
            }
            db.ExecuteSQL(FillStatement(kFirstDelete, {keyLit}));
        } else {
            db.ExecuteSQL(FillStatement(kFirstUpdate, {SqlDate(p.date), SqlTime(p.start), keyLit}));
        }
    } catch (const CDBException& e) {
        ctx.log.WriteLog(OperationLog::SqlError, e.m_strError, p.recordKey);
        return false;
    }
    return true;
}

} // namespace

bool PublishAppointment(SyncContext& ctx, int operation, const std::string& key) {
    LocalTables& t = ctx.tables;
    const int hidePaymant = ctx.settings.Get(settingkeys::kHidePaymant);
    const std::string keyLit = SqlText(key);

    Publication p;
    p.isDelete = operation == kAppoDelete;
    if (p.isDelete) {
        if (t.reservation.GetReservationData(key) == PelmoStatus::kOk) {
            p.recordKey = RecText(t.reservation.m_rec.patientKey);
            p.dropStandbyRow = t.reservation.m_rec.status == ReservationStatus::kStandby;
        }
    } else {
        const int found = t.reservation.GetReservationData(key);
        if (found == PelmoStatus::kNotFound)
            p.isDelete = true; // gone locally: take it off the web too
        else if (found != PelmoStatus::kOk)
            return false;
        else if (!PrepareUpsert(ctx, hidePaymant, keyLit, p))
            return false;
    }
    if (p.isDelete && !PrepareDelete(ctx.web.Database(), keyLit, p))
        return false;
    if (!p.statement.empty() && !Send(ctx, key, keyLit, p))
        return false;

    if (p.dropStandbyRow) {
        try {
            ctx.web.Database().ExecuteSQL(FillStatement(kPendingDelete, {keyLit}));
        } catch (const CDBException& e) {
            ctx.log.WriteLog(OperationLog::SqlError, e.m_strError, p.recordKey);
        }
    }
    return true;
}
