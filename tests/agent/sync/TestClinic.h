#pragma once
// A clinic for the engine tests: a program folder with PelmoV3.ini naming a fresh local database
// folder, "Apposync.ini" there, record helpers and entry files. The engine is given Settings();
// by default the clinic is also made the process's own (CORVANE_HOME and the profile file), as
// the start-up and the dialogs need it. Values are UTF-8 in the test source and stored as CP932.
#include <chrono>
#include <string>

#include "ClinicFolder.h"
#include "RecordText.h"
#include "agent/core/ClinicSettings.h"
#include "outside/pelmodb/CReservationDB.h"

struct TestReservation {
    std::string key, patient, date = "20240110", start = "1000", end = "1030", unit = "1",
                              doctor = "D1", type = "01", memo;
    char status = 0;
    char secondaryState = 0;
    int amount = 0;
    std::string receptionTime;
    std::string guestName, guestKana, guestBirthday, guestTel;
};

class WebDb;

class TestClinic {
public:
    // Take: the process's program folder is this clinic's until the clinic goes. Leave: the
    // environment and the process's profile file are not touched.
    enum class ProcessHome { Take, Leave };
    explicit TestClinic(ProcessHome home = ProcessHome::Take);
    ~TestClinic();

    const std::string& DatabaseFolder() const { return m_db; }
    // The clinic's settings (its PelmoV3.ini, Apposync.ini in its database folder), as the
    // engine is given them.
    ClinicSettings Settings() const;
    std::string EntryFolder() const { return m_db + "EntryToWeb/"; }

    // COMMON/<key> of Apposync.ini.
    void SetCommon(const std::string& key, const std::string& value) const;
    // Points the agent at a test web database with the stored (enciphered) credentials, as an
    // installation keeps them.
    void UseWebDatabase(const WebDb& web) const;

    void AddPatient(const std::string& key, const std::string& displayNo,
                    const std::string& nameUtf8, const std::string& kanaUtf8 = {},
                    const std::string& birthday = {}, const std::string& tel = {},
                    const std::string& commentUtf8 = {},
                    const std::string& characteristicUtf8 = {});
    void AddDoctor(const std::string& code, const std::string& nameUtf8);
    void AddUnit(const std::string& code, const std::string& nameUtf8);
    void AddReservation(const TestReservation& r);
    // A reservation the practice software has just booked: the row and its INSERT entry file.
    void BookReservation(const TestReservation& r);
    void RemoveReservation(const std::string& key);
    void AddStandby(const std::string& key, const std::string& reservationKey);
    long ReservationCount() const;

    // Writes an entry file (CP932 = the given bytes) and dates it back so the scan takes it.
    std::string Entry(const std::string& name, const std::string& bytes) const;
    bool EntryExists(const std::string& name) const;

    // Sets a file's modification time.
    static void SetModified(const std::string& path, std::chrono::system_clock::time_point t);

private:
    ClinicFolder m_clinic;
    std::string m_db;
    std::string m_oldHome;
    bool m_hadHome = false;
    bool m_tookHome = false;
};
