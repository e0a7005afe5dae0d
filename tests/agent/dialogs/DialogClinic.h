#pragma once
// A clinic for the dialog tests: the engine tests' TestClinic (program folder, fresh local
// database, "Apposync.ini" as the profile file) with appointment types, units and doctors that
// may carry the unused marker, the configured entry folder and direct access to the ini files.
#include <string>

#include "TestClinic.h"

class DialogClinic : public TestClinic {
public:
    // A category of kind "0" (type) or "1" (unit); unused: the "__" marker.
    void AddCategory(const std::string& kind, const std::string& code, const std::string& nameUtf8,
                     bool unused = false) const;
    void AddDoctor(const std::string& code, const std::string& nameUtf8, bool unused = false) const;
    // The entry folder the local database names ("" for none).
    void SetEntryFolder(const std::string& folder) const;

    std::string Ini() const { return DatabaseFolder() + "Apposync.ini"; }
    std::string SharedIni() const { return DatabaseFolder() + "GLOBALSETTING.ini"; }
    // [section] key of Apposync.ini; values are UTF-8 here and CP932 in the file.
    void Set(const std::string& section, const std::string& key, const std::string& utf8) const;
    std::string Get(const std::string& section, const std::string& key,
                    const std::string& def = "<missing>") const; // UTF-8
    bool Has(const std::string& section, const std::string& key) const;
};
