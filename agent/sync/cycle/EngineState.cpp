#include "agent/sync/cycle/EngineState.h"

#include "agent/core/ClinicSettings.h"
#include "platform/ClinicZone.h"

std::time_t EngineState::Never() {
    std::tm t{};
    t.tm_year = 71;
    t.tm_mon = 0;
    t.tm_mday = 1;
    return platform::FromClinicTime(t);
}

void EngineState::ReadAppoSend(const ClinicSettings& settings) {
    appoSend = settings.Get(settingkeys::kAppoSend);
}
