#pragma once
// The start of the agent tells in its operation log which zone its times are in: an error line
// when the configured zone could not be used, and an Info line naming the zone when it is not the
// machine's own, so an administrator sees why the times differ from the system clock.
#include "agent/sync/log/OperationLog.h"
#include "platform/ClinicZone.h"

// Writes nothing for an empty choice (the program chose no zone).
void WriteClinicZoneLines(OperationLog& log, const platform::ClinicZoneChoice& choice);
