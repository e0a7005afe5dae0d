#pragma once
// A fresh clinic database in a temporary folder, plus small record-filling helpers.
#include "CReservationDB.h"
#include "TempDir.h"

#include <cstring>
#include <string>
#include <string_view>

class PelmoTestDb {
public:
    PelmoTestDb();
    const std::string& Folder() const { return m_dir.Path(); }

    // Stores one reservation (other fields zero). Fails the test when Insert does not return 0.
    void AddReservation(std::string_view key, std::string_view patient, std::string_view date,
                        std::string_view start, std::string_view end, std::string_view unit,
                        std::string_view doctor, char status = 0);

private:
    TempDir m_dir;
};

template <std::size_t N> void Put(char (&dst)[N], std::string_view src) {
    std::memset(dst, 0, N);
    std::memcpy(dst, src.data(), std::min(src.size(), N - 1));
}
