#pragma once
// Practice-side operations the web linkage triggers on arrival.
#include <string>
#include <string_view>

class CReservationDB;
class CSaleDB;

class CPelmoSubTools {
public:
    // Makes a sale from the reservation loaded in reservation: a new sale number (ten digits,
    // never shared), the reservation's patient, date and amount, and records the sale number
    // on the stored reservation and in reservation->m_rec.saleNo, all in one transaction.
    // sale: null, or a sale table that receives the new record in its buffer.
    // REQUIRES: reservation positioned on a stored reservation. 0 on success, 4 when the
    // reservation is not stored, else a status (text in reservation->GetLastDBErr()).
    static int ReservationToSale(CSaleDB* sale, CReservationDB* reservation);

    // Records date (YYYYMMDD; today's local date when empty) as the patient's last finished
    // visit. flag: accepted for the callers. 0, 4 when no such patient, else a status.
    static int SetFinishedDate(std::string_view patientKey, const std::string& folder, int flag,
                               std::string_view date = {});
    // Text of the last failure of either operation (this thread of control only).
    static const std::string& LastError();
};
