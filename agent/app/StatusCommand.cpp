#include "agent/app/StatusCommand.h"

#include <ostream>

#include "agent/core/AgentSettings.h"
#include "agent/sync/health/HealthStatusFile.h"
#include "outside/tools/CTools.h"
#include "platform/Cp932.h"

int StatusCommand::Run(std::ostream& out, const platform::Clock& clock) {
    const std::string folder = AgentSettings::DatabaseFolder();
    if (folder.empty()) {
        out << "APPOSYNC UNKNOWN - データベースフォルダが設定されていません（"
            << platform::Cp932ToUtf8(CTools::GetCorvaneIniFileName()) << " [GLOBAL] DATABASE）"
            << std::endl;
        return HealthStatusFile::kUnknown;
    }
    const HealthStatusFile::Verdict verdict =
        HealthStatusFile::Check(HealthStatusFile::PathIn(folder), clock.Now());
    out << verdict.line << std::endl;
    return verdict.exitCode;
}
