#include "agent/dialogs/SettingTrigger.h"

#include "outside/pelmodb/CReservationDB.h"
#include "outside/tools/CTools.h"
#include "platform/FileOps.h"

SettingTrigger::Result SettingTrigger::Drop(const std::string& databaseFolder) {
    std::string folder;
    if (!databaseFolder.empty()) {
        CReservationDB reservations(databaseFolder, 1);
        folder = reservations.GetEntryFolder();
    }
    if (folder.empty())
        return NoEntryFolder;
    CTools::LastDelimAdd(folder);
    // Replaced whole, so a trigger left from before is emptied as well.
    return platform::WriteFileAtomic(folder + "Setting", std::string()) ? Dropped : Failed;
}
