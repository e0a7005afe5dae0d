// Seek cost of the reservation keys on a large book: builds (or reuses) a database of COUNT
// reservations in FOLDER and prints microseconds per GREQ on keys 3, 4 and 2, and per free-slot
// style walk (GREQ, then NEXT while code and date match).
//
//   bench_pelmodb [FOLDER [COUNT]]     defaults: a folder under /tmp, 1000000
#include "CPelmoDBSys.h"
#include "CReservationDB.h"
#include "PelmoSchema.h"
#include "SqliteConnection.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>

namespace {

constexpr int kUnits = 8;
constexpr int kDoctors = 5;
constexpr int kDays = 1000;
constexpr int kPatients = 50000;
constexpr int kSeeks = 20000;

std::string Date(int day) {
    // Day numbers from 2023-01-01, 28-day months keep the text valid and simple.
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", 2023 + day / 336, 1 + day / 28 % 12,
                  1 + day % 28);
    return buf;
}

template <std::size_t N> void Put(char (&dst)[N], const std::string& s) {
    std::memset(dst, 0, N);
    std::memcpy(dst, s.data(), std::min(s.size(), N - 1));
}

bool Build(const std::string& folder, long count) {
    std::string err;
    if (PelmoSchema::Create(folder, err) != 0) {
        std::fprintf(stderr, "cannot create database: %s\n", err.c_str());
        return false;
    }
    CPelmoDBSys sys(folder);
    auto conn = sys.Connection();
    CReservationDB res(folder, 1);
    res.SetAssociatedDB(&sys);
    if (res.GetRecordCount() >= count) {
        std::printf("reusing %ld reservations in %s\n", res.GetRecordCount(), folder.c_str());
        return true;
    }
    std::mt19937 rng(7);
    auto start = std::chrono::steady_clock::now();
    long stored = res.GetRecordCount();
    for (long i = stored; i < count;) {
        if (conn->Begin(err) != 0)
            return false;
        for (int batch = 0; batch < 20000 && i < count; ++batch, ++i) {
            res.ClearRecord();
            char key[32];
            std::snprintf(key, sizeof key, "%010ld", i + 1);
            Put(res.m_rec.key, key);
            std::snprintf(key, sizeof key, "%010d", 1 + static_cast<int>(rng() % kPatients));
            Put(res.m_rec.patientKey, key);
            Put(res.m_rec.date, Date(static_cast<int>(rng() % kDays)));
            int minute = 9 * 60 + static_cast<int>(rng() % 18) * 30;
            char hhmm[32];
            std::snprintf(hhmm, sizeof hhmm, "%02d%02d", minute / 60, minute % 60);
            Put(res.m_rec.start, hhmm);
            std::snprintf(hhmm, sizeof hhmm, "%02d%02d", (minute + 30) / 60, (minute + 30) % 60);
            Put(res.m_rec.end, hhmm);
            Put(res.m_rec.unit, std::to_string(1 + rng() % kUnits));
            Put(res.m_rec.doctor, std::to_string(1 + rng() % kDoctors));
            Put(res.m_rec.type, "02");
            if (res.Insert(1) != 0) {
                std::fprintf(stderr, "insert failed: %s\n", res.GetLastDBErr().c_str());
                conn->End(false, err);
                return false;
            }
        }
        if (conn->End(true, err) != 0)
            return false;
    }
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("built %ld reservations in %.1f s\n", count - stored, s);
    return true;
}

// Runs kSeeks seeks on the key; walk: also read on while the first segment and date match.
void Measure(CReservationDB& res, int keyNumber, bool walk) {
    std::mt19937 rng(11);
    res.SetKey(keyNumber);
    long records = 0;
    auto start = std::chrono::steady_clock::now();
    std::clock_t cpuStart = std::clock();
    for (int i = 0; i < kSeeks; ++i) {
        std::string date = Date(static_cast<int>(rng() % kDays));
        char key[35] = {};
        int length = 18;
        if (keyNumber == 2) {
            std::string patient = std::to_string(10000000000LL + 1 + rng() % kPatients).substr(1);
            std::memcpy(key, patient.data(), 10);
            std::memcpy(key + 21, date.data(), 8);
            length = 35;
        } else {
            int code = 1 + static_cast<int>(rng() % (keyNumber == 3 ? kDoctors : kUnits));
            std::memcpy(key, std::to_string(code).c_str(), code < 10 ? 1 : 2);
            std::memcpy(key + 4, date.data(), 8);
        }
        res.SetKeyBuffer(key, length);
        int rc = res.GetGREQ();
        while (walk && rc == 0) {
            const char* code = keyNumber == 3 ? res.m_rec.doctor : res.m_rec.unit;
            if (std::strcmp(code, key) != 0 || date != res.m_rec.date)
                break;
            ++records;
            rc = res.GetNEXT();
        }
    }
    double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                    .count() /
                kSeeks;
    // CPU time too: on a busy machine the wall figure mostly measures waiting for a core.
    double cpuUs = 1e6 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC / kSeeks;
    if (walk)
        std::printf("key %d GREQ + NEXT while code and date match: %8.1f us wall, %8.1f us CPU "
                    "per seek (%.1f records each)\n",
                    keyNumber, us, cpuUs, static_cast<double>(records) / kSeeks);
    else
        std::printf("key %d GREQ:                                  %8.1f us wall, %8.1f us CPU "
                    "per seek\n",
                    keyNumber, us, cpuUs);
}

} // namespace

int main(int argc, char** argv) {
    std::string folder = argc > 1 ? argv[1] : "/tmp/bench_pelmodb/";
    long count = argc > 2 ? std::atol(argv[2]) : 1000000;
    if (count <= 0) {
        std::fprintf(stderr, "usage: bench_pelmodb [FOLDER [COUNT]]\n");
        return 2;
    }
    std::string mk = "mkdir -p '" + folder + "'";
    if (std::system(mk.c_str()) != 0)
        return 1;
    if (!Build(folder, count))
        return 1;
    CReservationDB res(folder, 0);
    std::printf("%ld reservations, %d seeks per figure\n", res.GetRecordCount(), kSeeks);
    Measure(res, 3, false);
    Measure(res, 4, false);
    Measure(res, 2, false);
    Measure(res, 3, true);
    Measure(res, 4, true);
    return 0;
}
