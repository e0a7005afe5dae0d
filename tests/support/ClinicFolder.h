#pragma once
// A temporary clinic folder for tests: a fresh, empty local database in its "db/" subfolder. A
// database that cannot be created fails the running test. Removed with everything in it when the
// object goes.
#include <string>

#include "TempDir.h"

class ClinicFolder {
public:
    ClinicFolder();

    // The temporary folder, ending with '/'.
    const std::string& Root() const { return m_dir.Path(); }
    // Root() + "db/", the local database folder.
    const std::string& DatabaseFolder() const { return m_db; }

private:
    TempDir m_dir;
    std::string m_db;
};
