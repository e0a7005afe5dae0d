#include "KioskSettings.h"

#include "PelmoMessages.h"
#include "outside/tools/CTools.h"
#include "platform/Profile.h"

#include <iostream>

std::string KioskSettings::DefaultIniFile() {
    return CTools::GetExecutionFileDirectoryPath(0) + "Arrivo.ini";
}

void KioskSettings::Load(const std::string& iniFile) {
    std::string folder = platform::GetProfileString(iniFile, "GLOBAL", "DATABASE", "");
    int dbCheck = platform::GetProfileInt(iniFile, "GLOBAL", "DBCHECK", 1);
    Apply(folder, dbCheck != 0);
    // The local database's errors then tell where the folder is set.
    PelmoMessages::SetFolderSource(m_databaseFolder, iniFile, "[GLOBAL] DATABASE");
}

void KioskSettings::Apply(const std::string& databaseFolder, bool dbCheck) {
    m_databaseFolder = databaseFolder;
    CTools::LastDelimAdd(m_databaseFolder);
    m_dbCheck = dbCheck;
    if (m_databaseFolder.empty()) {
        m_checkInFolder.clear();
        std::cerr << "arrivo: no database folder set; visit files are not written\n";
        return;
    }
    m_checkInFolder = m_databaseFolder + "CheckIn/";
    if (!CTools::MkDir(m_checkInFolder))
        std::cerr << "arrivo: cannot create the check-in folder " << m_checkInFolder << "\n";
}
