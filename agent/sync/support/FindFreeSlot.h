#pragma once
// The free-slot check of the local reservation book: which candidate unit (or doctor) has no
// booked or arrived reservation colliding with a wished time.
#include <string>
#include <vector>

class CReservationDB;

// Index of the first candidate free on dateYYYYMMDD from startHHMM for `minutes` minutes, or -1
// when none is (or the list is empty, or the start, the date or a length below one minute is
// invalid: nothing can be booked there). mode: 0 = candidates are unit codes (key 4), nonzero =
// doctor codes (key 3). The request occupies the minutes S .. S + minutes - 1: a reservation
// starting exactly at that last minute, or ending exactly at S, does not collide. Cancelled,
// refused and other statuses than 0 and 1, slot-exempt records and the reservation `ownKey`
// never block. A candidate longer than a code (3 characters) is never free, and neither is one
// whose records could not be read (a failing book must not double-book).
// The table's key, key buffer and record buffer are changed by the scan.
int FindFreeSlot(const std::string& startHHMM, const std::vector<std::string>& candidates,
                 CReservationDB& table, int mode, const std::string& dateYYYYMMDD, int minutes,
                 const std::string& ownKey);

// The same check; readError is set when a candidate was passed over because the book could not
// be read (the table's GetLastDBErr tells why), so that -1 does not mean "all taken".
int FindFreeSlot(const std::string& startHHMM, const std::vector<std::string>& candidates,
                 CReservationDB& table, int mode, const std::string& dateYYYYMMDD, int minutes,
                 const std::string& ownKey, bool& readError);

// Minutes since midnight of a HHMM text read as the book stores it ("0000" appended, hour from
// the first two characters, minute from the next two; "" reads as 00:00); -1 when the hour or
// minute is no number in range.
int SlotMinutes(const std::string& hhmm);
