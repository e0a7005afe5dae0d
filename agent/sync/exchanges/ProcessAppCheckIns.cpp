#include "agent/sync/exchanges/ProcessAppCheckIns.h"

#include <cstring>
#include <optional>

#include "agent/core/CDBException.h"
#include "agent/core/CRecordset.h"
#include "agent/core/FieldText.h"
#include "agent/core/SqlLiterals.h"
#include "agent/sync/support/WebLinks.h"
#include "outside/pelmodb/CPelmoSubTools.h"
#include "outside/pelmodb/PelmoStatus.h"
#include "platform/Cp932.h"
#include "platform/FormatNumbers.h"
#include "platform/RecordFields.h"

using platform::FormatNumbers;
using platform::J;
using platform::RecText;
using platform::SetRecText;

namespace {

const char* const kSelect = "SELECT * FROM appointments WHERE hospital_visited='CHK' AND "
                            "appo_date=DATE(CONVERT_TZ(CURRENT_TIME,'UTC','Asia/Tokyo'))";

struct CheckInRow {
    std::string appoKey;
    std::optional<LocalDateTime> visitedAt;
};

// A sale made earlier for this reservation whose number the reservation does not carry (any
// program may have made it): its number, or empty.
std::string FindSaleOfReservation(CSaleDB& sale, const tagReservation& res) {
    char key[20] = {};
    std::memcpy(key, res.patientKey, std::min<std::size_t>(strnlen(res.patientKey, 20), 10));
    std::memcpy(key + 11, res.date, strnlen(res.date, 8));
    if (sale.SetKey(1) != PelmoStatus::kOk ||
        sale.SetKeyBuffer(key, sizeof key) != PelmoStatus::kOk)
        return {};
    for (int rc = sale.GetGREQ(); rc == PelmoStatus::kOk; rc = sale.GetNEXT()) {
        if (std::memcmp(sale.m_rec.patientKey, key, 11) != 0 ||
            std::memcmp(sale.m_rec.date, key + 11, 9) != 0)
            break;
        if (RecText(sale.m_rec.reservationKey) == RecText(res.key))
            return RecText(sale.m_rec.saleNo);
    }
    return {};
}

// Opens the day's accounting for the reservation in ctx.tables.reservation unless a sale
// exists for it already. 0, or the library's status when the sale could not be made.
int MakeSale(SyncContext& ctx) {
    CReservationDB& res = ctx.tables.reservation;
    std::string saleNo = RecText(res.m_rec.saleNo);
    if (!saleNo.empty() && ctx.tables.sale.GetSaleData(saleNo) == PelmoStatus::kOk)
        return PelmoStatus::kOk;
    std::string earlier = FindSaleOfReservation(ctx.tables.sale, res.m_rec);
    if (!earlier.empty()) {
        SetRecText(res.m_rec.saleNo, earlier);
        return PelmoStatus::kOk;
    }
    return CPelmoSubTools::ReservationToSale(nullptr, &res);
}

std::string Today(const platform::Clock& clock) {
    const LocalDateTime now = LocalNow(clock);
    return FormatNumbers("%04d%02d%02d", now.year, now.month, now.day);
}

std::string ArrivedSql(const std::string& appoKey) {
    return "UPDATE appointments SET hospital_visited='" + J("済み") +
           "' WHERE appo_key=" + SqlText(appoKey);
}

std::string FailureText(const std::string& appoKey, int status) {
    return J("来院受付に失敗[") + appoKey + "] Status=" + std::to_string(status);
}

// The web statement of one row, and what its acceptance means locally.
struct Answer {
    std::string sql;     // "" when nothing is to be sent
    bool linked = false; // the statement answers a recorded arrival
    bool repeat = false; // the arrival was recorded in an earlier cycle
    std::string patientKey;
};

// Records the arrival of a booked reservation, with its link. Returns the web statement to
// send, empty when the local write failed (the row is tried again next cycle).
std::string RecordArrival(SyncContext& ctx, const CheckInRow& row, const std::string& patientId,
                          const std::string& patientName) {
    CReservationDB& res = ctx.tables.reservation;
    const std::string patientKey = RecText(res.m_rec.patientKey);
    res.m_rec.status = ReservationStatus::kArrived;
    int hour = 0;
    int minute = 0;
    if (row.visitedAt) {
        hour = row.visitedAt->hour;
        minute = row.visitedAt->minute;
        SetRecText(res.m_rec.receptionTime, FormatNumbers("%02d%02d", hour % 100, minute % 100));
    }
    if (res.m_rec.saleOnArrival != 0) {
        // Without the sale the arrival is not written either: an arrived reservation is never
        // checked in again, so its accounting would never be opened.
        int rc = MakeSale(ctx);
        if (rc != PelmoStatus::kOk) {
            ctx.log.WriteLog(OperationLog::Error, FailureText(row.appoKey, rc), patientKey);
            return {};
        }
    }
    std::string err;
    const tagWebLink made = MakeWebLink(ctx.clock, weblink::kAppointments, row.appoKey,
                                        CWebLinkDB::kArrived, row.appoKey);
    int rc = WriteLinked(
        ctx, {&res}, made, [&res] { return res.Update(0); }, err);
    if (rc != PelmoStatus::kOk) {
        ctx.log.WriteLog(OperationLog::Error, FailureText(row.appoKey, rc), patientKey);
        return {};
    }
    const std::string time = FormatNumbers("%02d:%02d", hour % 100, minute % 100);
    ctx.log.WriteLog(OperationLog::CheckIn,
                     J("来院受付[") + time + " " + patientId + " " + patientName + "]", patientKey);
    CPelmoSubTools::SetFinishedDate(patientKey, ctx.databaseFolder, 1, Today(ctx.clock));
    return ArrivedSql(row.appoKey);
}

// The local side of one row.
Answer CheckIn(SyncContext& ctx, const CheckInRow& row) {
    ctx.log.WriteLog(OperationLog::Info, J("チェックインデータ取得[") + row.appoKey + "]");
    const std::string deleteRow = "DELETE FROM appointments WHERE appo_key=" + SqlText(row.appoKey);

    CReservationDB& res = ctx.tables.reservation;
    int rc = res.GetReservationData(row.appoKey);
    if (rc == PelmoStatus::kNotFound)
        return {deleteRow, false, false, {}};
    if (rc != PelmoStatus::kOk) {
        ctx.log.WriteLog(OperationLog::Error, FailureText(row.appoKey, rc));
        return {};
    }
    const std::string patientKey = RecText(res.m_rec.patientKey);

    std::string patientId = J("未登録");
    std::string patientName;
    CPatientDB& patient = ctx.tables.patient;
    if (patient.GetPatient1Data(RecText(res.m_rec.patientKey)) == PelmoStatus::kOk) {
        patientId = RecText(patient.m_rec.displayNo);
        patientName = RecText(patient.m_rec.name);
    }

    switch (res.m_rec.status) {
    case ReservationStatus::kBooked: {
        std::string sql = RecordArrival(ctx, row, patientId, patientName);
        const bool linked = !sql.empty();
        return {std::move(sql), linked, false, patientKey};
    }
    case ReservationStatus::kArrived: {
        // Arrived: recorded by this exchange in an earlier cycle whose answer never reached the
        // web (then only the answer is repeated), or at the clinic (then nothing is to be done).
        tagWebLink link;
        rc = FindOutstandingLink(ctx, weblink::kAppointments, row.appoKey, link);
        if (IsReadError(rc))
            ctx.log.WriteLog(OperationLog::Error, FailureText(row.appoKey, rc), patientKey);
        if (rc != PelmoStatus::kOk || link.action != CWebLinkDB::kArrived)
            return {};
        return {ArrivedSql(row.appoKey), true, true, patientKey};
    }
    default:
        return {deleteRow, false, false, {}};
    }
}

} // namespace

void ProcessAppCheckIns(SyncContext& ctx) {
    CDatabase& db = ctx.web.Database();
    try {
        CRecordset rs(&db);
        if (!rs.Open(CRecordset::forwardOnly, kSelect, CRecordset::readOnly))
            return;
        while (!rs.IsEOF()) {
            CheckInRow row;
            row.appoKey = GetFieldText(rs, "appo_key");
            LocalDateTime at;
            if (GetFieldDateTime(rs, "hospital_visited_at", at))
                row.visitedAt = at;
            const Answer answer = CheckIn(ctx, row);
            if (!answer.sql.empty()) {
                try {
                    db.ExecuteSQL(answer.sql);
                    if (answer.linked)
                        ConfirmWebLink(ctx, weblink::kAppointments, row.appoKey);
                    if (answer.repeat)
                        LogRepeatedConfirmation(ctx, OperationLog::CheckIn, J("来院受付"),
                                                row.appoKey, answer.patientKey);
                } catch (const CDBException& e) {
                    ctx.log.WriteLog(OperationLog::SqlError, e.m_strError);
                }
            }
            rs.MoveNext();
        }
    } catch (const CDBException& e) {
        ctx.log.WriteLog(OperationLog::SqlError, e.m_strError);
    }
}
