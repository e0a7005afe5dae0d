#pragma once
// The patient directory: every local patient with names, age, characteristics and the last app
// login the web knows, keyed by patient key, for the patient search. Held by the application
// object for the life of the process and loaded for one database folder at a time. One thread
// only (the user-interface thread).
#include <map>
#include <string>

#include "agent/core/WebSession.h"
#include "agent/sync/support/tagPatientInfo.h"
#include "outside/pelmodb/CPatientDB.h"
#include "outside/pelmodb/CPatientDB2.h"
#include "platform/Clock.h"

class PatientDirectory {
public:
    // Builds the directory for databaseFolder (ending in '/') unless it is loaded for that folder
    // already. The web connection is opened again (the shared connection is left open); when
    // it cannot be opened or read, the directory is built without login times and nothing is
    // reported. Returns true when the directory is loaded for the folder; false when the local
    // patient table could not be walked to its end (the directory then holds what was read and
    // the next call loads again).
    bool LoadPatientDirectory(WebSession& web, const std::string& databaseFolder,
                              const platform::Clock& clock);

    // Puts the patient as just sent to the web into the directory (added or replaced), keeping
    // the login time the directory knows for that key.
    void UpdatePatientDirectoryEntry(const tagPatient& patient, const tagPatient2& second,
                                     const platform::Clock& clock);

    const std::map<std::string, tagPatientInfo>& Entries() const { return m_entries; }
    // The folder the directory is loaded for; empty when it is not loaded.
    const std::string& LoadedFolder() const { return m_folder; }

    // The entry of a patient record (login time empty).
    static tagPatientInfo MakeEntry(const tagPatient& patient, const tagPatient2& second,
                                    const platform::Clock& clock);

private:
    std::map<std::string, tagPatientInfo> m_entries;
    std::string m_folder;
};
