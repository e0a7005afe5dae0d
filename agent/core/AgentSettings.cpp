#include "AgentSettings.h"

#include "outside/tools/CTools.h"

#include <optional>

namespace {

// The process's profile file; unset until start-up names it.
std::optional<std::string> g_profileFile;

} // namespace

ClinicSettings AgentSettings::Process() {
    return ClinicSettings(CTools::GetCorvaneIniFileName(), g_profileFile.value_or(std::string()));
}

void AgentSettings::SetProfileFile(const std::string& name) {
    g_profileFile = name.empty() ? AgentFile() : name;
}
