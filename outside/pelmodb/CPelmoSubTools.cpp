#include "CPelmoSubTools.h"

#include "CIndexControlDB.h"
#include "CPatientDB.h"
#include "CPelmoDBSys.h"
#include "CReservationDB.h"
#include "CSaleDB.h"
#include "SqliteConnection.h"
#include "platform/ClinicZone.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {
std::string g_lastError;

std::string Today() {
    const std::tm tm = platform::ToClinicTime(std::time(nullptr));
    char buf[16];
    std::strftime(buf, sizeof buf, "%Y%m%d", &tm);
    return buf;
}

template <std::size_t N> void Copy(char (&dst)[N], std::string_view src) {
    std::memset(dst, 0, N);
    std::memcpy(dst, src.data(), std::min(src.size(), N - 1));
}
} // namespace

const std::string& CPelmoSubTools::LastError() {
    return g_lastError;
}

int CPelmoSubTools::ReservationToSale(CSaleDB* sale, CReservationDB* reservation) {
    if (!reservation)
        return PelmoStatus::kNoCurrent;
    std::string key(reservation->m_rec.key, strnlen(reservation->m_rec.key, 11));
    if (key.empty())
        return PelmoStatus::kNoCurrent;

    // One connection for every step, so the steps form one transaction.
    CPelmoDBSys sys(reservation->GetFolder());
    auto conn = sys.Connection();
    if (!conn) {
        g_lastError = sys.GetLastDBErr();
        return PelmoStatus::kCannotOpen;
    }
    CIndexControlDB index(reservation->GetFolder(), 1);
    CReservationDB stored(reservation->GetFolder(), 1);
    CSaleDB newSale(reservation->GetFolder(), 1);
    index.SetAssociatedDB(&sys);
    stored.SetAssociatedDB(&sys);
    newSale.SetAssociatedDB(&sys);

    std::string err;
    if (conn->Begin(err) != SQLITE_OK) {
        g_lastError = "cannot lock the database: " + err;
        return PelmoStatus::kBusy;
    }
    int rc = stored.GetReservationData(key);
    std::int64_t number = 0;
    if (rc == PelmoStatus::kOk)
        rc = index.TakeNext(CIndexControlDB::kSale, number, "sale");
    if (rc == PelmoStatus::kOk) {
        char saleNo[16];
        std::snprintf(saleNo, sizeof saleNo, "%010lld", static_cast<long long>(number));
        Copy(newSale.m_rec.saleNo, saleNo);
        Copy(newSale.m_rec.patientKey, stored.m_rec.patientKey);
        Copy(newSale.m_rec.date, stored.m_rec.date);
        Copy(newSale.m_rec.reservationKey, stored.m_rec.key);
        newSale.m_rec.amount = reservation->m_rec.amount;
        rc = newSale.Insert();
        if (rc == PelmoStatus::kOk) {
            Copy(stored.m_rec.saleNo, saleNo);
            rc = stored.Update();
        }
    }
    std::string failure = rc == PelmoStatus::kOk ? std::string()
                          : !stored.GetLastDBErr().empty() && rc == PelmoStatus::kNotFound
                              ? stored.GetLastDBErr()
                          : !index.GetLastDBErr().empty()   ? index.GetLastDBErr()
                          : !newSale.GetLastDBErr().empty() ? newSale.GetLastDBErr()
                                                            : stored.GetLastDBErr();
    if (conn->End(rc == PelmoStatus::kOk, err) != SQLITE_OK && rc == PelmoStatus::kOk) {
        rc = PelmoStatus::kDatabaseError;
        failure = "commit failed: " + err;
    }
    if (rc != PelmoStatus::kOk) {
        g_lastError = failure;
        return rc;
    }
    Copy(reservation->m_rec.saleNo, newSale.m_rec.saleNo);
    if (sale)
        sale->m_rec = newSale.m_rec;
    return PelmoStatus::kOk;
}

int CPelmoSubTools::SetFinishedDate(std::string_view patientKey, const std::string& folder,
                                    int /*flag*/, std::string_view date) {
    std::string day = date.empty() ? Today() : std::string(date);
    CPelmoDBSys sys(folder);
    auto conn = sys.Connection();
    if (!conn) {
        g_lastError = sys.GetLastDBErr();
        return PelmoStatus::kCannotOpen;
    }
    CPatientDB patient(folder, 1);
    patient.SetAssociatedDB(&sys);
    std::string err;
    if (conn->Begin(err) != SQLITE_OK) {
        g_lastError = "cannot lock the database: " + err;
        return PelmoStatus::kBusy;
    }
    int rc = patient.GetPatient1Data(patientKey);
    if (rc == PelmoStatus::kOk) {
        Copy(patient.m_rec.lastFinishedDate, day);
        rc = patient.Update();
    }
    if (rc != PelmoStatus::kOk)
        g_lastError = patient.GetLastDBErr();
    conn->End(rc == PelmoStatus::kOk, err);
    return rc;
}
