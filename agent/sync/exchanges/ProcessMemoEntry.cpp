#include "agent/sync/exchanges/ProcessMemoEntry.h"

#include <cstring>
#include <vector>

#include "agent/core/CDBException.h"
#include "agent/core/SqlLiterals.h"
#include "agent/sync/exchanges/PublishMemo.h"
#include "agent/sync/support/FillStatement.h"
#include "agent/sync/support/PublishHelpers.h"
#include "outside/pelmodb/PelmoStatus.h"
#include "platform/Cp932.h"
#include "platform/RecordFields.h"

using platform::J;
using platform::RecText;

namespace {

constexpr const char* kDeleteTreatment =
    "DELETE FROM treatment_details WHERE patient_key=%s AND treatment_id=%s";
constexpr const char* kSelectTreatment =
    "SELECT * FROM treatment_details WHERE patient_key=%s AND treatment_id=%s";
constexpr const char* kUpdateTreatment =
    "UPDATE treatment_details SET treatment_date=%s,appo_type=%s,treatment_details=%s,"
    "updated_at=%s WHERE patient_key=%s AND treatment_id=%s";
constexpr const char* kInsertTreatment =
    "INSERT INTO treatment_details(patient_key,treatment_id,treatment_date,appo_type,"
    "treatment_details,created_at,updated_at) VALUES(%s,%s,%s,%s,%s,%s,%s)";
constexpr const char* kDeleteMemo = "DELETE FROM memo WHERE patient_key=%s AND treatment_id=%s";

} // namespace

bool ArrivedAppointmentType(CReservationDB& reservation, const std::string& patientKey,
                            const std::string& date, std::string& type) {
    type.clear();
    // Key 2: patientKey[21] date[9] start[5]; the start stays zero so the walk begins with the
    // day's first reservation.
    char key[35] = {};
    std::memcpy(key, patientKey.data(), std::min<size_t>(patientKey.size(), 20));
    std::memcpy(key + 21, date.data(), std::min<size_t>(date.size(), 8));
    reservation.SetKey(2);
    reservation.SetKeyBuffer(key, sizeof key);
    int rc = reservation.GetGREQ();
    while (rc == PelmoStatus::kOk) {
        const tagReservation& r = reservation.m_rec;
        if (RecText(r.patientKey) != patientKey || RecText(r.date) != date)
            return true;
        if (r.status == ReservationStatus::kArrived) {
            type = RecText(r.type);
            return true;
        }
        rc = reservation.GetNEXT();
    }
    return rc == PelmoStatus::kEndOfFile;
}

bool ProcessMemoEntry(SyncContext& ctx, const std::string& path) {
    std::vector<std::string> lines;
    bool done = false;
    if (!ReadEntryForPublish(ctx.log, path, lines, done))
        return done;
    const std::string word = lines.empty() ? std::string() : lines[0];
    const bool remove = word == "DELETE";
    const bool memoOnly = word == "MEMO";
    if (!remove && !memoOnly && word != "INSERT" && word != "UPDATE")
        return true;
    const std::string patientKey = EntryValue(lines, 1, "PatientReg=");
    const std::string memoNo = EntryValue(lines, 2, "MemoNo=");
    if (patientKey.empty() || memoNo.empty())
        return true;
    const std::string key = SqlText(patientKey);
    const std::string number = SqlText(memoNo);
    CDatabase& db = ctx.web.Database();

    std::string statementA;
    std::string statementB;
    std::string prefix;
    try {
        if (remove) {
            statementA = FillStatement(kDeleteTreatment, {key, number});
            statementB = FillStatement(kDeleteMemo, {key, number});
            prefix = J("治療履歴削除 [reg=");
        } else {
            CMemoDB& memo = ctx.tables.memo;
            const int rc = memo.GetMemoData(patientKey, memoNo);
            if (rc == PelmoStatus::kNotFound)
                return true; // gone locally: nothing to publish
            if (rc != PelmoStatus::kOk) {
                ctx.log.WriteLog(OperationLog::Error, memo.GetLastDBErr(), patientKey);
                return false;
            }
            const tagMemo rec = memo.m_rec;
            prefix = J("治療履歴更新 [reg=");
            if (memoOnly) {
                // A memo-only record has no treatment row: one sent earlier goes.
                statementA = FillStatement(kDeleteTreatment, {key, number});
            } else {
                bool opened = false;
                const bool exists =
                    WebRowExists(db, FillStatement(kSelectTreatment, {key, number}), &opened);
                if (!opened)
                    return false;
                std::string type;
                if (!ArrivedAppointmentType(ctx.tables.reservation, patientKey, RecText(rec.date),
                                            type)) {
                    ctx.log.WriteLog(OperationLog::Error, ctx.tables.reservation.GetLastDBErr(),
                                     patientKey);
                    return false;
                }
                const std::string date = SqlDate(RecText(rec.date));
                const std::string appoType = SqlText(type);
                const std::string text = SqlText(RecText(rec.text));
                const std::string updated = SqlDate(RecText(rec.updateDate));
                statementA = exists ? FillStatement(kUpdateTreatment,
                                                    {date, appoType, text, updated, key, number})
                                    : FillStatement(kInsertTreatment, {key, number, date, appoType,
                                                                       text, updated, updated});
            }
            try {
                statementB = MemoRowStatement(db, rec);
            } catch (const CDBException&) {
                // Without the lookup the memo row waits for a later send; the treatment row
                // still goes.
            }
        }
    } catch (const CDBException& e) {
        ctx.log.WriteLog(OperationLog::SqlError, e.m_strError, patientKey);
        return false;
    }

    bool result = true;
    if (!statementA.empty()) {
        try {
            db.ExecuteSQL(statementA);
            ctx.log.WriteLog(OperationLog::Info, prefix + patientKey + ":" + memoNo + "]",
                             patientKey);
        } catch (const CDBException& e) {
            ctx.log.WriteLog(OperationLog::SqlError, e.m_strError, patientKey);
            result = false;
        }
    }
    if (!statementB.empty()) {
        try {
            db.ExecuteSQL(statementB);
        } catch (const CDBException&) {
            // The memo row is a copy for the app; the treatment row decides the file's fate.
        }
    }
    return result;
}
