#include <vector>

#include "agent/core/CRecordset.h"
#include "agent/core/FieldText.h"
#include "agent/core/SqlLiterals.h"
#include "agent/sync/FirstVisitBookings.h"
#include "agent/sync/RecordFields.h"
#include "agent/sync/WebValueText.h"
#include "platform/Cp932.h"

using platform::J;

namespace {

struct CancelRow {
    std::string id, reservationKey, name, kana, tel, date, time, updatedDate;
};

} // namespace

void ProcessFirstVisitCancellations(SyncContext& ctx) {
    std::vector<CancelRow> rows;
    try {
        CRecordset rs(&ctx.web.Database());
        rs.Open(CRecordset::forwardOnly,
                "SELECT * FROM first_appointments WHERE (appo_key IS NOT NULL)  AND cancel_flag=1",
                CRecordset::readOnly);
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
    } catch (const CDBException& e) {
        ctx.log.WriteLog(OperationLog::SqlError, e.m_strError);
        return;
    }

    CReservationDB& book = ctx.tables.reservation;
    for (const CancelRow& row : rows) {
        const int rc = book.GetReservationData(row.reservationKey);
        if (rc != 0 && rc != 4) {
            ctx.log.WriteLog(OperationLog::Error, J("予約テーブルアクセスエラー"));
            continue;
        }
        if (rc == 0 && book.m_rec.status == 0) {
            book.m_rec.status = 2;
            SetRecText(book.m_rec.cancelNote,
                       J("Webにてキャンセル ") + row.name + "(" + row.kana + ") TEL:" + row.tel);
            if (!row.updatedDate.empty()) {
                SetRecText(book.m_rec.cancelDate, row.updatedDate);
                SetRecText(book.m_rec.lastChangeDate, row.updatedDate);
            }
            if (book.Update(0) != 0) {
                // Still booked locally: the row keeps cancel_flag 1 for the next cycle.
                ctx.log.WriteLog(OperationLog::Error,
                                 J("予約テーブルアクセスエラー ") + book.GetLastDBErr());
                continue;
            }
        }
        try {
            ctx.web.Database().ExecuteSQL("UPDATE first_appointments SET cancel_flag=2 WHERE id=" +
                                          SqlText(row.id));
        } catch (const CDBException& e) {
            ctx.log.WriteLog(OperationLog::SqlError, e.m_strError);
            continue;
        }
        ctx.log.WriteLog(OperationLog::WebBooking,
                         J("初診相談予約のキャンセル ") + DottedDate(row.date) + " " +
                             ColonTime(row.time) + " " + row.name + "(" + row.kana +
                             ") TEL:" + row.tel,
                         kFirstVisitPatientKey);
    }
}
