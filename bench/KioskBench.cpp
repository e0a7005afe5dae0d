// Kiosk benchmark: time from a complete scan (ten key-downs) to the display state, on a clinic
// database of 100,000 patients and 1,000,000 reservations. Prints microseconds per scan.
//
// Usage: kiosk_bench [database-folder]
// Without a folder a temporary one is filled first (takes a while) and removed afterwards; with
// one, an existing database there is reused and a missing one is created and kept.
#include "CPatientDB.h"
#include "CPelmoDBSys.h"
#include "CReservationDB.h"
#include "DisplayState.h"
#include "FakeClock.h"
#include "KioskController.h"
#include "KioskSettings.h"
#include "ReservationLookup.h"
#include "SqliteConnection.h"
#include "VisitFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>

namespace {

constexpr int kPatients = 100000;
constexpr int kReservationsPerPatient = 10;
constexpr int kScans = 5000;
const char* const kDates[kReservationsPerPatient] = {"20240426", "20240427", "20240428", "20240429",
                                                     "20240430", "20240501", "20240502", "20240503",
                                                     "20240504", "20240505"};
constexpr int kToday = 5; // index of 2024-05-01

template <std::size_t N> void Put(char (&dst)[N], const std::string& src) {
    std::memset(dst, 0, N);
    std::memcpy(dst, src.data(), std::min(src.size(), N - 1));
}

std::string Key10(long n) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%010ld", n);
    return buf;
}

bool Fill(const std::string& folder) {
    std::string err;
    if (CPelmoDBSys::CreateDatabase(folder, err) != 0) {
        std::fprintf(stderr, "cannot create the database: %s\n", err.c_str());
        return false;
    }
    CPelmoDBSys sys(folder);
    auto conn = sys.Connection();
    CPatientDB patient(folder, 1);
    CReservationDB res(folder, 1);
    patient.SetAssociatedDB(&sys);
    res.SetAssociatedDB(&sys);
    if (!conn || conn->Begin(err) != 0) {
        std::fprintf(stderr, "cannot begin: %s\n", err.c_str());
        return false;
    }
    long resKey = 1;
    for (int p = 1; p <= kPatients; ++p) {
        patient.ClearRecord();
        Put(patient.m_rec.key, Key10(p));
        Put(patient.m_rec.name, "Patient " + std::to_string(p));
        if (patient.Insert() != 0) {
            std::fprintf(stderr, "patient insert: %s\n", patient.GetLastDBErr().c_str());
            return false;
        }
        for (int d = 0; d < kReservationsPerPatient; ++d) {
            res.ClearRecord();
            Put(res.m_rec.key, Key10(resKey++));
            Put(res.m_rec.patientKey, Key10(p));
            // One patient in five has no reservation today (a second one tomorrow instead).
            Put(res.m_rec.date, (d == kToday && p % 5 == 0) ? kDates[kToday + 1] : kDates[d]);
            char start[8];
            std::snprintf(start, sizeof start, "%02d%02d", 9 + p % 9, (p % 4) * 15);
            Put(res.m_rec.start, start);
            Put(res.m_rec.end, start);
            // One in three of today's reservations is already arrived.
            if (d == kToday && p % 3 == 0) {
                res.m_rec.status = 1;
                Put(res.m_rec.receptionTime, "0850");
            }
            if (res.Insert(0) != 0) {
                std::fprintf(stderr, "reservation insert: %s\n", res.GetLastDBErr().c_str());
                return false;
            }
        }
        if (p % 20000 == 0)
            std::fprintf(stderr, "  %d patients written\n", p);
    }
    return conn->End(true, err) == 0;
}

} // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::string folder;
    bool temporary = argc < 2;
    if (temporary) {
        std::string tmpl = (fs::temp_directory_path() / "kiosk-bench-XXXXXX").string();
        if (!mkdtemp(tmpl.data()))
            return 1;
        folder = tmpl + "/";
    } else {
        folder = argv[1];
        if (folder.back() != '/')
            folder += '/';
        fs::create_directories(folder);
    }
    if (!fs::exists(folder + "PelmoDB.sqlite")) {
        std::fprintf(stderr, "filling %s: %d patients, %d reservations\n", folder.c_str(),
                     kPatients, kPatients * kReservationsPerPatient);
        auto t0 = std::chrono::steady_clock::now();
        if (!Fill(folder))
            return 1;
        auto s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        std::fprintf(stderr, "filled in %.1f s\n", s);
    }

    KioskSettings settings;
    settings.Apply(folder, true);
    FakeClock clock{{2024, 5, 1, 9, 0, 0}};
    const platform::Clock::TimePoint morning = clock.Now();
    KioskController ctrl(clock, settings);
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> pick(1, kPatients + kPatients / 100); // 1% unknown
    std::map<int, int> states;

    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < kScans; ++i) {
        // A new second, and a new minute every 60 scans.
        clock.SetInstant(morning + std::chrono::seconds(i));
        for (char c : Key10(pick(rng)))
            ctrl.OnKeyDown(KioskController::kKeyDigit0 + (c - '0'));
        ++states[ctrl.GetDisplayState()];
    }
    double us =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count() /
        kScans;

    std::printf("kiosk scan to display state: %.1f us per scan (%d scans, %d patients, %d "
                "reservations, visit file included)\n",
                us, kScans, kPatients, kPatients * kReservationsPerPatient);
    for (auto [state, n] : states)
        std::printf("  state %d: %d scans\n", state, n);

    // The two parts of a scan on their own: the database lookup, and the visit file.
    const LocalTime last = LocalTime::At(clock.Now());
    t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < kScans; ++i)
        ReservationLookup::Run(folder, Key10(pick(rng)), last);
    us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count() /
         kScans;
    std::printf("  lookup alone: %.1f us per scan\n", us);
    const std::string visits = folder + "BenchVisits/";
    t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < kScans; ++i) {
        LocalTime t{2024, 5, 1, 9 + i / 3600, (i / 60) % 60, i % 60};
        VisitFile::Write(visits, Key10(pick(rng)), t);
    }
    us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count() /
         kScans;
    std::printf("  visit file alone: %.1f us per scan (day folder growing to %d files)\n", us,
                kScans);
    fs::remove_all(visits);
    fs::remove_all(settings.CheckInFolder());
    if (temporary)
        fs::remove_all(folder);
    return 0;
}
