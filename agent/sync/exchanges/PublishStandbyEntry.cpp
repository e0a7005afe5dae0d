#include <algorithm>

#include "agent/core/SqlLiterals.h"
#include "agent/sync/exchanges/PendingAppointments.h"
#include "agent/sync/support/PendingRow.h"
#include "agent/sync/support/PendingSettings.h"
#include "outside/pelmodb/PelmoStatus.h"
#include "platform/RecordFields.h"

using platform::RecText;

namespace {

int DeleteRow(SyncContext& ctx, const std::string& standbyKey) {
    const std::string where = "pending_appo_id=" + SqlText(standbyKey);
    PendingRowFound row;
    const int found = FindPendingRow(ctx, where, &row);
    if (found < 0)
        return 0;
    if (found == 0)
        return 1;
    // The entry is gone locally: the row's own patient key names the patient in the log.
    const PendingPatient p = ReadPendingPatient(ctx, row.patientKey);
    return RunPendingStatement(ctx, "DELETE FROM pending_appointments WHERE " + where, true,
                               row.periodFrom, row.periodTo, p.id, p.name);
}

} // namespace

int PublishStandbyEntry(SyncContext& ctx, int kind, const std::string& standbyKey) {
    const PendingSettings settings = PendingSettings::Read(ctx.settings);
    if (kind == kStandbyDelete)
        return DeleteRow(ctx, standbyKey);

    CReservationStandbyDB& standby = ctx.tables.standby;
    const int rc = standby.GetReservationStandbyData(standbyKey);
    if (rc == PelmoStatus::kNotFound)
        return DeleteRow(ctx, standbyKey);
    if (rc != PelmoStatus::kOk)
        return 0;
    const tagReservationStandby entry = standby.m_rec;

    PendingRow row;
    row.standbyKey = standbyKey;
    const std::string linkedKey = RecText(entry.reservationKey);
    if (!linkedKey.empty() &&
        ctx.tables.reservation.GetReservationData(linkedKey) == PelmoStatus::kOk) {
        const tagReservation& r = ctx.tables.reservation.m_rec;
        row.reservationKey = linkedKey;
        row.bookedDate = RecText(r.date);
        row.bookedStart = RecText(r.start);
        row.confirmedFlag = ReservationStatus::HoldsSlot(r.status) ? 2 : 0;
    }

    row.patientKey = RecText(entry.patientKey);
    const PendingPatient patient = ReadPendingPatient(ctx, row.patientKey);
    row.patientName = patient.name;
    row.patientKana = patient.kana;
    row.periodFrom = RecText(entry.periodFrom);
    row.periodTo = RecText(entry.periodTo);
    if (row.periodFrom > row.periodTo)
        std::swap(row.periodFrom, row.periodTo);

    row.type = RecText(entry.type);
    row.detail = RecText(entry.detail);
    const int i = row.type.empty() ? -1 : settings.AllowedIndex(row.type);
    if (i >= 0) {
        row.minutes = settings.TypeTime(i);
        row.units = settings.TypeUnits(i);
        row.doctors = settings.TypeDoctors(i);
    }

    PendingRowFound web;
    const int found = FindPendingRow(ctx, "pending_appo_id=" + SqlText(standbyKey), &web);
    if (found < 0)
        return 0;
    // A length set on the web side for the same type is kept.
    if (found == 1 && web.type == row.type && web.minutes > 0)
        row.minutes = web.minutes;

    if (settings.Hidden(row.type)) {
        if (found == 0)
            return 1;
        return RunPendingStatement(
            ctx, "DELETE FROM pending_appointments WHERE pending_appo_id=" + SqlText(standbyKey),
            true, web.periodFrom, web.periodTo, patient.id, patient.name);
    }
    if (row.minutes <= 0)
        row.minutes = settings.DefaultTime();
    return RunPendingStatement(ctx, found == 1 ? row.UpdateByStandbyKey() : row.Insert(), false,
                               row.periodFrom, row.periodTo, patient.id, patient.name);
}
