#include "platform/ClinicZone.h"

#include "platform/Cp932.h"
#include "platform/Profile.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The TZ of the environment before the first change, so the machine's zone can be named and
// restored.
struct OriginalTz {
    bool set = false;
    std::string value;
};

const OriginalTz& Original() {
    static const OriginalTz original = [] {
        OriginalTz o;
        if (const char* tz = std::getenv("TZ")) {
            o.set = true;
            o.value = tz;
        }
        return o;
    }();
    return original;
}

std::string& CurrentZone() {
    static std::string zone;
    return zone;
}

ClinicZoneChoice& LastChoice() {
    static ClinicZoneChoice choice;
    return choice;
}

bool ZoneNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '+';
}

// Syntax only: non-empty parts of zone-name characters joined by '/', none of them "." or "..".
bool ZoneNameSyntax(const std::string& name) {
    if (name.empty() || name.size() > 255)
        return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find('/', start);
        if (end == std::string::npos)
            end = name.size();
        if (end == start)
            return false; // leading '/', "//" or a trailing '/'
        for (std::size_t i = start; i < end; ++i)
            if (!ZoneNameCharacter(name[i]))
                return false; // '.' is not a zone-name character, so "." and ".." fail here
        start = end + 1;
    }
    return true;
}

// The zone named by a path into a zone database ("/usr/share/zoneinfo/Asia/Tokyo" ->
// "Asia/Tokyo"); the text itself when it is no such path.
std::string ZoneOfPath(const std::string& path) {
    const std::string marker = "zoneinfo/";
    const std::size_t at = path.rfind(marker);
    return at == std::string::npos ? path : path.substr(at + marker.size());
}

std::string FirstLine(const std::string& path) {
    std::string text;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return text;
    char buf[256];
    ssize_t n = read(fd, buf, sizeof buf);
    close(fd);
    if (n > 0)
        text.assign(buf, static_cast<std::size_t>(n));
    return text.substr(0, text.find_first_of("\r\n"));
}

std::string FileName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

bool IsZoneName(const std::string& name, const std::string& zoneinfoFolder) {
    if (!ZoneNameSyntax(name))
        return false;
    const std::string path = zoneinfoFolder + "/" + name;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char magic[4] = {};
    const bool tzif = read(fd, magic, sizeof magic) == 4 && std::memcmp(magic, "TZif", 4) == 0;
    close(fd);
    return tzif;
}

bool SetClinicZone(const std::string& name, const std::string& zoneinfoFolder) {
    if (!IsZoneName(name, zoneinfoFolder))
        return false;
    Original(); // keep the environment's own value before replacing it
    // The full path of the very file checked above, so no other zone folder can be consulted.
    const std::string tz = ":" + zoneinfoFolder + "/" + name;
    if (setenv("TZ", tz.c_str(), 1) != 0)
        return false;
    tzset();
    CurrentZone() = name;
    return true;
}

const std::string& ClinicZoneName() {
    return CurrentZone();
}

void UseMachineZone() {
    const OriginalTz& original = Original();
    if (original.set)
        setenv("TZ", original.value.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    CurrentZone().clear();
}

std::string MachineZoneName() {
    const OriginalTz& original = Original();
    if (original.set) {
        std::string value = original.value;
        if (!value.empty() && value[0] == ':')
            value.erase(0, 1);
        return value.empty() ? "UTC" : ZoneOfPath(value);
    }
    char target[PATH_MAX];
    const ssize_t n = readlink("/etc/localtime", target, sizeof target - 1);
    if (n > 0)
        return ZoneOfPath(std::string(target, static_cast<std::size_t>(n)));
    const std::string named = FirstLine("/etc/timezone");
    return named.empty() ? "UTC" : named;
}

ClinicZoneChoice UseClinicZone(const std::string& productSettingsFile,
                               const std::string& zoneinfoFolder) {
    ClinicZoneChoice choice;
    choice.machine = MachineZoneName();
    std::string wanted = GetProfileString(productSettingsFile, "GLOBAL", "TIMEZONE", "");
    if (wanted.empty())
        wanted = kDefaultClinicZone;
    if (SetClinicZone(wanted, zoneinfoFolder)) {
        choice.zone = wanted;
    } else if (wanted != kDefaultClinicZone && SetClinicZone(kDefaultClinicZone, zoneinfoFolder)) {
        choice.zone = kDefaultClinicZone;
        choice.problem = FileName(productSettingsFile) + J(" の [GLOBAL] TIMEZONE「") + wanted +
                         J("」は時間帯データベースにありません。") + kDefaultClinicZone +
                         J(" の時刻で動作します。");
    } else {
        choice.problem = J("時間帯データベース（") + zoneinfoFolder + J("）に ") +
                         kDefaultClinicZone + J(" がありません（tzdata を入れてください）。") +
                         J("この機械の時間帯 ") + choice.machine + J(" の時刻で動作します。");
    }
    LastChoice() = choice;
    return choice;
}

void StartInClinicZone(const std::string& productSettingsFile, const std::string& program) {
    const ClinicZoneChoice choice = UseClinicZone(productSettingsFile);
    if (!choice.problem.empty())
        std::cerr << program << ": " << Cp932ToUtf8(choice.problem) << std::endl;
}

const ClinicZoneChoice& StartZoneChoice() {
    return LastChoice();
}

std::tm ToClinicTime(std::time_t instant) {
    std::tm fields{};
    localtime_r(&instant, &fields);
    return fields;
}

std::tm ToClinicTime(std::chrono::system_clock::time_point instant) {
    const auto seconds = std::chrono::floor<std::chrono::seconds>(instant);
    return ToClinicTime(static_cast<std::time_t>(seconds.time_since_epoch().count()));
}

std::time_t FromClinicTime(std::tm& fields) {
    fields.tm_isdst = -1;
    return std::mktime(&fields);
}

} // namespace platform
