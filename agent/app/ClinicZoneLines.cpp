#include "agent/app/ClinicZoneLines.h"

#include "platform/Cp932.h"

void WriteClinicZoneLines(OperationLog& log, const platform::ClinicZoneChoice& choice) {
    if (!choice.problem.empty())
        log.WriteLog(OperationLog::Error, choice.problem);
    if (choice.DiffersFromMachine())
        log.WriteLog(OperationLog::Info,
                     platform::J("時間帯 ") + choice.zone +
                         platform::J(" の時刻で動作します（この機械の時間帯: ") + choice.machine +
                         platform::J("）"));
}
