#pragma once
// What the kiosk shows after a scan.

namespace DisplayState {
constexpr int kWaiting = 0;          // asks for the barcode
constexpr int kUnreadable = 1;       // not 10 digits, or no patient with that key
constexpr int kAcceptedNoLookup = 2; // lookups switched off: every scan accepted
constexpr int kAccepted = 3;         // a booked reservation of today
constexpr int kAlreadyAccepted = 4;  // arrived within the last 15 minutes, or nothing left to do
constexpr int kNoReservation = 5;    // patient known, no reservation today
// The scan could not be judged (an arrived reservation with a stored time that is not a time of
// day, or a database error after the patient was found): the patient is sent to the reception
// staff rather than being told anything about the visit.
constexpr int kSeeStaff = 6;
} // namespace DisplayState
