#pragma once
// Where the agent's settings live and how they are read and written. Three profile files:
//   - the product settings file (CTools::GetCorvaneIniFileName), of which only GLOBAL/DATABASE
//     is read: the database folder;
//   - the agent settings file "Apposync.ini" in the database folder, the process's profile file
//     after start-up (all ordinary profile reads and writes go to the profile file);
//   - the shared clinic settings file "GLOBALSETTING.ini" in the database folder (read only).
// Nothing is cached: every call goes to the file again, so a value another agent process stored
// is seen at the next read. Only the user-interface thread may call these (the profile file
// name is process-wide state).
#include "AgentSettingKeys.h"

#include <ctime>
#include <string>

class AgentSettings {
public:
    // GLOBAL/DATABASE of the product settings file (260-byte buffer), with the path delimiter
    // added when missing; empty when the file or key is missing.
    static std::string DatabaseFolder();
    // "%sApposync.ini" with the database folder (a bare file name when the folder is empty).
    static std::string AgentFile();
    // Database folder + "GLOBALSETTING.ini"; empty when the database folder is empty.
    static std::string SharedFile();

    // Replaces the process's profile file by `name`; an empty name stands for AgentFile(),
    // resolved now. Start-up calls it with an empty name; a caller that needs a library call to
    // see the product settings file points it there and back again with an empty name.
    static void SetProfileFile(const std::string& name);
    // The current profile file; AgentFile() (resolved at each call) until SetProfileFile runs.
    static std::string ProfileFile();

    // Plain profile access on the profile file. Text reads are cut to bufSize - 1 bytes.
    static std::string GetString(const std::string& section, const std::string& key,
                                 const std::string& def, std::size_t bufSize = 4096);
    static int GetInt(const std::string& section, const std::string& key, int def);
    // False when the file could not be written.
    static bool WriteString(const std::string& section, const std::string& key,
                            const std::string& value);
    static bool WriteInt(const std::string& section, const std::string& key, int value);

    // Typed access to the keys of settingkeys on the profile file. `page` (0 = first page) and
    // `weekday` (1 = Sunday .. 7; 0 = none) form the name as KeyName does.
    static int Get(const IntKey& key, int page = 0, int weekday = 0);
    static std::string Get(const TextKey& key, int page = 0, int weekday = 0);
    static bool Set(const IntKey& key, int value, int page = 0, int weekday = 0);
    static bool Set(const TextKey& key, const std::string& value, int page = 0, int weekday = 0);

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
    static int FirstWorkTime(WorkTime which, int page, int weekday);
    // The clinic's working time ("MENTE" of the shared file).
    static int ClinicWorkTime(WorkTime which, int weekday);

    // USER and PASS of "COMMON", deciphered; empty when they do not decipher.
    static std::string User();
    static std::string Password();

    // (key, section, default) of the shared file, cut to 1000 bytes; `def` when the shared
    // file's path is empty or the key is missing.
    static std::string SharedString(const std::string& key, const std::string& section,
                                    const std::string& def);
    // The leading decimal number of a shared value (0 when it has none), `def` when missing.
    static int SharedInt(const std::string& key, const std::string& section, int def);
    static std::string Shared(const TextKey& key);
    static int Shared(const IntKey& key, int weekday = 0);

    // Modification times; 1971-01-01 00:00:00 local time when the path is empty or unreadable.
    static std::time_t SharedFileTime();
    static std::time_t AgentFileTime();

    // HOSPITAL_INFO/NAME (TEL) of the profile file; when empty, GLOBAL/ClinicName (ClinicTel)
    // of the shared file.
    static std::string ClinicName();
    static std::string ClinicTel();
};
