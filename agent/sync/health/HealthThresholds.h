#pragma once
// When the agent's health turns to warning or error. Two settings of "Apposync.ini" [HEALTH]
// give the three limits:
//   WARN_MINUTES  (default 5):  an entry file waiting longer than this is a warning;
//   ERROR_MINUTES (default 10): no connected cycle for this long is an error, and an entry file
//                               waiting longer than three times this (default 30) is one too.
// The factor ties the two error limits together: a clinic whose line often drops for a while
// raises ERROR_MINUTES and so also gives its files more time before they count as stuck.
// A value below 1 gives that key's default; values above kMaxMinutes are cut to it.
#include <chrono>

class ClinicSettings;

struct HealthThresholds {
    static constexpr int kDefaultWarnMinutes = 5;
    static constexpr int kDefaultErrorMinutes = 10;
    static constexpr int kEntryErrorFactor = 3;
    static constexpr int kMaxMinutes = 4 * 7 * 24 * 60; // four weeks

    std::chrono::minutes warnEntryAge{kDefaultWarnMinutes};
    std::chrono::minutes errorUnsynced{kDefaultErrorMinutes};
    std::chrono::minutes errorEntryAge{kEntryErrorFactor * kDefaultErrorMinutes};

    // The limits for the two settings' values (as read, before any default).
    static HealthThresholds FromMinutes(int warnMinutes, int errorMinutes);
    // [HEALTH] WARN_MINUTES and ERROR_MINUTES of the profile file.
    static HealthThresholds Read(const ClinicSettings& settings);

    int WarnMinutes() const { return static_cast<int>(warnEntryAge.count()); }
    int ErrorMinutes() const { return static_cast<int>(errorUnsynced.count()); }
};
