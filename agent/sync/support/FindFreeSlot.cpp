#include "agent/sync/support/FindFreeSlot.h"

#include <cstring>

#include "agent/core/SqlLiterals.h"
#include "outside/pelmodb/CReservationDB.h"
#include "outside/pelmodb/PelmoStatus.h"
#include "platform/RecordFields.h"

using platform::RecText;

namespace {

constexpr int kDoctorKey = 3;
constexpr int kUnitKey = 4;
constexpr int kKeyLength = 18;
constexpr std::size_t kCodeMax = 3;

int TwoDigits(const char* p) {
    if (p[0] < '0' || p[0] > '9' || p[1] < '0' || p[1] > '9')
        return -1;
    return (p[0] - '0') * 10 + (p[1] - '0');
}

} // namespace

int SlotMinutes(const std::string& hhmm) {
    const std::string t = hhmm + "0000";
    const int h = TwoDigits(t.c_str());
    const int m = TwoDigits(t.c_str() + 2);
    if (h < 0 || h > 23 || m < 0 || m > 59)
        return -1;
    return h * 60 + m;
}

int FindFreeSlot(const std::string& startHHMM, const std::vector<std::string>& candidates,
                 CReservationDB& table, int mode, const std::string& dateYYYYMMDD, int minutes,
                 const std::string& ownKey) {
    bool readError = false;
    return FindFreeSlot(startHHMM, candidates, table, mode, dateYYYYMMDD, minutes, ownKey,
                        readError);
}

int FindFreeSlot(const std::string& startHHMM, const std::vector<std::string>& candidates,
                 CReservationDB& table, int mode, const std::string& dateYYYYMMDD, int minutes,
                 const std::string& ownKey, bool& readError) {
    readError = false;
    const int s = SlotMinutes(startHHMM);
    const int e = s < 0 ? -1 : s + (minutes - 1);
    const bool doctorMode = mode != 0;
    const std::string date = dateYYYYMMDD;
    // Nothing can be booked at a time or on a date that does not exist, nor for no time at all.
    if (s < 0 || minutes < 1 || !IsValidDate(date) || date.size() != 8)
        return -1;

    // A comparison with an invalid time is false.
    auto less = [](int a, int b) { return a >= 0 && b >= 0 && a < b; };
    auto lessEq = [](int a, int b) { return a >= 0 && b >= 0 && a <= b; };

    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const std::string& c = candidates[i];
        // A code longer than the book holds would be searched cut short, compared whole (so
        // never found busy) and then booked cut short: such a candidate is never offered.
        if (c.size() > kCodeMax)
            continue;

        char key[kKeyLength] = {};
        std::memcpy(key, c.data(), c.size());
        std::memcpy(key + 4, date.data(), date.size());
        table.SetKey(doctorMode ? kDoctorKey : kUnitKey);
        table.SetKeyBuffer(key, kKeyLength);

        bool taken = false;
        int rc = table.GetGREQ();
        for (; rc == PelmoStatus::kOk; rc = table.GetNEXT()) {
            const tagReservation& r = table.m_rec;
            if (!ReservationStatus::HoldsSlot(r.status) || RecText(r.key) == ownKey ||
                r.slotExempt != 0)
                continue;
            const std::string code = doctorMode ? RecText(r.doctor) : RecText(r.unit);
            if (code != c || RecText(r.date) != date)
                break; // the records of c on that date are exhausted
            const int rs = SlotMinutes(RecText(r.start));
            const int re = SlotMinutes(RecText(r.end));
            const bool collides = lessEq(rs, s) ? less(s, re) : (less(s, rs) && less(rs, e));
            if (collides) {
                taken = true;
                break;
            }
            // The key orders a day's records by start text, and that order is the order of
            // the times the texts read as: nothing after a start at or past E can collide.
            if (rs >= 0 && rs >= e) {
                rc = PelmoStatus::kEndOfFile;
                break;
            }
        }
        if (taken)
            continue;
        if (rc != PelmoStatus::kOk && rc != PelmoStatus::kEndOfFile) {
            readError = true;
            continue;
        }
        return static_cast<int>(i);
    }
    return -1;
}
