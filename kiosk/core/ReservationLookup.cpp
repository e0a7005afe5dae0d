#include "ReservationLookup.h"

#include "CPatientDB.h"
#include "CReservationDB.h"
#include "DisplayState.h"
#include "platform/Cp932.h"
#include "platform/RecordFields.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace {

// Positions of the fields the kiosk reads, counted from the record's patient-key field.
constexpr std::size_t kPosPatient = 0;
constexpr std::size_t kPosDate = 21;
constexpr std::size_t kPosStart = 30;
constexpr std::size_t kPosStatus = 294;
constexpr std::size_t kPosReception = 517;
constexpr int kKeyLength = 35;

std::string TextAt(const char* base, std::size_t pos, std::size_t max) {
    return platform::RecText(base + pos, max);
}

// "HH:MM" from the four start-time bytes; a byte that is not a digit shows as '?' so a damaged
// record can never cut or garble the row.
std::string TimeText(const char* hhmm) {
    std::string t;
    for (int i = 0; i < 4; ++i) {
        if (i == 2)
            t += ':';
        char c = hhmm[i];
        t += (c >= '0' && c <= '9') ? c : '?';
    }
    return t;
}

LookupResult Fail(LookupResult r, const std::string& code, const std::string& why) {
    std::cerr << "arrivo: " << code << ": " << why << "\n";
    r.state = DisplayState::kSeeStaff;
    return r;
}

} // namespace

int ReservationLookup::StoredSeconds(const char* hhmm) {
    for (int i = 0; i < 4; ++i)
        if (hhmm[i] < '0' || hhmm[i] > '9')
            return -1;
    int hour = (hhmm[0] - '0') * 10 + (hhmm[1] - '0');
    int minute = (hhmm[2] - '0') * 10 + (hhmm[3] - '0');
    if (hour > 23 || minute > 59)
        return -1;
    return hour * 3600 + minute * 60;
}

int ReservationLookup::MinutesSince(int storedSeconds, const LocalTime& now) {
    int nowSeconds = now.hour * 3600 + now.minute * 60 + now.second;
    return (nowSeconds - storedSeconds) / 60; // integer division truncates toward zero
}

LookupResult ReservationLookup::Run(const std::string& folder, const std::string& code,
                                    const LocalTime& now) {
    LookupResult r;
    CReservationDB res(folder, 0);
    CPatientDB patient(folder, 0);
    res.SetAssociatedDB(nullptr);
    patient.SetAssociatedDB(nullptr);

    int rc = patient.GetPatient1Data(code);
    if (rc != PelmoStatus::kOk) {
        if (rc != PelmoStatus::kNotFound)
            std::cerr << "arrivo: patient lookup failed (" << rc
                      << "): " << platform::Cp932ToUtf8(patient.GetLastDBErr()) << "\n";
        r.state = DisplayState::kUnreadable;
        return r;
    }
    r.patientFound = true;
    r.name = platform::RecText(patient.m_rec.name);

    char todayBuf[16];
    std::snprintf(todayBuf, sizeof todayBuf, "%04d%02d%02d", now.year % 10000, now.month % 100,
                  now.day % 100);
    const std::string today(todayBuf, 8);
    char key[kKeyLength] = {};
    std::memcpy(key + kPosPatient, code.data(), std::min<std::size_t>(code.size(), 20));
    std::memcpy(key + kPosDate, today.data(), 8);

    const char* rec =
        reinterpret_cast<const char*>(&res.m_rec) + offsetof(tagReservation, patientKey);
    auto samePatient = [&] { return TextAt(rec, kPosPatient, 21) == code; };

    res.SetKey(2);
    res.SetKeyBuffer(key, kKeyLength);
    rc = res.GetGREQ();
    if (rc != PelmoStatus::kOk && rc != PelmoStatus::kEndOfFile)
        return Fail(r, code,
                    "reservation lookup failed: " + platform::Cp932ToUtf8(res.GetLastDBErr()));
    if (rc != PelmoStatus::kOk || !samePatient()) {
        r.state = DisplayState::kNoReservation;
        return r;
    }

    bool found = false;
    for (;;) {
        if (TextAt(rec, kPosDate, 9) != today) {
            r.state = found ? DisplayState::kAlreadyAccepted : DisplayState::kNoReservation;
            return r;
        }
        r.reservationTime = TimeText(rec + kPosStart);
        r.timeSet = true;
        const char status = rec[kPosStatus];
        if (status == ReservationStatus::kBooked) {
            r.state = DisplayState::kAccepted;
            return r;
        }
        if (status == ReservationStatus::kArrived) {
            found = true;
            int reception = StoredSeconds(rec + kPosReception);
            if (reception < 0)
                return Fail(r, code, "arrived reservation with an invalid reception time");
            if (MinutesSince(reception, now) < kAcceptedMinutes) {
                r.state = DisplayState::kAlreadyAccepted;
                return r;
            }
            int start = StoredSeconds(rec + kPosStart);
            if (start < 0)
                return Fail(r, code, "arrived reservation with an invalid start time");
            if (MinutesSince(start, now) < kAcceptedMinutes) {
                r.state = DisplayState::kAlreadyAccepted;
                return r;
            }
        }
        rc = res.GetNEXT();
        if (rc != PelmoStatus::kOk && rc != PelmoStatus::kEndOfFile)
            return Fail(r, code,
                        "reservation lookup failed: " + platform::Cp932ToUtf8(res.GetLastDBErr()));
        if (rc != PelmoStatus::kOk || !samePatient()) {
            r.state = found ? DisplayState::kAlreadyAccepted : DisplayState::kNoReservation;
            return r;
        }
    }
}
