#include <algorithm>

#include "agent/core/SqlLiterals.h"
#include "agent/sync/exchanges/PendingAppointments.h"
#include "agent/sync/support/PendingRow.h"
#include "agent/sync/support/PendingSettings.h"
#include "agent/sync/support/WebValueText.h"
#include "outside/pelmodb/PelmoStatus.h"
#include "platform/RecordFields.h"

using platform::RecText;

namespace {

// A reservation that is no standby booking: the row that was tied to it goes.
int DeleteTiedRow(SyncContext& ctx, const std::string& reservationKey, long long pendingId,
                  const std::string& date, const PendingPatient& patient) {
    std::string sql;
    int found = 0;
    if (pendingId != 0) {
        found = FindPendingRow(ctx, "id=" + std::to_string(pendingId));
        if (found < 0)
            return 0;
        if (found == 1)
            sql = "DELETE FROM pending_appointments WHERE id=" + std::to_string(pendingId);
    }
    if (sql.empty()) {
        found = FindPendingRow(ctx, "appo_key=" + SqlText(reservationKey));
        if (found < 0)
            return 0;
        if (found == 1)
            sql = "DELETE FROM pending_appointments WHERE appo_key=" + SqlText(reservationKey);
    }
    if (sql.empty())
        return 1;
    return RunPendingStatement(ctx, sql, true, date, date, patient.id, patient.name);
}

// The row of a standby booking: confirmed with the reservation's date, start and length, for the
// period of its standby entry (or the type's days around the date when it has none).
PendingRow BookedRow(SyncContext& ctx, const PendingSettings& settings, int typeIndex,
                     const std::string& reservationKey, const tagReservation& r,
                     const PendingPatient& patient) {
    const std::string date = RecText(r.date);
    PendingRow row;
    row.patientKey = RecText(r.patientKey);
    row.patientName = patient.name;
    row.patientKana = patient.kana;
    const int start = HmMinutes(RecText(r.start));
    const int end = HmMinutes(RecText(r.end));
    // A reservation without a readable length must not publish a zero or negative one.
    row.minutes = (start >= 0 && end > start) ? end - start : settings.DefaultTime();
    row.units = settings.TypeUnits(typeIndex);
    if (row.units.empty())
        row.units = RecText(r.unit);
    row.doctors = settings.TypeDoctors(typeIndex);
    if (row.doctors.empty())
        row.doctors = RecText(r.doctor);
    row.periodFrom = row.periodTo = date;

    CReservationStandbyDB& standby = ctx.tables.standby;
    if (standby.GetReservationStandbyDataFromReservationKey(reservationKey) == PelmoStatus::kOk) {
        row.standbyKey = RecText(standby.m_rec.key);
        row.periodFrom = RecText(standby.m_rec.periodFrom);
        row.periodTo = RecText(standby.m_rec.periodTo);
        if (row.periodFrom > row.periodTo)
            std::swap(row.periodFrom, row.periodTo);
    } else {
        int before = 0, after = 0;
        settings.TypeDays(typeIndex, before, after);
        if (before > 0) {
            const std::string from = ShiftDate(date, -before);
            if (!from.empty())
                row.periodFrom = from;
        }
        if (after > 0) {
            const std::string to = ShiftDate(date, after);
            if (!to.empty())
                row.periodTo = to;
        }
    }
    row.type = RecText(r.type);
    row.detail = RecText(r.memo);
    row.confirmedFlag = 2;
    row.bookedDate = date;
    row.bookedStart = RecText(r.start);
    row.reservationKey = reservationKey;
    return row;
}

// Updates the web row the booking came from (by its id, reservation key or standby key, in that
// order), or inserts one.
int SendBookedRow(SyncContext& ctx, const PendingRow& row, long long pendingId,
                  const PendingPatient& patient) {
    std::string sql;
    if (pendingId != 0) {
        const int found = FindPendingRow(ctx, "id=" + std::to_string(pendingId));
        if (found < 0)
            return 0;
        if (found == 1)
            sql = row.UpdateById(pendingId);
    }
    if (sql.empty()) {
        const int found = FindPendingRow(ctx, "appo_key=" + SqlText(row.reservationKey));
        if (found < 0)
            return 0;
        if (found == 1)
            sql = row.UpdateByReservationKey();
    }
    if (sql.empty() && !row.standbyKey.empty()) {
        const int found = FindPendingRow(ctx, "pending_appo_id=" + SqlText(row.standbyKey));
        if (found < 0)
            return 0;
        if (found == 1)
            sql = row.UpdateByStandbyKey();
    }
    if (sql.empty())
        sql = row.Insert();
    return RunPendingStatement(ctx, sql, false, row.periodFrom, row.periodTo, patient.id,
                               patient.name);
}

} // namespace

int SyncPendingForReservation(SyncContext& ctx, const std::string& reservationKey) {
    const PendingSettings settings = PendingSettings::Read(ctx.settings);
    CReservationDB& book = ctx.tables.reservation;
    const int rc = book.GetReservationData(reservationKey);
    if (rc == PelmoStatus::kNotFound)
        return 1;
    if (rc != PelmoStatus::kOk)
        return 0;
    const tagReservation r = book.m_rec;

    const std::string patientKey = RecText(r.patientKey);
    const PendingPatient patient = ReadPendingPatient(ctx, patientKey);
    const int i = patientKey.empty() ? -1 : settings.AllowedIndex(RecText(r.type));
    const long long pendingId = static_cast<long long>(r.pendingId);
    if (i < 0)
        return DeleteTiedRow(ctx, reservationKey, pendingId, RecText(r.date), patient);
    return SendBookedRow(ctx, BookedRow(ctx, settings, i, reservationKey, r, patient), pendingId,
                         patient);
}
