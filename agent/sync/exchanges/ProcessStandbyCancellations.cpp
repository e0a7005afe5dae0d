#include <cstdio>
#include <cstdlib>
#include <vector>

#include "agent/core/CRecordset.h"
#include "agent/core/FieldText.h"
#include "agent/core/SqlLiterals.h"
#include "agent/sync/exchanges/PendingAppointments.h"
#include "agent/sync/support/WebLinks.h"
#include "agent/sync/support/WebValueText.h"
#include "outside/pelmodb/PelmoStatus.h"
#include "platform/Cp932.h"
#include "platform/RecordFields.h"

using platform::J;
using platform::RecText;
using platform::SetRecText;

namespace {

struct CancelRow {
    std::string id, reservationKey, from, to, standbyKey;
};

// Puts the patient of a cancelled reservation back on the standby list under the highest
// standby key + 1. The new key, or "" with err set when the entry could not be written. Runs
// inside the cancellation's transaction, so it does not log, and no other writer can take the
// same key meanwhile.
std::string NewStandbyEntry(SyncContext& ctx, const tagReservation& r, const CancelRow& row,
                            std::string& err) {
    CReservationStandbyDB& standby = ctx.tables.standby;
    long long highest = 0;
    char top[11] = "9999999999";
    standby.SetKey(0);
    standby.SetKeyBuffer(top, 11);
    if (standby.GetLEEQ() == PelmoStatus::kOk)
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
    const LocalDateTime now = LocalNow(ctx.clock);
    char today[16];
    std::snprintf(today, sizeof today, "%04d%02d%02d", now.year % 10000, now.month % 100,
                  now.day % 100);
    SetRecText(e.registeredDate, today);
    if (standby.Insert() != PelmoStatus::kOk) {
        err = standby.GetLastDBErr();
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

        tagWebLink link;
        const int linked = FindOutstandingLink(ctx, weblink::kPendingAppointments, row.id, link);
        if (IsReadError(linked)) {
            ctx.log.WriteLog(OperationLog::Error, J("予約テーブルアクセスエラー"));
            continue;
        }
        // A row that does not name the reservation booked for it: the link does.
        std::string reservationKey = row.reservationKey;
        const bool keyFromLink = linked == PelmoStatus::kOk && reservationKey.empty();
        if (keyFromLink)
            reservationKey = RecText(link.reservationKey);

        std::string patientKey, patientId = J("未登録"), patientName;
        std::string standbyKey = row.standbyKey;
        const int rc = book.GetReservationData(reservationKey);
        if (IsReadError(rc)) {
            // The book cannot be read: reopening the row now could lose the cancellation.
            ctx.log.WriteLog(OperationLog::Error, J("予約テーブルアクセスエラー"));
            continue;
        }
        bool wrote = false, repeat = false;
        if (rc == PelmoStatus::kOk) {
            tagReservation r = book.m_rec;
            patientKey = RecText(r.patientKey);
            if (ctx.tables.patient.GetPatient1Data(patientKey) == PelmoStatus::kOk) {
                patientId = RecText(ctx.tables.patient.m_rec.displayNo);
                patientName = RecText(ctx.tables.patient.m_rec.name);
            }
            // Cancelled in an earlier cycle whose answer never reached the web: the answer
            // names the standby entry made then.
            repeat = linked == PelmoStatus::kOk && link.action == CWebLinkDB::kCancelled &&
                     RecText(link.reservationKey) == reservationKey &&
                     r.status != ReservationStatus::kBooked;
            if (repeat && link.standbyKey[0] != '\0')
                standbyKey = RecText(link.standbyKey);
            if (r.status == ReservationStatus::kBooked) {
                SetRecText(book.m_rec.cancelNote, J("診察券アプリから予約取り消し"));
                book.m_rec.status = ReservationStatus::kCancelled;
                book.m_rec.secondaryState = 2;
                tagWebLink made = MakeWebLink(ctx.clock, weblink::kPendingAppointments, row.id,
                                              CWebLinkDB::kCancelled, reservationKey);
                std::string err, standbyErr;
                // The cancellation, the new standby entry and the link are written together.
                const int written = WriteLinked(
                    ctx, {&book, &ctx.tables.standby}, made,
                    [&] {
                        const int updated = book.Update(0);
                        if (updated != PelmoStatus::kOk)
                            return updated;
                        if (ctx.tables.standby.GetReservationStandbyDataFromReservationKey(
                                reservationKey) != PelmoStatus::kOk)
                            SetRecText(made.standbyKey,
                                       NewStandbyEntry(ctx, book.m_rec, row, standbyErr));
                        return PelmoStatus::kOk;
                    },
                    err);
                if (written != 0) {
                    // Still booked locally: the row waits at 3 so the cancellation is not lost.
                    ctx.log.WriteLog(OperationLog::Error, J("予約テーブルアクセスエラー ") + err,
                                     patientKey);
                    continue;
                }
                if (!standbyErr.empty())
                    ctx.log.WriteLog(OperationLog::Error,
                                     J("予約待ちを登録できません ") + standbyErr, patientKey);
                if (made.standbyKey[0] != '\0')
                    standbyKey = RecText(made.standbyKey);
                wrote = true;
            }
        }

        const std::string sql =
            "UPDATE pending_appointments SET confirmed_flag=0,pending_appo_id=" +
            SqlText(standbyKey) +
            (keyFromLink ? ",appo_key=" + SqlText(reservationKey) : std::string()) +
            " WHERE id=" + SqlText(row.id);
        ctx.log.WriteLog(OperationLog::Cancelled,
                         period + " [" + patientId + " , " + patientName + "]", patientKey);
        try {
            ctx.web.Database().ExecuteSQL(sql);
        } catch (const CDBException& e) {
            ctx.log.WriteLog(OperationLog::SqlError, e.m_strError);
            continue;
        }
        if (wrote || linked == PelmoStatus::kOk)
            ConfirmWebLink(ctx, weblink::kPendingAppointments, row.id);
        if (repeat)
            LogRepeatedConfirmation(ctx, OperationLog::Cancelled, J("予約取消"), reservationKey,
                                    patientKey);
    }
}
