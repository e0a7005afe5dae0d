#include <algorithm>

#include "agent/core/SqlLiterals.h"
#include "agent/sync/exchanges/PendingAppointments.h"
#include "agent/sync/support/PendingRow.h"
#include "agent/sync/support/PendingSettings.h"
#include "agent/sync/support/RecordFields.h"
#include "agent/sync/support/WebValueText.h"

int SyncPendingForReservation(SyncContext& ctx, const std::string& reservationKey) {
    const PendingSettings settings = PendingSettings::Read(ctx.settings);
    CReservationDB& book = ctx.tables.reservation;
    const int rc = book.GetReservationData(reservationKey);
    if (rc == 4)
        return 1;
    if (rc != 0)
        return 0;
    const tagReservation r = book.m_rec;

    std::string patientId, patientName, patientKana;
    const std::string patientKey = RecText(r.patientKey);
    if (!patientKey.empty() &&
        ctx.tables.patient.GetPatientData(&ctx.tables.patient2, patientKey) == 0) {
        patientId = RecText(ctx.tables.patient.m_rec.displayNo);
        patientName = RecText(ctx.tables.patient.m_rec.name);
        patientKana = RecText(ctx.tables.patient.m_rec.kana);
    }

    const std::string date = RecText(r.date);
    const std::string type = RecText(r.type);
    const int i = patientKey.empty() ? -1 : settings.AllowedIndex(type);
    const long long pendingId = static_cast<long long>(r.pendingId);

    if (i < 0) {
        // Not a standby booking: the row that was tied to the reservation goes.
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
        return RunPendingStatement(ctx, sql, true, date, date, patientId, patientName);
    }

    PendingRow row;
    row.patientKey = patientKey;
    row.patientName = patientName;
    row.patientKana = patientKana;
    const int start = HmMinutes(RecText(r.start));
    const int end = HmMinutes(RecText(r.end));
    // A reservation without a readable length must not publish a zero or negative one.
    row.minutes = (start >= 0 && end > start) ? end - start : settings.DefaultTime();
    row.units = settings.TypeUnits(i);
    if (row.units.empty())
        row.units = RecText(r.unit);
    row.doctors = settings.TypeDoctors(i);
    if (row.doctors.empty())
        row.doctors = RecText(r.doctor);
    row.periodFrom = row.periodTo = date;

    CReservationStandbyDB& standby = ctx.tables.standby;
    if (standby.GetReservationStandbyDataFromReservationKey(reservationKey) == 0) {
        row.standbyKey = RecText(standby.m_rec.key);
        row.periodFrom = RecText(standby.m_rec.periodFrom);
        row.periodTo = RecText(standby.m_rec.periodTo);
        if (row.periodFrom > row.periodTo)
            std::swap(row.periodFrom, row.periodTo);
    } else {
        int before = 0, after = 0;
        settings.TypeDays(i, before, after);
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
    row.type = type;
    row.detail = RecText(r.memo);
    row.confirmedFlag = 2;
    row.bookedDate = date;
    row.bookedStart = RecText(r.start);
    row.reservationKey = reservationKey;

    std::string sql;
    if (pendingId != 0) {
        const int found = FindPendingRow(ctx, "id=" + std::to_string(pendingId));
        if (found < 0)
            return 0;
        if (found == 1)
            sql = row.UpdateById(pendingId);
    }
    if (sql.empty()) {
        const int found = FindPendingRow(ctx, "appo_key=" + SqlText(reservationKey));
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
    return RunPendingStatement(ctx, sql, false, row.periodFrom, row.periodTo, patientId,
                               patientName);
}
