#include "agent/sync/EngineState.h"

#include "agent/core/AgentSettings.h"
#include "platform/ClinicZone.h"

std::time_t EngineState::Never() {
    std::tm t{};
    t.tm_year = 71;
    t.tm_mon = 0;
    t.tm_mday = 1;
    return platform::FromClinicTime(t);
}

void EngineState::ReadAppoSend() {
    appoSend = AgentSettings::Get(settingkeys::kAppoSend);
}
