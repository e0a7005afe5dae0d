// The free-slot check on a large reservation book: microseconds per FindFreeSlot call.
//   bench_free_slot [reservations] [calls]      (defaults 1000000 and 5000)
// The book is built in a temporary folder: 20 units (and 20 doctors) with half-hour bookings
// from 09:00 to 21:30 on as many days as the count needs.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "TempDir.h"
#include "agent/sync/support/FindFreeSlot.h"
#include "outside/pelmodb/CPelmoDBSys.h"
#include "outside/pelmodb/CReservationDB.h"
#include "outside/pelmodb/PelmoSchema.h"
#include "outside/pelmodb/SqliteConnection.h"

namespace {

constexpr int kUnits = 20;
constexpr int kPerDay = 25;

template <std::size_t N> void Set(char (&f)[N], const std::string& text) {
    std::memset(f, 0, N);
    std::memcpy(f, text.data(), std::min(text.size(), N - 1));
}

std::string Date(int dayIndex) {
    // Day n after 2020-01-01 on a 28-day month calendar is enough for distinct sorted dates.
    const int y = 2020 + dayIndex / (12 * 28);
    const int m = 1 + (dayIndex / 28) % 12;
    const int d = 1 + dayIndex % 28;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, d);
    return buf;
}

std::string Hhmm(int minutes) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d%02d", minutes / 60, minutes % 60);
    return buf;
}

} // namespace

int main(int argc, char** argv) {
    const long total = argc > 1 ? std::atol(argv[1]) : 1000000;
    const int calls = argc > 2 ? std::atoi(argv[2]) : 5000;
    const int days = static_cast<int>((total + kUnits * kPerDay - 1) / (kUnits * kPerDay));

    TempDir dir;
    std::string err;
    if (PelmoSchema::Create(dir.Path(), err) != 0) {
        std::fprintf(stderr, "cannot create the book: %s\n", err.c_str());
        return 1;
    }
    CPelmoDBSys sys(dir.Path());
    CReservationDB table(dir.Path(), 1);
    table.SetAssociatedDB(&sys);

    const auto t0 = std::chrono::steady_clock::now();
    auto conn = sys.Connection();
    if (!conn || conn->Begin(err) != 0) {
        std::fprintf(stderr, "cannot open the book: %s\n", sys.GetLastDBErr().c_str());
        return 1;
    }
    long n = 0;
    for (int day = 0; day < days && n < total; ++day) {
        const std::string date = Date(day);
        for (int u = 0; u < kUnits && n < total; ++u) {
            for (int k = 0; k < kPerDay && n < total; ++k, ++n) {
                table.ClearRecord();
                tagReservation& r = table.m_rec;
                char key[24];
                std::snprintf(key, sizeof key, "%010ld", n + 1);
                Set(r.key, key);
                Set(r.patientKey, "0000000001");
                Set(r.date, date);
                Set(r.start, Hhmm(540 + 30 * k));
                Set(r.end, Hhmm(540 + 30 * k + 30));
                Set(r.unit, std::to_string(u + 1));
                Set(r.doctor, "D" + std::to_string(u + 1));
                Set(r.type, "01");
                r.status = static_cast<char>(k % 7 == 3 ? 2 : 0); // some cancelled
                if (table.Insert(0) != 0) {
                    std::fprintf(stderr, "insert failed: %s\n", table.GetLastDBErr().c_str());
                    return 1;
                }
            }
        }
    }
    if (conn->End(true, err) != 0) {
        std::fprintf(stderr, "commit failed: %s\n", err.c_str());
        return 1;
    }
    const double buildSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("book: %ld reservations (%d days x %d units x %d), built in %.1f s\n", n, days,
                kUnits, kPerDay, buildSeconds);

    std::mt19937 rng(42);
    std::uniform_int_distribution<int> dayDist(0, days - 1);
    std::uniform_int_distribution<int> startDist(0, 12 * 4 - 1); // 09:00 .. 20:45, 15 minutes
    std::uniform_int_distribution<int> unitDist(1, kUnits - 2);

    struct Case {
        const char* name;
        int mode;
        int candidates;
    };
    for (const Case& c :
         {Case{"unit mode, 1 candidate", 0, 1}, Case{"unit mode, 3 candidates", 0, 3},
          Case{"doctor mode, 3 candidates", 1, 3}}) {
        long found = 0;
        const auto s = std::chrono::steady_clock::now();
        for (int i = 0; i < calls; ++i) {
            const int u = unitDist(rng);
            std::vector<std::string> cand;
            for (int j = 0; j < c.candidates; ++j)
                cand.push_back((c.mode ? "D" : "") + std::to_string(u + j));
            const int r = FindFreeSlot(Hhmm(540 + 15 * startDist(rng)), cand, table, c.mode,
                                       Date(dayDist(rng)), 30, "");
            found += r >= 0;
        }
        const double us =
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - s)
                .count() /
            calls;
        std::printf("FindFreeSlot, %s: %.1f us per call (%d calls, %ld found a free slot)\n",
                    c.name, us, calls, found);
    }
    return 0;
}
