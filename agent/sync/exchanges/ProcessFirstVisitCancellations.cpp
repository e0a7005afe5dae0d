#include <vector>

#include "agent/core/CRecordset.h"
#include "agent/core/FieldText.h"
#include "agent/core/SqlLiterals.h"
#include "agent/sync/exchanges/FirstVisitBookings.h"
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
    std::string id, reservationKey, name, kana, tel, date, time, updatedDate;
};

void ReadRows(SyncContext& ctx, const std::string& sql, std::vector<CancelRow>& rows) {
    CRecordset rs(&ctx.web.Database());
    rs.Open(CRecordset::forwardOnly, sql, CRecordset::readOnly);
    for (; !rs.IsEOF(); rs.MoveNext()) {
        CancelRow row;
        row.id = GetFieldText(rs, "id");
        row.reservationKey = GetFieldText(rs, "appo_key");
        row.name = GetFieldText(rs, "name");
        row.kana = GetFieldText(rs, "name_kana");
        row.tel = GetFieldText(rs, "tel");
        row.date = FieldDateYmd(rs, "appo_date");
        row.time = FieldTimeHm(rs, "appo_time");
        row.updatedDate = FieldDateYmd(rs, "updated_at");
        rows.push_back(row);
    }
}

// Cancelled rows whose booking was made locally but whose key never reached the web: the web
// row names no reservation, so only the outstanding links lead to it.
std::string UnansweredCancellations(SyncContext& ctx) {
    std::vector<tagWebLink> open;
    if (ctx.tables.webLink.GetOutstanding(weblink::kFirstAppointments, open) != PelmoStatus::kOk) {
        ctx.log.WriteLog(OperationLog::Error,
                         J("予約テーブルアクセスエラー ") + ctx.tables.webLink.GetLastDBErr());
        return {};
    }
    if (open.empty())
        return {};
    std::string ids;
    for (const tagWebLink& link : open)
        ids += (ids.empty() ? "" : ",") + SqlText(RecText(link.webId));
    return "SELECT * FROM first_appointments WHERE appo_key IS NULL AND cancel_flag=1 AND id IN (" +
           ids + ")";
}

} // namespace

void ProcessFirstVisitCancellations(SyncContext& ctx) {
    std::vector<CancelRow> rows;
    try {
        ReadRows(ctx,
                 "SELECT * FROM first_appointments WHERE (appo_key IS NOT NULL)  AND cancel_flag=1",
                 rows);
        const std::string unanswered = UnansweredCancellations(ctx);
        if (!unanswered.empty())
            ReadRows(ctx, unanswered, rows);
    } catch (const CDBException& e) {
        ctx.log.WriteLog(OperationLog::SqlError, e.m_strError);
        return;
    }

    CReservationDB& book = ctx.tables.reservation;
    for (const CancelRow& row : rows) {
        std::string key = row.reservationKey;
        tagWebLink link;
        const int linked = FindOutstandingLink(ctx, weblink::kFirstAppointments, row.id, link);
        if (IsReadError(linked)) {
            ctx.log.WriteLog(OperationLog::Error, J("予約テーブルアクセスエラー"));
            continue;
        }
        // The web row does not name the booking made for it: the link does.
        const bool keyFromLink = linked == PelmoStatus::kOk && (key.empty() || key == "E");
        if (keyFromLink)
            key = RecText(link.reservationKey);

        const int rc = book.GetReservationData(key);
        if (IsReadError(rc)) {
            ctx.log.WriteLog(OperationLog::Error, J("予約テーブルアクセスエラー"));
            continue;
        }
        // The cancellation was written in an earlier cycle and only its answer is missing.
        const bool repeat = linked == PelmoStatus::kOk && link.action == CWebLinkDB::kCancelled &&
                            RecText(link.reservationKey) == key && rc == PelmoStatus::kOk &&
                            book.m_rec.status != ReservationStatus::kBooked;
        bool wrote = false;
        if (rc == PelmoStatus::kOk && book.m_rec.status == ReservationStatus::kBooked) {
            book.m_rec.status = ReservationStatus::kCancelled;
            SetRecText(book.m_rec.cancelNote,
                       J("Webにてキャンセル ") + row.name + "(" + row.kana + ") TEL:" + row.tel);
            if (!row.updatedDate.empty()) {
                SetRecText(book.m_rec.cancelDate, row.updatedDate);
                SetRecText(book.m_rec.lastChangeDate, row.updatedDate);
            }
            std::string err;
            const tagWebLink made = MakeWebLink(ctx.clock, weblink::kFirstAppointments, row.id,
                                                CWebLinkDB::kCancelled, key);
            if (WriteLinked(
                    ctx, {&book}, made, [&book] { return book.Update(0); }, err) !=
                PelmoStatus::kOk) {
                // Still booked locally: the row keeps cancel_flag 1 for the next cycle.
                ctx.log.WriteLog(OperationLog::Error, J("予約テーブルアクセスエラー ") + err);
                continue;
            }
            wrote = true;
        }
        try {
            ctx.web.Database().ExecuteSQL(
                keyFromLink
                    ? "UPDATE first_appointments SET appo_key=" + SqlText(key) +
                          ",cancel_flag=2 WHERE id=" + SqlText(row.id)
                    : "UPDATE first_appointments SET cancel_flag=2 WHERE id=" + SqlText(row.id));
        } catch (const CDBException& e) {
            ctx.log.WriteLog(OperationLog::SqlError, e.m_strError);
            continue;
        }
        if (wrote || linked == PelmoStatus::kOk)
            ConfirmWebLink(ctx, weblink::kFirstAppointments, row.id);
        ctx.log.WriteLog(OperationLog::WebBooking,
                         J("初診相談予約のキャンセル ") + DottedDate(row.date) + " " +
                             ColonTime(row.time) + " " + row.name + "(" + row.kana +
                             ") TEL:" + row.tel,
                         kFirstVisitPatientKey);
        if (repeat)
            LogRepeatedConfirmation(ctx, OperationLog::WebBooking, J("予約取消"), key,
                                    kFirstVisitPatientKey);
    }
}
