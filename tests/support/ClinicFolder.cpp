#include "ClinicFolder.h"

#include <gtest/gtest.h>

#include "outside/pelmodb/CPelmoDBSys.h"
#include "platform/FileOps.h"

ClinicFolder::ClinicFolder() : m_db(m_dir.Path() + "db/") {
    platform::MakeDirs(m_db);
    std::string err;
    if (CPelmoDBSys::CreateDatabase(m_db, err) != 0)
        ADD_FAILURE() << "cannot create clinic database: " << err;
}
