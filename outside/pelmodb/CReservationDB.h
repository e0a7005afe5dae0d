#pragma once
// Reservation book. One record per reservation.
//
// Keys (buffer layouts; every text segment NUL-padded):
//   0  reservation key                     key[11]                                 11 bytes
//   2  patient key, date, start            patientKey[21] date[9] start[5]         35 bytes
//   3  doctor code, date, start            doctor[4] date[9] start[5]              18 bytes
//   4  unit code, date, start              unit[4] date[9] start[5]                18 bytes
// Key 2's bytes are the record's own bytes from patientKey on. Keys 2-4 allow duplicates;
// equal keys follow key 0 order. So all reservations of one doctor (3) or unit (4) on one date
// are adjacent, in start-time order.
//
// Reading by position from patientKey (other programs rely on it): 0 patient key, 21 date,
// 30-33 start time, 294 status byte, 517-520 reception time.
#include "CBaseDBCall.h"

#include <cstdint>
#include <string>

// Values of tagReservation::status.
namespace ReservationStatus {
enum Value : char {
    kBooked = 0,
    kArrived = 1,
    kCancelled = 2,
    kStandby = 5,       // waiting for a free slot (a standby entry refers to it)
    kChangeRefused = 6, // a web change request could not be booked; the old slot stays
};

// Whether a reservation of this status takes its slot, as the free-slot check counts it.
constexpr bool HoldsSlot(char status) {
    return status == kBooked || status == kArrived;
}
} // namespace ReservationStatus

struct tagReservationHistory {
    char date[9];  // YYYYMMDD; the slot is empty when date[0] is NUL
    char start[5]; // HHMM
};

struct tagReservation {
    char key[11];           // reservation key, ten digits
    char patientKey[21];    // patient key; "++++++++++" for a web first-visit guest
    char date[9];           // YYYYMMDD
    char start[5];          // HHMM
    char end[5];            // HHMM
    char unit[4];           // unit (chair) code, up to 3 characters
    char doctor[4];         // doctor code, up to 3 characters
    char type[6];           // appointment type code (category kind "0")
    char memo[201];         // treatment detail / content
    char webUpdateDate[9];  // YYYYMMDD of the last web-side change
    char lastChangeDate[9]; // YYYYMMDD of the last move
    char cancelDate[9];     // YYYYMMDD
    char saleNo[11];        // sale made for the reservation, empty when none
    char slotExempt;        // nonzero: not counted by the free-slot check
    char status;            // ReservationStatus: 0 booked, 1 arrived, 2 cancelled, 5 standby, ...
    char secondaryState;    // 2: cancelled by the patient in the app
    char saleOnArrival;     // nonzero: make a sale when the patient arrives
    char cancelNote[101];   // cancellation note
    tagReservationHistory history[5]; // previous date/start, oldest first
    char reserved0[1];
    std::int32_t changeCount; // number of moves
    std::int32_t amount;      // whole yen
    std::int64_t pendingId;   // id of the web standby row it was booked from, 0 when none
    char guestBirthday[9];    // YYYYMMDD (web first-visit guest)
    char guestGender[2];      // "1" male, "0" otherwise
    char reserved1[21];
    char receptionTime[5]; // HHMM of the arrival
    char guestTitle[41];   // booking page title
    char guestName[41];
    char guestKana[41];
    char guestTel[21];
    char guestMail[37];
    char guestAddress[101];
    char note[101]; // further text, carried over into standby entries
    char reserved2[4];
};

static_assert(offsetof(tagReservation, patientKey) == 11);
static_assert(offsetof(tagReservation, date) - offsetof(tagReservation, patientKey) == 21);
static_assert(offsetof(tagReservation, start) - offsetof(tagReservation, patientKey) == 30);
static_assert(offsetof(tagReservation, status) - offsetof(tagReservation, patientKey) == 294);
static_assert(offsetof(tagReservation, receptionTime) - offsetof(tagReservation, patientKey) ==
              517);
static_assert(offsetof(tagReservation, changeCount) % 4 == 0);
static_assert(offsetof(tagReservation, pendingId) % 8 == 0);
static_assert(sizeof(tagReservation) == 920);

class CReservationDB : public CBaseDBCall {
public:
    // folder: database folder; mode: 1 for writers, 0 for readers.
    CReservationDB(const std::string& folder, int mode);

    static const TableSpec& Spec();

    // Loads the reservation with that key: 0, or 4 (record cleared).
    int GetReservationData(std::string_view key);

    // flag: accepted for the callers (0 clinic-side write, 1 write from web linkage); both
    // store the record the same way.
    using CBaseDBCall::Insert;
    using CBaseDBCall::Update;
    int Insert(int flag);
    int Update(int flag);

    // Entry folder for web linkage (installation value, ends with '/'), "" when not set or
    // when the database cannot be read.
    std::string GetEntryFolder();

    tagReservation m_rec{};
};
