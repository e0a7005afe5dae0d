#pragma once
// A fresh clinic database in a temporary folder, filled through the library's record classes.
#include "TempDir.h"

#include <string>

class KioskTestDb {
public:
    KioskTestDb();
    const std::string& Folder() const { return m_dir.Path(); }

    // nameUtf8 is stored as CP932, as the practice software would.
    void AddPatient(const std::string& key, const std::string& nameUtf8);
    // start and reception are the raw four bytes ("HHMM"); status 0 booked, 1 arrived.
    void AddReservation(const std::string& key, const std::string& patient, const std::string& date,
                        const std::string& start, char status, const std::string& reception = "");

private:
    TempDir m_dir;
};
