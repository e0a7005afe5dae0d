#pragma once
// The agent process's own settings: a ClinicSettings on the product settings file the program
// folder names (CTools::GetCorvaneIniFileName), and the process's profile file. The window, the
// dialogs and the start-up read and write through it; they hand Process() to the engine, which
// reads only the ClinicSettings it is given. Nothing is cached. Only the user-interface thread
// may call these (the profile file name is process-wide state).
#include "ClinicSettings.h"

#include <ctime>
#include <string>

class AgentSettings {
public:
    // The process's settings as they stand now: the product settings file named now, the
    // profile file as SetProfileFile left it.
    static ClinicSettings Process();

    static std::string DatabaseFolder() { return Process().DatabaseFolder(); }
    static std::string AgentFile() { return Process().AgentFile(); }
    static std::string SharedFile() { return Process().SharedFile(); }

    // Replaces the process's profile file by `name`; an empty name stands for AgentFile(),
    // resolved now. Start-up calls it with an empty name.
    static void SetProfileFile(const std::string& name);
    // The current profile file; AgentFile() (resolved at each call) until SetProfileFile runs.
    static std::string ProfileFile() { return Process().ProfileFile(); }

    static std::string GetString(const std::string& section, const std::string& key,
                                 const std::string& def, std::size_t bufSize = 4096) {
        return Process().GetString(section, key, def, bufSize);
    }
    static int GetInt(const std::string& section, const std::string& key, int def) {
        return Process().GetInt(section, key, def);
    }
    static bool WriteString(const std::string& section, const std::string& key,
                            const std::string& value) {
        return Process().WriteString(section, key, value);
    }
    static bool WriteInt(const std::string& section, const std::string& key, int value) {
        return Process().WriteInt(section, key, value);
    }

    template <typename Key> static auto Get(const Key& key, int page = 0, int weekday = 0) {
        return Process().Get(key, page, weekday);
    }
    template <typename Key, typename Value>
    static bool Set(const Key& key, const Value& value, int page = 0, int weekday = 0) {
        return Process().Set(key, value, page, weekday);
    }

    static std::string KeyName(const std::string& base, int page, int weekday = 0) {
        return ClinicSettings::KeyName(base, page, weekday);
    }
    using WorkTime = ClinicSettings::WorkTime;
    static std::string WorkTimeKey(WorkTime which, int weekday) {
        return ClinicSettings::WorkTimeKey(which, weekday);
    }
    static int FirstWorkTime(WorkTime which, int page, int weekday) {
        return Process().FirstWorkTime(which, page, weekday);
    }
    static int ClinicWorkTime(WorkTime which, int weekday) {
        return Process().ClinicWorkTime(which, weekday);
    }

    static std::string User() { return Process().User(); }
    static std::string Password() { return Process().Password(); }

    static std::string SharedString(const std::string& key, const std::string& section,
                                    const std::string& def) {
        return Process().SharedString(key, section, def);
    }
    static int SharedInt(const std::string& key, const std::string& section, int def) {
        return Process().SharedInt(key, section, def);
    }
    template <typename Key> static auto Shared(const Key& key) { return Process().Shared(key); }
    static int Shared(const IntKey& key, int weekday) { return Process().Shared(key, weekday); }

    static std::time_t SharedFileTime() { return Process().SharedFileTime(); }

    static std::string ClinicName() { return Process().ClinicName(); }
    static std::string ClinicTel() { return Process().ClinicTel(); }
};
