#include <cstdlib>
#include <vector>

#include "agent/core/AgentSettings.h"
#include "agent/core/CRecordset.h"
#include "agent/core/CommaList.h"
#include "agent/core/FieldText.h"
#include "agent/core/SqlLiterals.h"
#include "agent/sync/FindFreeSlot.h"
#include "agent/sync/PendingAppointments.h"
#include "agent/sync/RecordFields.h"
#include "agent/sync/WebChangeRequests.h"
#include "agent/sync/WebValueText.h"
#include "platform/Cp932.h"

using platform::J;

namespace {

struct Confirmation {
    std::string id, standbyKey, reservationKey, patientKey, units, doctors, type, detail, date,
        time, updatedDate;
    int minutes = 0;
};

std::vector<Confirmation> ReadConfirmations(SyncContext& ctx) {
    std::vector<Confirmation> rows;
    CRecordset rs(&ctx.web.Database());
    rs.Open(CRecordset::forwardOnly,
            "SELECT * FROM pending_appointments WHERE confirmed_flag=1 ORDER BY "
            "updated_at",
            CRecordset::readOnly);
    for (; !rs.IsEOF(); rs.MoveNext()) {
        Confirmation c;
        c.date = FieldDateYmd(rs, "hope_appo_day");
        c.time = FieldTimeHm(rs, "hope_appo_time");
        c.id = GetFieldText(rs, "id");
        c.standbyKey = GetFieldText(rs, "pending_appo_id");
        c.reservationKey = GetFieldText(rs, "appo_key");
        c.patientKey = GetFieldText(rs, "patient_key");
        c.units = GetFieldText(rs, "available_unit_id");
        c.doctors = GetFieldText(rs, "available_pic_id");
        c.type = GetFieldText(rs, "type");
        c.minutes =
            static_cast<int>(std::strtol(GetFieldText(rs, "treatment_time").c_str(), nullptr, 10));
        c.detail = GetFieldText(rs, "treatment_detail");
        c.updatedDate = FieldDateYmd(rs, "updated_at");
        rows.push_back(c);
    }
    return rows;
}

// The statements for one row (at most two, run in order).
std::vector<std::string> ConfirmOne(SyncContext& ctx, int unitType, const Confirmation& c) {
    std::string patientId = J("未登録"), patientName;
    if (ctx.tables.patient.GetPatient1Data(c.patientKey) == 0) {
        patientId = RecText(ctx.tables.patient.m_rec.displayNo);
        patientName = RecText(ctx.tables.patient.m_rec.name);
    }
    const std::string dateShown = DottedDate(c.date), timeShown = ColonTime(c.time);
    ctx.log.WriteLog(OperationLog::Confirmed,
                     J("希望日時 ") + dateShown + " " + timeShown + " [" + patientId + " , " +
                         patientName + "]",
                     c.patientKey);

    const CommaList candidates(unitType != 0 ? c.doctors : c.units);
    const CommaList others(unitType != 0 ? c.units : c.doctors);
    const std::string otherCode = others.ItemOr(0, "");

    // The row's own reservation is being moved: it must not block its own new time.
    CReservationDB& book = ctx.tables.reservation;
    const int free = FindFreeSlot(c.time, candidates.Items(), book, unitType, c.date, c.minutes,
                                  c.reservationKey);
    if (free < 0) {
        ctx.log.WriteLog(OperationLog::Error,
                         dateShown + " " + timeShown + J(" 空き枠が無いため予約が確定できません。"),
                         c.patientKey);
        return {"UPDATE pending_appointments SET confirmed_flag=0 WHERE id=" + SqlText(c.id),
                BuildChangeRequestNotice(ctx.clock, c.patientKey, dateShown, timeShown)};
    }

    const bool existing =
        !c.reservationKey.empty() && book.GetReservationData(c.reservationKey) == 0;
    std::string key = c.reservationKey;
    if (!existing) {
        key = ctx.tables.index.GetNexReservationIndex();
        if (key.empty()) {
            ctx.log.WriteLog(OperationLog::Error,
                             J("予約番号を取得できません ") + ctx.tables.index.GetLastDBErr(),
                             c.patientKey);
            return {};
        }
        book.ClearRecord();
        SetRecText(book.m_rec.key, key);
    }
    tagReservation& r = book.m_rec;
    SetRecText(r.patientKey, c.patientKey);
    const std::string& chosen = candidates.Item(free);
    SetRecText(r.unit, unitType == 0 ? chosen : otherCode);
    SetRecText(r.doctor, unitType == 0 ? otherCode : chosen);
    SetRecText(r.type, c.type);
    r.status = 0;
    SetRecText(r.date, c.date);
    SetRecText(r.start, c.time);
    SetRecText(r.end, AddMinutes(c.time, c.minutes));
    SetRecText(r.webUpdateDate, c.updatedDate);
    SetRecText(r.memo, c.detail);
    r.pendingId = std::atoll(c.id.c_str());

    std::vector<std::string> statements;
    int written;
    if (!existing) {
        ctx.tables.index.UpdateNext();
        written = book.Insert(1);
        if (written == 0)
            statements.push_back("UPDATE pending_appointments SET appo_key=" + SqlText(key) +
                                 ",confirmed_flag=2 WHERE id=" + SqlText(c.id));
    } else {
        written = book.Update(0);
        if (written == 0)
            statements.push_back("UPDATE pending_appointments SET confirmed_flag=2 WHERE id=" +
                                 SqlText(c.id));
    }
    if (written != 0) {
        ctx.log.WriteLog(OperationLog::Error, J("予約を登録できません ") + book.GetLastDBErr(),
                         c.patientKey);
        return statements;
    }

    // The standby entry points at the reservation it led to (only at one that was written).
    CReservationStandbyDB& standby = ctx.tables.standby;
    if (c.standbyKey.size() == 10 && standby.GetReservationStandbyData(c.standbyKey) == 0) {
        SetRecText(standby.m_rec.reservationKey, key);
        if (standby.Update(1) != 0)
            ctx.log.WriteLog(OperationLog::Error,
                             J("予約待ちを更新できません ") + standby.GetLastDBErr(), c.patientKey);
    }
    return statements;
}

} // namespace

void ProcessStandbyConfirmations(SyncContext& ctx) {
    const int unitType = AgentSettings::Get(settingkeys::kUnitType);
    std::vector<Confirmation> rows;
    try {
        rows = ReadConfirmations(ctx);
    } catch (const CDBException& e) {
        ctx.log.WriteLog(OperationLog::SqlError, e.m_strError);
        return;
    }
    for (const Confirmation& c : rows) {
        for (const std::string& sql : ConfirmOne(ctx, unitType, c)) {
            try {
                ctx.web.Database().ExecuteSQL(sql);
            } catch (const CDBException& e) {
                ctx.log.WriteLog(OperationLog::SqlError, e.m_strError);
            }
        }
    }
}
