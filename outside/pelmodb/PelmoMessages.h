#pragma once
// The library's error texts (CP932, Japanese): what went wrong, with the database file named, and,
// when the program said where it took the folder from, that settings file and key, so the front
// desk knows what to check.
#include <string>

class PelmoMessages {
public:
    // Remembers for this process that `folder` was read from `key` of `settingsFile` (for example
    // "/opt/corvane/PelmoV3.ini" and "[GLOBAL] DATABASE"); texts about that folder's database
    // name them. A later call for the same folder replaces the source; an empty settingsFile
    // forgets it. Thread-safe.
    static void SetFolderSource(const std::string& folder, const std::string& settingsFile,
                                const std::string& key);

    // The database file of `file`'s folder is not there (or the folder is not set).
    static std::string Missing(const std::string& file);
    // SQLite could not open or set up the file; sqliteCode/sqliteText are its result and text.
    static std::string CannotOpen(const std::string& file, int sqliteCode,
                                  const std::string& sqliteText);
    // A readable SQLite file without this library's tables.
    static std::string NotClinicDatabase(const std::string& file);
    // The file was written by a library of another version.
    static std::string WrongVersion(const std::string& file, const std::string& found,
                                    const std::string& expected);
    // Another process kept the database locked longer than the library waits. `what` says what
    // was being done ("reservations の読み込み").
    static std::string Locked(const std::string& file, const std::string& what);
    // Any other failure of `what` ("読み込み", "登録"...): "<what>に失敗しました（<reason>）".
    static std::string Failed(const std::string& what, int sqliteCode,
                              const std::string& sqliteText);

    // True for SQLite results that mean another process holds the database.
    static bool IsLockCode(int sqliteCode);

    // Fixed texts of ordinary outcomes.
    static const std::string& NotFound();  // no record with that key
    static const std::string& EndOfFile(); // navigation ran past the first or last record
    static const std::string& NoCurrent(); // GetNEXT/GetPREV without a current record
    static const std::string& Duplicate(); // a record with the same key exists
    static std::string NoKeyNumber(int keyNumber);
    static std::string NotADate(const std::string& value);

private:
    // "（フォルダは <file> の <key> で設定）" or "" when no source is known.
    static std::string SourceNote(const std::string& databaseFile);
    // A Japanese reason for the SQLite results a user can meet, else SQLite's own text.
    static std::string Reason(int sqliteCode, const std::string& sqliteText);
};
