#include "ClinicSettings.h"

#include "Credentials.h"
#include "outside/pelmodb/PelmoMessages.h"
#include "outside/tools/CTools.h"
#include "platform/Cp932.h"
#include "platform/FileOps.h"
#include "platform/Profile.h"

#include <utility>

namespace {

constexpr std::size_t kFolderBuffer = 260;
// Shared values are cut to 1000 bytes (buffer size includes the terminator).
constexpr std::size_t kSharedBuffer = 1001;

} // namespace

ClinicSettings::ClinicSettings(std::string productFile, std::string profileFile)
    : m_productFile(std::move(productFile)), m_profileFile(std::move(profileFile)) {}

std::string ClinicSettings::DatabaseFolder() const {
    std::string folder =
        platform::GetProfileString(m_productFile, "GLOBAL", "DATABASE", "", kFolderBuffer);
    if (!folder.empty())
        CTools::LastDelimAdd(folder);
    // The local database's errors then tell where the folder is set.
    PelmoMessages::SetFolderSource(folder, m_productFile, "[GLOBAL] DATABASE");
    return folder;
}

std::string ClinicSettings::AgentFile() const {
    return DatabaseFolder() + "Apposync.ini";
}

std::string ClinicSettings::SharedFile() const {
    std::string folder = DatabaseFolder();
    return folder.empty() ? std::string() : folder + "GLOBALSETTING.ini";
}

std::string ClinicSettings::ProfileFile() const {
    return m_profileFile.empty() ? AgentFile() : m_profileFile;
}

std::string ClinicSettings::GetString(const std::string& section, const std::string& key,
                                      const std::string& def, std::size_t bufSize) const {
    return platform::GetProfileString(ProfileFile(), section, key, def, bufSize);
}

int ClinicSettings::GetInt(const std::string& section, const std::string& key, int def) const {
    return platform::GetProfileInt(ProfileFile(), section, key, def);
}

bool ClinicSettings::WriteString(const std::string& section, const std::string& key,
                                 const std::string& value) const {
    return platform::WriteProfileString(ProfileFile(), section, key, value);
}

bool ClinicSettings::WriteInt(const std::string& section, const std::string& key, int value) const {
    return WriteString(section, key, std::to_string(value));
}

std::string ClinicSettings::KeyName(const std::string& base, int page, int weekday) {
    std::string name = base;
    if (weekday != 0)
        name += std::to_string(weekday);
    if (page != 0)
        name += "_" + std::to_string(page);
    return name;
}

int ClinicSettings::Get(const IntKey& key, int page, int weekday) const {
    return GetInt(key.section, KeyName(key.name, page, weekday), key.def);
}

std::string ClinicSettings::Get(const TextKey& key, int page, int weekday) const {
    return GetString(key.section, KeyName(key.name, page, weekday), platform::J(key.def));
}

bool ClinicSettings::Set(const IntKey& key, int value, int page, int weekday) const {
    return WriteInt(key.section, KeyName(key.name, page, weekday), value);
}

bool ClinicSettings::Set(const TextKey& key, const std::string& value, int page,
                         int weekday) const {
    return WriteString(key.section, KeyName(key.name, page, weekday), value);
}

std::string ClinicSettings::WorkTimeKey(WorkTime which, int weekday) {
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

int ClinicSettings::DefaultWorkTime(WorkTime which, int weekday) {
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

int ClinicSettings::FirstWorkTime(WorkTime which, int page, int weekday) const {
    return GetInt("FRIST_APPOINTMENTS", KeyName(WorkTimeKey(which, weekday), page),
                  DefaultWorkTime(which, weekday));
}

int ClinicSettings::ClinicWorkTime(WorkTime which, int weekday) const {
    return SharedInt(WorkTimeKey(which, weekday), "MENTE", DefaultWorkTime(which, weekday));
}

std::string ClinicSettings::User() const {
    return DecipherCredential(Get(settingkeys::kUser));
}

std::string ClinicSettings::Password() const {
    return DecipherCredential(Get(settingkeys::kPass));
}

std::string ClinicSettings::SharedString(const std::string& key, const std::string& section,
                                         const std::string& def) const {
    std::string file = SharedFile();
    if (file.empty())
        return def;
    return platform::GetProfileString(file, section, key, def, kSharedBuffer);
}

int ClinicSettings::SharedInt(const std::string& key, const std::string& section, int def) const {
    std::string file = SharedFile();
    if (file.empty())
        return def;
    return platform::GetProfileInt(file, section, key, def);
}

std::string ClinicSettings::Shared(const TextKey& key) const {
    return SharedString(key.name, key.section, platform::J(key.def));
}

int ClinicSettings::Shared(const IntKey& key, int weekday) const {
    return SharedInt(KeyName(key.name, 0, weekday), key.section, key.def);
}

std::time_t ClinicSettings::SharedFileTime() const {
    return platform::ModificationTime(SharedFile());
}

std::time_t ClinicSettings::AgentFileTime() const {
    return platform::ModificationTime(AgentFile());
}

std::string ClinicSettings::ClinicName() const {
    std::string name = Get(settingkeys::kHospitalName);
    return name.empty() ? Shared(settingkeys::kClinicName) : name;
}

std::string ClinicSettings::ClinicTel() const {
    std::string tel = Get(settingkeys::kHospitalTel);
    return tel.empty() ? Shared(settingkeys::kClinicTel) : tel;
}
