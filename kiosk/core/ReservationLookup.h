#pragma once
// The lookup behind a scan: the patient by key, then the patient's reservations of today in
// key 2 order, deciding the display state. Only reads the database; opens it per call.
#include "LocalTime.h"

#include <string>

struct LookupResult {
    int state = 0;               // a DisplayState value
    bool patientFound = false;   // name is valid
    std::string name;            // patient name (CP932)
    bool timeSet = false;        // reservationTime is valid
    std::string reservationTime; // "HH:MM" of the last reservation record examined
};

class ReservationLookup {
public:
    // Minutes an arrived reservation keeps answering "already accepted", counted from the later
    // of its reception and start times.
    static constexpr int kAcceptedMinutes = 15;

    // folder: database folder ending with '/'; code: the ten-digit patient key; now: the scan's
    // instant (its date is "today"). A missing or unreadable database gives kUnreadable, as the
    // patient cannot be found.
    static LookupResult Run(const std::string& folder, const std::string& code,
                            const LocalTime& now);

    // Seconds since midnight of a stored "HHMM" time (4 bytes), or -1 when the bytes are not
    // four digits of a time of day (hour above 23, minute above 59, blanks).
    static int StoredSeconds(const char* hhmm);

    // Whole minutes from a stored time to now, truncated toward zero (negative when the stored
    // time is later). REQUIRES: storedSeconds >= 0.
    static int MinutesSince(int storedSeconds, const LocalTime& now);
};
