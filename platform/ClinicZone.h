#pragma once
// The clinic's time zone. Every local date and time of the suite (log stamps, "today", booking
// windows, file stamps) is read in one zone, the clinic's, so the local side agrees with the web
// side's Japan date whatever the machine's zone or the TZ of the process environment says.
//
// The zone comes from the system's time-zone database and is made the zone of the whole
// process, so the C library's local-time functions and the conversions below agree.
// ToClinicTime / FromClinicTime are the one way the suite turns an instant into local fields and
// back.
#include <chrono>
#include <ctime>
#include <string>

namespace platform {

inline constexpr const char* kDefaultClinicZone = "Asia/Tokyo";
inline constexpr const char* kZoneinfoFolder = "/usr/share/zoneinfo";

// What the start of a program chose.
struct ClinicZoneChoice {
    std::string zone;    // the zone in effect; empty when not even the default could be used
    std::string machine; // the machine's own zone (TZ of the environment, else /etc/localtime)
    std::string problem; // CP932 log line when the configured zone could not be used, else empty

    // True when the zone in effect is not the machine's own (times differ from the system
    // clock's).
    bool DiffersFromMachine() const { return !zone.empty() && zone != machine; }
};

// True when `name` is a zone of the database in `zoneinfoFolder`: a relative name of letters,
// digits, '_', '-' and '+' in non-empty parts joined by '/', naming a regular file that starts
// with the database's "TZif" signature. Absolute paths, "." and ".." parts are refused.
bool IsZoneName(const std::string& name, const std::string& zoneinfoFolder = kZoneinfoFolder);

// Makes `name` the zone of every local date and time of this process. False, and nothing
// changed, when it is not a zone of the database.
// REQUIRES: no other thread is running (the zone lives in the process environment).
bool SetClinicZone(const std::string& name, const std::string& zoneinfoFolder = kZoneinfoFolder);

// The zone set by the last SetClinicZone; empty while the machine's own zone is in effect.
const std::string& ClinicZoneName();

// Back to the machine's own zone (the process environment as it was before the first
// SetClinicZone). For tests that set a zone and restore it.
void UseMachineZone();

// The machine's own zone by name: the TZ of the process environment as it was at start, else
// the zone /etc/localtime names, else "UTC" (what the C library then uses).
std::string MachineZoneName();

// Once at the start of a program, before any other thread: reads [GLOBAL] TIMEZONE of the
// product settings file and makes it the clinic's zone. A missing or empty value means
// kDefaultClinicZone. A name the database does not know falls back to kDefaultClinicZone and
// says so in `problem`; so does a default missing from the database, which then leaves the
// machine's zone in effect. The result is kept for StartZoneChoice.
ClinicZoneChoice UseClinicZone(const std::string& productSettingsFile,
                               const std::string& zoneinfoFolder = kZoneinfoFolder);

// UseClinicZone for a program without an operation log: a problem goes to standard error as one
// line "<program>: <text>" (UTF-8).
void StartInClinicZone(const std::string& productSettingsFile, const std::string& program);

// The result of the last UseClinicZone of this process (all empty before the first).
const ClinicZoneChoice& StartZoneChoice();

// Local fields of an instant in the clinic's zone.
std::tm ToClinicTime(std::time_t instant);
// The same for a clock's instant, to the whole second below it.
std::tm ToClinicTime(std::chrono::system_clock::time_point instant);

// The instant of local fields in the clinic's zone. `fields` is normalised in place like
// mktime (2024-02-30 becomes 2024-03-01, day 0 the last day of the month before); tm_isdst is
// ignored (whether summer time applies is looked up). -1 when the fields cannot be represented.
std::time_t FromClinicTime(std::tm& fields);

} // namespace platform
