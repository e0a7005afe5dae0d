#include <cstdlib>
#include <vector>

#include "agent/core/CRecordset.h"
#include "agent/core/ClinicSettings.h"
#include "agent/core/CommaList.h"
#include "agent/core/FieldText.h"
#include "agent/core/SqlLiterals.h"
#include "agent/sync/exchanges/PendingAppointments.h"
#include "agent/sync/exchanges/WebChangeRequests.h"
#include "agent/sync/support/FindFreeSlot.h"
#include "agent/sync/support/WebLinks.h"
#include "agent/sync/support/WebValueText.h"
#include "outside/pelmodb/PelmoStatus.h"
#include "platform/Cp932.h"
#include "platform/RecordFields.h"

using platform::J;
using platform::RecText;
using platform::SetRecText;

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

// What one row needs sent, in order; a later statement only after the first was accepted (a
// refusal's notice must not go out while the row still asks, or it goes out again next cycle).
struct Answer {
    std::vector<std::string> statements;
    std::string reservationKey; // set when the first statement confirms the row's link
    bool repeat = false;        // the booking was made in an earlier cycle
};

// The request as a link remembers it: date, time and length.
std::string RequestOf(const Confirmation& c) {
    return c.date + c.time + "/" + std::to_string(c.minutes);
}

// Points the row's standby entry at the reservation it led to.
void LinkStandbyEntry(SyncContext& ctx, const Confirmation& c, const std::string& key) {
    CReservationStandbyDB& standby = ctx.tables.standby;
    if (c.standbyKey.size() == 10 &&
        standby.GetReservationStandbyData(c.standbyKey) == PelmoStatus::kOk) {
        SetRecText(standby.m_rec.reservationKey, key);
        if (standby.Update(1) != PelmoStatus::kOk)
            ctx.log.WriteLog(OperationLog::Error,
                             J("予約待ちを更新できません ") + standby.GetLastDBErr(), c.patientKey);
    }
}

Answer ConfirmOne(SyncContext& ctx, int unitType, const Confirmation& c) {
    CReservationDB& book = ctx.tables.reservation;
    const auto readError = [&](const std::string& err) {
        ctx.log.WriteLog(OperationLog::Error, J("予約テーブルアクセスエラー ") + err, c.patientKey);
        return Answer{};
    };

    // The row's reservation: the one it names, else one booked for it in an earlier cycle whose
    // key never reached the web (and that still holds its slot). A book that cannot be read
    // makes the row wait: it may have been booked already.
    tagWebLink link;
    std::string err;
    const int linked = FindLinkedReservation(ctx, weblink::kPendingAppointments, c.id, link, err);
    if (IsReadError(linked))
        return readError(err);
    const bool linkLive =
        linked == PelmoStatus::kOk && ReservationStatus::HoldsSlot(book.m_rec.status);
    const tagReservation linkedRes = book.m_rec;
    std::string key;
    const int named = c.reservationKey.empty() ? PelmoStatus::kNotFound
                                               : book.GetReservationData(c.reservationKey);
    if (IsReadError(named))
        return readError(book.GetLastDBErr());
    if (named == PelmoStatus::kOk)
        key = c.reservationKey;
    else if (linkLive)
        key = RecText(link.reservationKey);
    const bool keyFromLink = !key.empty() && key != c.reservationKey;
    // The row is told the key unless it names the reservation already.
    const auto confirm = [&c](const std::string& k) {
        return "UPDATE pending_appointments SET " +
               (k != c.reservationKey ? "appo_key=" + SqlText(k) + "," : std::string()) +
               "confirmed_flag=2 WHERE id=" + SqlText(c.id);
    };

    // This very request was written locally in an earlier cycle and the book still shows it:
    // only the answer is repeated.
    if (linkLive && RecText(link.reservationKey) == key && RecText(link.request) == RequestOf(c) &&
        RecText(linkedRes.date) == c.date && RecText(linkedRes.start) == c.time) {
        LinkStandbyEntry(ctx, c, key);
        return {{confirm(key)}, key, true};
    }

    std::string patientId = J("未登録"), patientName;
    if (ctx.tables.patient.GetPatient1Data(c.patientKey) == PelmoStatus::kOk) {
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
    const int free = FindFreeSlot(c.time, candidates.Items(), book, unitType, c.date, c.minutes,
                                  key.empty() ? c.reservationKey : key);
    if (free < 0) {
        ctx.log.WriteLog(OperationLog::Error,
                         dateShown + " " + timeShown + J(" 空き枠が無いため予約が確定できません。"),
                         c.patientKey);
        // A reservation booked for the row earlier stays, and the row is told its key, as when
        // the row names it.
        return {{"UPDATE pending_appointments SET " +
                     (keyFromLink ? "appo_key=" + SqlText(key) + "," : std::string()) +
                     "confirmed_flag=0 WHERE id=" + SqlText(c.id),
                 BuildChangeRequestNotice(ctx.clock, c.patientKey, dateShown, timeShown)},
                keyFromLink ? key : std::string(),
                false};
    }

    // The search moved the record buffer.
    bool existing = false;
    if (!key.empty()) {
        const int again = book.GetReservationData(key);
        if (IsReadError(again))
            return readError(book.GetLastDBErr());
        existing = again == PelmoStatus::kOk;
    }
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
    r.status = ReservationStatus::kBooked;
    SetRecText(r.date, c.date);
    SetRecText(r.start, c.time);
    SetRecText(r.end, AddMinutes(c.time, c.minutes));
    SetRecText(r.webUpdateDate, c.updatedDate);
    SetRecText(r.memo, c.detail);
    r.pendingId = std::atoll(c.id.c_str());

    if (!existing)
        ctx.tables.index.UpdateNext();
    const tagWebLink made =
        MakeWebLink(ctx.clock, weblink::kPendingAppointments, c.id,
                    existing ? CWebLinkDB::kMoved : CWebLinkDB::kBooked, key, RequestOf(c));
    const int written = WriteLinked(
        ctx, {&book}, made,
        [&book, existing] { return existing ? book.Update(0) : book.Insert(1); }, err);
    if (written != 0) {
        ctx.log.WriteLog(OperationLog::Error, J("予約を登録できません ") + err, c.patientKey);
        return {};
    }

    // The standby entry points at the reservation it led to (only at one that was written).
    LinkStandbyEntry(ctx, c, key);
    return {{confirm(key)}, key, false};
}

} // namespace

void ProcessStandbyConfirmations(SyncContext& ctx) {
    const int unitType = ctx.settings.Get(settingkeys::kUnitType);
    std::vector<Confirmation> rows;
    try {
        rows = ReadConfirmations(ctx);
    } catch (const CDBException& e) {
        ctx.log.WriteLog(OperationLog::SqlError, e.m_strError);
        return;
    }
    for (const Confirmation& c : rows) {
        const Answer answer = ConfirmOne(ctx, unitType, c);
        for (std::size_t i = 0; i < answer.statements.size(); ++i) {
            try {
                ctx.web.Database().ExecuteSQL(answer.statements[i]);
            } catch (const CDBException& e) {
                ctx.log.WriteLog(OperationLog::SqlError, e.m_strError);
                break;
            }
            if (i > 0 || answer.reservationKey.empty())
                continue;
            ConfirmWebLink(ctx, weblink::kPendingAppointments, c.id);
            if (answer.repeat)
                LogRepeatedConfirmation(ctx, OperationLog::Confirmed, J("予約"),
                                        answer.reservationKey, c.patientKey);
        }
    }
}
