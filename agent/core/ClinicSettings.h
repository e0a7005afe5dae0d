#pragma once
// The settings of one clinic's agent, read from three profile files:
//   - the product settings file given at construction, of which only GLOBAL/DATABASE is read:
//     the database folder;
//   - the agent settings file "Apposync.ini" in the database folder (the profile file unless
//     another one is given);
//   - the shared clinic settings file "GLOBALSETTING.ini" in the database folder (read only).
// Nothing is cached: every call goes to the file again, so a value another agent process stored
// is seen at the next read. An object holds file names only, so two clinics can be read side by
// side in one process; copying is cheap.
#include "AgentSettingKeys.h"

#include <ctime>
#include <string>

class ClinicSettings {
public:
    // profileFile: empty for "Apposync.ini" of the database folder, resolved at each call.
    explicit ClinicSettings(std::string productFile, std::string profileFile = {});

    // GLOBAL/DATABASE of the product settings file (260-byte buffer), with the path delimiter
    // added when missing; empty when the file or key is missing.
    std::string DatabaseFolder() const;
    // "%sApposync.ini" with the database folder (a bare file name when the folder is empty).
    std::string AgentFile() const;
    // Database folder + "GLOBALSETTING.ini"; empty when the database folder is empty.
    std::string SharedFile() const;
    // The file the plain and typed reads and writes go to.
    std::string ProfileFile() const;

    // Plain profile access on the profile file. Text reads are cut to bufSize - 1 bytes.
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& def, std::size_t bufSize = 4096) const;
    int GetInt(const std::string& section, const std::string& key, int def) const;
    // False when the file could not be written.
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value) const;
    bool WriteInt(const std::string& section, const std::string& key, int value) const;

    // Typed access to the keys of settingkeys on the profile file. `page` (0 = first page) and
    // `weekday` (1 = Sunday .. 7; 0 = none) form the name as KeyName does.
    int Get(const IntKey& key, int page = 0, int weekday = 0) const;
    std::string Get(const TextKey& key, int page = 0, int weekday = 0) const;
    bool Set(const IntKey& key, int value, int page = 0, int weekday = 0) const;
    bool Set(const TextKey& key, const std::string& value, int page = 0, int weekday = 0) const;

    // Key name of a per-weekday and per-page key: the weekday number is appended when not 0,
    // then "_<page>" when page is not 0 ("DayOfWeek3" + page 2 = "DayOfWeek3_2").
    static std::string KeyName(const std::string& base, int page, int weekday = 0);

    // Working-time keys of a weekday, HHMM as an integer (hour * 100 + minute).
    enum class WorkTime { AmFrom, AmTo, PmFrom, PmTo };
    // "WtAmFrm%d", "WtAmTo%d", "WtPmFrm%d", "WtPmTo%d".
    static std::string WorkTimeKey(WorkTime which, int weekday);
    // 0 for weekday 1 (Sunday); 900, 1200, 1300, 1800 for the other days.
    static int DefaultWorkTime(WorkTime which, int weekday);
    // A first-visit booking page's working time ("FRIST_APPOINTMENTS", profile file).
    int FirstWorkTime(WorkTime which, int page, int weekday) const;
    // The clinic's working time ("MENTE" of the shared file).
    int ClinicWorkTime(WorkTime which, int weekday) const;

    // USER and PASS of "COMMON", deciphered; empty when they do not decipher.
    std::string User() const;
    std::string Password() const;

    // (key, section, default) of the shared file, cut to 1000 bytes; `def` when the shared
    // file's path is empty or the key is missing.
    std::string SharedString(const std::string& key, const std::string& section,
                             const std::string& def) const;
    // The leading decimal number of a shared value (0 when it has none), `def` when missing.
    int SharedInt(const std::string& key, const std::string& section, int def) const;
    std::string Shared(const TextKey& key) const;
    int Shared(const IntKey& key, int weekday = 0) const;

    // Modification times; 1971-01-01 00:00:00 local time when the path is empty or unreadable.
    std::time_t SharedFileTime() const;
    std::time_t AgentFileTime() const;

    // HOSPITAL_INFO/NAME (TEL) of the profile file; when empty, GLOBAL/ClinicName (ClinicTel)
    // of the shared file.
    std::string ClinicName() const;
    std::string ClinicTel() const;

private:
    std::string m_productFile;
    std::string m_profileFile;
};
