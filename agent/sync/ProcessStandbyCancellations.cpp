#include <cstdio>
#include <cstdlib>
#include <vector>

#include "agent/core/CRecordset.h"
#include "agent/core/FieldText.h"
#include "agent/core/SqlLiterals.h"
#include "agent/sync/PendingAppointments.h"
#include "agent/sync/RecordFields.h"
#include "agent/sync/WebValueText.h"
#include "platform/Cp932.h"

using platform::J;

namespace {

struct CancelRow {
    std::string id, reservationKey, from, to, standbyKey;
};

// Puts the patient of a cancelled reservation back on the standby list under the highest
// standby key + 1. The new key, or "" when the entry could not be written.
std::string NewStandbyEntry(SyncContext& ctx, const tagReservation& r, const CancelRow& row) {
    CReservationStandbyDB& standby = ctx.tables.standby;
    long long highest = 0;
    char top[11] = "9999999999";
    standby.SetKey(0);
    standby.SetKeyBuffer(top, 11);
    if (standby.GetLEEQ() == 0)
        highest = std::atoll(RecText(standby.m_rec.key).c_str());

    char key[32];
    std::snprintf(key, sizeof key, "%010lld", highest + 1);
    standby.ClearRecord();
    tagReservationStandby& e = standby.m_rec;
    SetRecText(e.key, key);
    SetRecText(e.patientKey, RecText(r.patientKey));
    SetRecText(e.reservationKey, RecText(r.key));
    SetRecText(e.periodFrom, row.from);
    SetRecText(e.periodTo, row.to);
    SetRecText(e.timeFrom, "0000");
    SetRecText(e.timeTo, "2400");
    SetRecText(e.detail, RecText(r.memo));
    SetRecText(e.type, RecText(r.type));
    SetRecText(e.note, RecText(r.note));
    SetRecText(e.webUpdateDate, RecText(r.webUpdateDate));
    const LocalDateTime now = ctx.clock.LocalNow();
    char today[16];
    std::snprintf(today, sizeof today, "%04d%02d%02d", now.year % 10000, now.month % 100,
                  now.day % 100);
    SetRecText(e.registeredDate, today);
    if (standby.Insert() != 0) {
        ctx.log.WriteLog(OperationLog::Error,
                         J("予約待ちを登録できません ") + standby.GetLastDBErr(),
                         RecText(r.patientKey));
        return {};
    }
    return key;
}

} // namespace

void ProcessStandbyCancellations(SyncContext& ctx) {
    std::vector<CancelRow> rows;
    try {
        CRecordset rs(&ctx.web.Database());
        rs.Open(CRecordset::forwardOnly,
                "SELECT * FROM pending_appointments WHERE confirmed_flag=3", CRecordset::readOnly);
        for (; !rs.IsEOF(); rs.MoveNext()) {
            CancelRow row;
            row.id = GetFieldText(rs, "id");
            row.reservationKey = GetFieldText(rs, "appo_key");
            row.from = FieldDateYmd(rs, "available_period_from");
            row.to = FieldDateYmd(rs, "available_period_to");
            row.standbyKey = GetFieldText(rs, "pending_appo_id");
            rows.push_back(row);
        }
    } catch (const CDBException& e) {
        ctx.log.WriteLog(OperationLog::SqlError, e.m_strError);
        return;
    }

    CReservationDB& book = ctx.tables.reservation;
    for (const CancelRow& row : rows) {
        std::string period = DottedDate(row.from);
        if (!row.to.empty() && row.to != row.from)
            period += " - " + DottedDate(row.to);

        std::string patientKey, patientId = J("未登録"), patientName;
        std::string standbyKey = row.standbyKey;
        const int rc = book.GetReservationData(row.reservationKey);
        if (rc != 0 && rc != 4) {
            // The book cannot be read: reopening the row now could lose the cancellation.
            ctx.log.WriteLog(OperationLog::Error, J("予約テーブルアクセスエラー"));
            continue;
        }
        if (rc == 0) {
            tagReservation r = book.m_rec;
            patientKey = RecText(r.patientKey);
            if (ctx.tables.patient.GetPatient1Data(patientKey) == 0) {
                patientId = RecText(ctx.tables.patient.m_rec.displayNo);
                patientName = RecText(ctx.tables.patient.m_rec.name);
            }
            if (r.status == 0) {
                SetRecText(book.m_rec.cancelNote, J("診察券アプリから予約取り消し"));
                book.m_rec.status = 2;
                book.m_rec.secondaryState = 2;
                if (book.Update(0) != 0) {
                    // Still booked locally: the row waits at 3 so the cancellation is not lost.
                    ctx.log.WriteLog(OperationLog::Error,
                                     J("予約テーブルアクセスエラー ") + book.GetLastDBErr(),
                                     patientKey);
                    continue;
                }
                if (ctx.tables.standby.GetReservationStandbyDataFromReservationKey(
                        row.reservationKey) != 0) {
                    const std::string key = NewStandbyEntry(ctx, book.m_rec, row);
                    if (!key.empty())
                        standbyKey = key;
                }
            }
        }

        const std::string sql =
            "UPDATE pending_appointments SET confirmed_flag=0,pending_appo_id=" +
            SqlText(standbyKey) + " WHERE id=" + SqlText(row.id);
        ctx.log.WriteLog(OperationLog::Cancelled,
                         period + " [" + patientId + " , " + patientName + "]", patientKey);
        try {
            ctx.web.Database().ExecuteSQL(sql);
        } catch (const CDBException& e) {
            ctx.log.WriteLog(OperationLog::SqlError, e.m_strError);
        }
    }
}
