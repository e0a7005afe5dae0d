#include "agent/sync/health/HealthThresholds.h"

#include <algorithm>

#include "agent/core/ClinicSettings.h"

namespace {

int Sane(int value, int def) {
    if (value < 1)
        return def;
    return std::min(value, HealthThresholds::kMaxMinutes);
}

} // namespace

HealthThresholds HealthThresholds::FromMinutes(int warnMinutes, int errorMinutes) {
    HealthThresholds t;
    t.warnEntryAge = std::chrono::minutes(Sane(warnMinutes, kDefaultWarnMinutes));
    t.errorUnsynced = std::chrono::minutes(Sane(errorMinutes, kDefaultErrorMinutes));
    t.errorEntryAge = kEntryErrorFactor * t.errorUnsynced;
    return t;
}

HealthThresholds HealthThresholds::Read(const ClinicSettings& settings) {
    return FromMinutes(settings.Get(settingkeys::kHealthWarnMinutes),
                       settings.Get(settingkeys::kHealthErrorMinutes));
}
