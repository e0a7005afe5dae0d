#pragma once
// The trigger file "Setting" that tells the running agent to republish the appointment types
// after the booking settings were stored.
#include <string>

class SettingTrigger {
public:
    enum Result { Dropped, NoEntryFolder, Failed };

    // Creates (or empties) "Setting" in the entry folder the local database of databaseFolder
    // names. Nothing is written when it names none (NoEntryFolder); Failed when the file could
    // not be written.
    static Result Drop(const std::string& databaseFolder);
};
