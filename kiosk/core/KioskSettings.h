#pragma once
// Run-time settings of the kiosk: database folder, lookup switch and check-in folder.
#include <string>

class KioskSettings {
public:
    // "Arrivo.ini" in the program folder.
    static std::string DefaultIniFile();

    // Reads [GLOBAL] DATABASE (default "") and DBCHECK (default 1) from iniFile, then Apply.
    // The file is only read, never written.
    void Load(const std::string& iniFile);

    // Takes a database folder (a trailing '/' is added) and the lookup switch, recomputes the
    // check-in folder (database folder + "CheckIn/") and creates it. With an empty database
    // folder there is no check-in folder (CheckInFolder() is empty), so no visit file is written
    // into whatever the current folder happens to be.
    void Apply(const std::string& databaseFolder, bool dbCheck);

    const std::string& DatabaseFolder() const { return m_databaseFolder; }
    bool DbCheck() const { return m_dbCheck; }
    const std::string& CheckInFolder() const { return m_checkInFolder; }

private:
    std::string m_databaseFolder;
    bool m_dbCheck = true;
    std::string m_checkInFolder;
};
