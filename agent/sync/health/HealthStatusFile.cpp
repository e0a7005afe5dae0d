#include "agent/sync/health/HealthStatusFile.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <optional>
#include <sys/stat.h>

#include "agent/core/LocalDateTime.h"
#include "platform/ClinicZone.h"
#include "platform/Cp932.h"
#include "platform/FileOps.h"

namespace {

using json = nlohmann::ordered_json;
using TimePoint = std::chrono::system_clock::time_point;

// Far more than any status; a bigger file is not ours.
constexpr off_t kMaxBytes = 64 * 1024;

long long UnixSeconds(TimePoint t) {
    return std::chrono::duration_cast<std::chrono::seconds>(t.time_since_epoch()).count();
}

// "2024-01-05T09:30:00+09:00" in the clinic's zone.
std::string ClinicIso(TimePoint t) {
    const std::time_t secs = std::chrono::system_clock::to_time_t(t);
    const std::tm tm = platform::ToClinicTime(secs);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &tm);
    std::string iso = text;
    if (iso.size() >= 5)
        iso.insert(iso.size() - 2, ":"); // +0900 -> +09:00
    return iso;
}

void PutTime(json& j, const std::string& name, const std::optional<TimePoint>& t) {
    if (t) {
        j[name] = ClinicIso(*t);
        j[name + "_unix"] = UnixSeconds(*t);
    } else {
        j[name] = nullptr;
        j[name + "_unix"] = nullptr;
    }
}

const char* StateName(HealthState state) {
    switch (state) {
    case HealthState::Warning:
        return "warning";
    case HealthState::Error:
        return "error";
    default:
        return "normal";
    }
}

std::string U(const std::string& cp932) {
    return platform::Cp932ToUtf8(cp932);
}

HealthStatusFile::Verdict Unknown(const std::string& why) {
    return {HealthStatusFile::kUnknown, "APPOSYNC UNKNOWN - " + why};
}

// The clinic time of a "_unix" value for a message, "HH:MM:SS" (with the date when not today).
std::string ShortTime(long long unixSeconds, TimePoint now) {
    const LocalDateTime t =
        LocalDateTime::From(std::chrono::system_clock::from_time_t(unixSeconds));
    const LocalDateTime today = LocalDateTime::From(now);
    char text[40];
    if (t.year == today.year && t.month == today.month && t.day == today.day)
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    else
        std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day,
                      t.hour, t.minute, t.second);
    return text;
}

} // namespace

std::string HealthStatusFile::PathIn(const std::string& databaseFolder) {
    // Without a database folder there is no clinic to report on; never the working folder.
    return databaseFolder.empty() ? std::string() : databaseFolder + kFileName;
}

std::string HealthStatusFile::Json(const HealthSnapshot& h, const HealthThresholds& thresholds,
                                   long pid) {
    json j;
    j["state"] = StateName(h.state);
    j["label"] = U(HealthSnapshot::Label(h.state));
    j["line"] = U(h.Line());
    j["reason"] = U(h.reason);
    PutTime(j, "written_at", h.at);
    j["pid"] = pid;
    PutTime(j, "last_good_sync", h.lastGoodSync);
    if (h.lastErrorAt) {
        json e;
        e["at"] = ClinicIso(*h.lastErrorAt);
        e["at_unix"] = UnixSeconds(*h.lastErrorAt);
        e["text"] = U(h.lastErrorText);
        j["last_error"] = e;
    } else {
        j["last_error"] = nullptr;
    }
    PutTime(j, "web_unreachable_since", h.unreachableSince);
    j["web_unreachable_seconds"] = h.UnreachableFor().count();
    j["entries_waiting"] = h.entriesWaiting;
    PutTime(j, "oldest_entry_at", h.oldestEntry);
    j["oldest_entry_age_seconds"] = h.OldestEntryAge().count();
    if (h.changeRequestsWaiting)
        j["change_requests_waiting"] = *h.changeRequestsWaiting;
    else
        j["change_requests_waiting"] = nullptr;
    j["last_cycle_failed"] = h.lastCycleFailed;
    j["cycles"] = h.cycles;
    j["warn_minutes"] = thresholds.WarnMinutes();
    j["error_minutes"] = thresholds.ErrorMinutes();
    j["entry_error_minutes"] = static_cast<int>(thresholds.errorEntryAge.count());
    // A driver's text that did not convert cleanly must not cost the whole status.
    return j.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

bool HealthStatusFile::Write(const std::string& path, const HealthSnapshot& health,
                             const HealthThresholds& thresholds, long pid) {
    // Not flushed to disk: that wait is most of an idle cycle's cost, and a status lost to a
    // power cut reads as unknown, which is the truth until the agent writes again.
    return platform::WriteFileAtomic(path, Json(health, thresholds, pid), false);
}

HealthStatusFile::Verdict HealthStatusFile::Check(const std::string& path, TimePoint now) {
    const std::string shown = U(path); // paths are CP932 like every text of the programs
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return Unknown("状態ファイルがありません: " + shown);
    std::string bytes;
    if (!S_ISREG(st.st_mode) || st.st_size > kMaxBytes || !platform::ReadFile(path, bytes))
        return Unknown("状態ファイルを読めません: " + shown);
    const json j = json::parse(bytes, nullptr, false);
    if (j.is_discarded() || !j.is_object())
        return Unknown("状態ファイルを読めません: " + shown);

    const auto text = [&j](const char* name) {
        const auto it = j.find(name);
        return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
    };
    const auto integer = [&j](const char* name) -> std::optional<long long> {
        const auto it = j.find(name);
        if (it == j.end() || !it->is_number_integer())
            return std::nullopt;
        return it->get<long long>();
    };

    const std::string state = text("state");
    const int code = state == "normal" ? 0 : state == "warning" ? 1 : state == "error" ? 2 : -1;
    const std::optional<long long> written = integer("written_at_unix");
    if (code < 0 || !written)
        return Unknown("状態ファイルを読めません: " + shown);

    const long long nowUnix = UnixSeconds(now);
    const long long age = nowUnix - *written;
    if (age > kFreshFor.count() || age < -kFreshFor.count()) {
        std::string why = "状態が1分以上書かれていません（最終 " + ShortTime(*written, now);
        if (const auto pid = integer("pid"))
            why += "、pid " + std::to_string(*pid);
        return Unknown(why + "）: " + shown);
    }

    static const char* const kWords[] = {"OK", "WARNING", "CRITICAL"};
    std::string line = std::string("APPOSYNC ") + kWords[code] + " - " + text("line");
    if (code != 0 && !text("reason").empty())
        line += " " + text("reason");
    // Performance data for graphs: waiting files, the oldest one's age and the time since the
    // last good sync, with the limits in force.
    const long long warn = integer("warn_minutes").value_or(0) * 60;
    const long long entryError = integer("entry_error_minutes").value_or(0) * 60;
    const long long error = integer("error_minutes").value_or(0) * 60;
    line += " | entries=" + std::to_string(integer("entries_waiting").value_or(0)) +
            " oldest_entry_age=" + std::to_string(integer("oldest_entry_age_seconds").value_or(0)) +
            "s;" + std::to_string(warn) + ";" + std::to_string(entryError);
    if (const auto good = integer("last_good_sync_unix"))
        line += " since_sync=" + std::to_string(std::max(0LL, nowUnix - *good)) + "s;;" +
                std::to_string(error);
    // Nothing of a line break may reach the monitoring's one line.
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    return {code, line};
}
