#include "AgentSettings.h"

#include "Credentials.h"
#include "outside/pelmodb/PelmoMessages.h"
#include "outside/tools/CTools.h"
#include "platform/Cp932.h"
#include "platform/FileOps.h"
#include "platform/Profile.h"

#include <optional>

namespace {

// The process's profile file; unset until start-up names it.
std::optional<std::string> g_profileFile;

constexpr std::size_t kFolderBuffer = 260;
// Shared values are cut to 1000 bytes (buffer size includes the terminator).
constexpr std::size_t kSharedBuffer = 1001;

} // namespace

std::string AgentSettings::DatabaseFolder() {
    const std::string productFile = CTools::GetCorvaneIniFileName();
    std::string folder =
        platform::GetProfileString(productFile, "GLOBAL", "DATABASE", "", kFolderBuffer);
    if (!folder.empty())
        CTools::LastDelimAdd(folder);
    // The local database's errors then tell where the folder is set.
    PelmoMessages::SetFolderSource(folder, productFile, "[GLOBAL] DATABASE");
    return folder;
}

std::string AgentSettings::AgentFile() {
    return DatabaseFolder() + "Apposync.ini";
}

std::string AgentSettings::SharedFile() {
    std::string folder = DatabaseFolder();
    return folder.empty() ? std::string() : folder + "GLOBALSETTING.ini";
}

void AgentSettings::SetProfileFile(const std::string& name) {
    g_profileFile = name.empty() ? AgentFile() : name;
}

std::string AgentSettings::ProfileFile() {
    return g_profileFile ? *g_profileFile : AgentFile();
}

std::string AgentSettings::GetString(const std::string& section, const std::string& key,
                                     const std::string& def, std::size_t bufSize) {
    return platform::GetProfileString(ProfileFile(), section, key, def, bufSize);
}

int AgentSettings::GetInt(const std::string& section, const std::string& key, int def) {
    return platform::GetProfileInt(ProfileFile(), section, key, def);
}

bool AgentSettings::WriteString(const std::string& section, const std::string& key,
                                const std::string& value) {
    return platform::WriteProfileString(ProfileFile(), section, key, value);
}

bool AgentSettings::WriteInt(const std::string& section, const std::string& key, int value) {
    return WriteString(section, key, std::to_string(value));
}

std::string AgentSettings::KeyName(const std::string& base, int page, int weekday) {
    std::string name = base;
    if (weekday != 0)
        name += std::to_string(weekday);
    if (page != 0)
        name += "_" + std::to_string(page);
    return name;
}

int AgentSettings::Get(const IntKey& key, int page, int weekday) {
    return GetInt(key.section, KeyName(key.name, page, weekday), key.def);
}

std::string AgentSettings::Get(const TextKey& key, int page, int weekday) {
    return GetString(key.section, KeyName(key.name, page, weekday), platform::J(key.def));
}

bool AgentSettings::Set(const IntKey& key, int value, int page, int weekday) {
    return WriteInt(key.section, KeyName(key.name, page, weekday), value);
}

bool AgentSettings::Set(const TextKey& key, const std::string& value, int page, int weekday) {
    return WriteString(key.section, KeyName(key.name, page, weekday), value);
}

std::string AgentSettings::WorkTimeKey(WorkTime which, int weekday) {
    const char* base = "WtPmTo";
    switch (which) {
    case WorkTime::AmFrom:
        base = "WtAmFrm";
        break;
    case WorkTime::AmTo:
        base = "WtAmTo";
        break;
    case WorkTime::PmFrom:
        base = "WtPmFrm";
        break;
    case WorkTime::PmTo:
        break;
    }
    return base + std::to_string(weekday);
}

int AgentSettings::DefaultWorkTime(WorkTime which, int weekday) {
    if (weekday == 1)
        return 0;
    switch (which) {
    case WorkTime::AmFrom:
        return 900;
    case WorkTime::AmTo:
        return 1200;
    case WorkTime::PmFrom:
        return 1300;
    case WorkTime::PmTo:
        break;
    }
    return 1800;
}

int AgentSettings::FirstWorkTime(WorkTime which, int page, int weekday) {
    return GetInt("FRIST_APPOINTMENTS", KeyName(WorkTimeKey(which, weekday), page),
                  DefaultWorkTime(which, weekday));
}

int AgentSettings::ClinicWorkTime(WorkTime which, int weekday) {
    return SharedInt(WorkTimeKey(which, weekday), "MENTE", DefaultWorkTime(which, weekday));
}

std::string AgentSettings::User() {
    return DecipherCredential(Get(settingkeys::kUser));
}

std::string AgentSettings::Password() {
    return DecipherCredential(Get(settingkeys::kPass));
}

std::string AgentSettings::SharedString(const std::string& key, const std::string& section,
                                        const std::string& def) {
    std::string file = SharedFile();
    if (file.empty())
        return def;
    return platform::GetProfileString(file, section, key, def, kSharedBuffer);
}

int AgentSettings::SharedInt(const std::string& key, const std::string& section, int def) {
    std::string file = SharedFile();
    if (file.empty())
        return def;
    return platform::GetProfileInt(file, section, key, def);
}

std::string AgentSettings::Shared(const TextKey& key) {
    return SharedString(key.name, key.section, platform::J(key.def));
}

int AgentSettings::Shared(const IntKey& key, int weekday) {
    return SharedInt(KeyName(key.name, 0, weekday), key.section, key.def);
}

std::time_t AgentSettings::SharedFileTime() {
    return platform::ModificationTime(SharedFile());
}

std::time_t AgentSettings::AgentFileTime() {
    return platform::ModificationTime(AgentFile());
}

std::string AgentSettings::ClinicName() {
    std::string name = Get(settingkeys::kHospitalName);
    return name.empty() ? Shared(settingkeys::kClinicName) : name;
}

std::string AgentSettings::ClinicTel() {
    std::string tel = Get(settingkeys::kHospitalTel);
    return tel.empty() ? Shared(settingkeys::kClinicTel) : tel;
}
