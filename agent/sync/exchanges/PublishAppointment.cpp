#include "agent/sync/exchanges/PublishAppointment.h"

#include <cstdlib>

#include "agent/core/CRecordset.h"
#include "agent/core/ClinicSettings.h"
#include "agent/core/FieldText.h"
#include "agent/core/SqlLiterals.h"
#include "agent/sync/support/RecordText.h"
#include "agent/sync/support/SqlFormat.h"
#include "outside/pelmodb/PelmoStatus.h"
#include "platform/Cp932.h"

namespace {

using platform::J;

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
constexpr char kStatusArrived = 1;
constexpr char kStatusStandby = 5;
constexpr char kSecondaryNoShow = 2;

// The patient columns of one reservation.
struct PatientSnapshot {
    std::string key, displayNo, name, kana, birthday, tel, comment, characteristic;
};

PatientSnapshot TakeSnapshot(LocalTables& t, const tagReservation& rec) {
    PatientSnapshot s;
    s.key = RecordText(rec.patientKey);
    if (s.key == kFirstVisitPatientKey) {
        s.displayNo = J("初診相談");
        s.name = RecordText(rec.guestName);
        s.kana = RecordText(rec.guestKana);
        s.birthday = RecordText(rec.guestBirthday);
        s.tel = RecordText(rec.guestTel);
        s.comment = J("Webページからの初診相談患者");
    } else if (!s.key.empty()) {
        if (t.patient.GetPatientData(&t.patient2, s.key) == PelmoStatus::kOk) {
            const tagPatient& p = t.patient.m_rec;
            s.displayNo = RecordText(p.displayNo);
            s.name = RecordText(p.name);
            s.kana = RecordText(p.kana);
            s.birthday = RecordText(p.birthday);
            s.tel = RecordText(p.tel);
            s.comment = RecordText(p.comment);
            s.characteristic = RecordText(t.patient2.m_rec.characteristic);
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

} // namespace

bool PublishAppointment(SyncContext& ctx, int operation, const std::string& key) {
    CDatabase& db = ctx.web.Database();
    LocalTables& t = ctx.tables;
    const int hidePaymant = ctx.settings.Get(settingkeys::kHidePaymant);
    const std::string keyLit = SqlText(key);

    bool isDelete = operation == kAppoDelete;
    bool dropStandbyRow = false; // a deleted standby-state reservation takes its web row along
    std::string recordKey;       // patient key shown with a database error
    std::string statement;
    std::string date, start; // reservation date and start (first_appointments)
    std::string logDate, logTime, logId, logName;

    if (isDelete) {
        if (t.reservation.GetReservationData(key) == PelmoStatus::kOk) {
            recordKey = RecordText(t.reservation.m_rec.patientKey);
            dropStandbyRow = t.reservation.m_rec.status == kStatusStandby;
        }
    } else {
        const int found = t.reservation.GetReservationData(key);
        if (found == PelmoStatus::kNotFound) {
            isDelete = true; // gone locally: take it off the web too
        } else if (found != PelmoStatus::kOk) {
            return false;
        } else {
            const tagReservation& rec = t.reservation.m_rec;
            PatientSnapshot s = TakeSnapshot(t, rec);
            recordKey = s.key;
            date = RecordText(rec.date);
            start = RecordText(rec.start);

            int statusFlag = 4;
            std::string visited, visitedAt = "NULL";
            if (!s.key.empty()) {
                if (rec.status == kStatusArrived) {
                    visited = J("済み");
                    visitedAt = SqlDateTime(date, RecordText(rec.receptionTime));
                } else if (rec.secondaryState == kSecondaryNoShow &&
                           TodayNumber(ctx.clock) > std::atol(date.c_str())) {
                    visited = J("未来院");
                }
            } else {
                statusFlag = 5;
                s.name = J("予約不可枠");
            }

            const std::string unit = RecordText(rec.unit);
            const std::string doctor = RecordText(rec.doctor);
            std::string unitName, doctorName;
            if (t.category.GetCategoryData("1", unit) == PelmoStatus::kOk)
                unitName = RecordText(t.category.m_rec.name);
            if (t.doctor.GetDoctorData(doctor) == PelmoStatus::kOk)
                doctorName = RecordText(t.doctor.m_rec.name);
            const int amount = hidePaymant != 0 ? 0 : rec.amount;

            const std::string values[] = {SqlText(s.key),
                                          SqlText(s.displayNo),
                                          SqlText(s.name),
                                          SqlText(s.kana),
                                          SqlDate(s.birthday),
                                          SqlText(s.tel),
                                          SqlText(s.comment),
                                          SqlText(s.characteristic),
                                          SqlDate(date),
                                          SqlTime(start),
                                          SqlTime(RecordText(rec.end)),
                                          SqlText(unit),
                                          SqlText(unitName),
                                          SqlText(doctor),
                                          SqlText(doctorName),
                                          SqlText(RecordText(rec.type)),
                                          SqlText(RecordText(rec.memo)),
                                          SqlText(visited),
                                          visitedAt,
                                          std::to_string(statusFlag),
                                          std::to_string(amount)};

            bool rowExists = false;
            try {
                CRecordset rs(&db);
                if (!rs.Open(CRecordset::forwardOnly, SqlFormat(kSelect, {keyLit}),
                             CRecordset::readOnly))
                    return false;
                rowExists = !rs.IsEOF();
            } catch (const CDBException&) {
                return false; // the file stays; a lost connection has raised the reconnect flag
            }
            const auto& v = values;
            statement =
                rowExists
                    ? SqlFormat(kUpdate, {v[0],  v[1],  v[2],  v[3],  v[4],  v[5],  v[6],  v[7],
                                          v[8],  v[9],  v[10], v[11], v[12], v[13], v[14], v[15],
                                          v[16], v[17], v[18], v[19], v[20], keyLit})
                    : SqlFormat(kInsert, {keyLit, v[0],  v[1],  v[2],  v[3],  v[4],  v[5],  v[6],
                                          v[7],   v[8],  v[9],  v[10], v[11], v[12], v[13], v[14],
                                          v[15],  v[16], v[17], v[18], v[19], v[20]});
            logDate = DateText(date);
            logTime = HourMinute(TimeText(start));
            logId = s.displayNo;
            logName = s.name;
        }
    }

    if (isDelete) {
        try {
            CRecordset rs(&db);
            if (!rs.Open(CRecordset::forwardOnly, SqlFormat(kSelect, {keyLit}),
                         CRecordset::readOnly))
                return false;
            if (!rs.IsEOF()) {
                statement = SqlFormat(kDelete, {keyLit});
                logId = GetFieldText(rs, "patient_id");
                logName = GetFieldText(rs, "patient_name");
                logDate = GetFieldText(rs, "appo_date");
                logTime = HourMinute(GetFieldText(rs, "appo_start_time"));
            }
        } catch (const CDBException&) {
            return false;
        }
    }

    if (!statement.empty()) {
        try {
            db.ExecuteSQL(statement);
            ctx.log.WriteLog(OperationLog::Info, (isDelete ? J("削除") : J("更新")) + " [" +
                                                     logDate + " " + logTime + "] " + logId + " " +
                                                     logName);
            if (isDelete) {
                const int standby = t.standby.GetReservationStandbyDataFromReservationKey(key);
                if (standby == PelmoStatus::kOk) {
                    // A standby entry still points at it: the request goes back to waiting.
                    db.ExecuteSQL(SqlFormat(kPendingReset, {keyLit}));
                } else if (standby == PelmoStatus::kNotFound) {
                    db.ExecuteSQL(SqlFormat(kPendingDelete, {keyLit}));
                } else {
                    // Unknown whether a standby entry refers to it: leave the web row as it is
                    // rather than delete a patient's waiting request.
                    ctx.log.WriteLog(OperationLog::Error, t.standby.GetLastDBErr(), recordKey);
                }
                db.ExecuteSQL(SqlFormat(kFirstDelete, {keyLit}));
            } else {
                db.ExecuteSQL(SqlFormat(kFirstUpdate, {SqlDate(date), SqlTime(start), keyLit}));
            }
        } catch (const CDBException& e) {
            ctx.log.WriteLog(OperationLog::SqlError, e.m_strError, recordKey);
            return false;
        }
    }

    if (dropStandbyRow) {
        try {
            db.ExecuteSQL(SqlFormat(kPendingDelete, {keyLit}));
        } catch (const CDBException& e) {
            ctx.log.WriteLog(OperationLog::SqlError, e.m_strError, recordKey);
        }
    }
    return true;
}
