#pragma once
// Moves a version-2 installation's settings into version 3: "PelmoV2.ini" replaces
// "PelmoV3.ini" (optionally keeping version 3's database references) and the "*.sys" files are
// copied along. No UI; the dialog drives it. Texts and paths are CP932, delimiters '/'.
#include <string>
#include <vector>

class Migrator {
public:
    // One database reference: key "DATABASE" of `section`, shown in the list as `label`.
    struct Reference {
        std::string section; // "GLOBAL", "DB-1", "DB-2", "DB-3"
        std::string label;   // "DB", "DB-1", "DB-2", "DB-3"
        std::string value;   // at most 259 bytes; empty when missing
    };

    // What the dialog shows for a folder text.
    struct Scan {
        std::string folder;            // the text with a trailing '/'
        bool canMigrate = false;       // "PelmoV2.ini" exists in the folder
        std::vector<Reference> listed; // the non-empty references of "PelmoV2.ini", in order
    };

    struct Result {
        bool ran = false;                   // false: no "PelmoV2.ini" in the folder, nothing done
        bool iniReplaced = false;           // "PelmoV3.ini" now holds the migrated settings
        std::vector<std::string> sysCopied; // file names
        std::vector<std::string> sysFailed; // file names that could not be copied
        std::string error;                  // why "PelmoV3.ini" was left as it was
    };

    static constexpr const char* kV2Ini = "PelmoV2.ini";
    static constexpr const char* kV3Ini = "PelmoV3.ini";
    static constexpr std::size_t kFolderBuf = 260; // the folder edit's buffer, terminator included
    static constexpr std::size_t kValueBuf = 260;  // each DATABASE value, terminator included

    // `targetFolder` is the version-3 program folder (where "PelmoV3.ini" lives), ending in '/'.
    explicit Migrator(std::string targetFolder);
    virtual ~Migrator() = default;

    // The folder text as the dialog uses it: cut to 259 bytes, '/' appended when missing.
    static std::string NormalizeFolder(const std::string& text);

    // All four references of `iniFile`, in the order GLOBAL, DB-1, DB-2, DB-3 (empty values
    // included).
    static std::vector<Reference> ReadReferences(const std::string& iniFile);

    static Scan ScanFolder(const std::string& folderText);

    // Runs the migration from the version-2 folder `folderText`. With `takeV2References` false,
    // the non-empty references of the current "PelmoV3.ini" are written into the new one.
    // "PelmoV3.ini" is replaced atomically: it is always either the old file or the complete
    // new one, also when a step in between fails (the result then says why).
    // Failures to copy a "*.sys" file are listed and do not stop the migration.
    Result Migrate(const std::string& folderText, bool takeV2References);

    const std::string& TargetFolder() const { return m_target; }

protected:
    // The steps that write; virtual so a test can make one fail half-way.
    virtual bool CopyOne(const std::string& from, const std::string& to);
    virtual bool WriteReference(const std::string& iniFile, const Reference& ref);

private:
    void CopySysFiles(const std::string& v2Folder, Result& result);

    std::string m_target;
};
