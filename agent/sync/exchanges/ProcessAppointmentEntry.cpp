#include "agent/sync/exchanges/ProcessAppointmentEntry.h"

#include <vector>

#include "agent/sync/cycle/ReadEntryLines.h"
#include "agent/sync/exchanges/PendingAppointments.h"
#include "agent/sync/exchanges/PublishAppointment.h"
#include "platform/Cp932.h"

int AppointmentOperationOf(const std::string& word) {
    if (word == "INSERT" || word == "UPDATE")
        return kAppoPublish;
    if (word == "DELETE")
        return kAppoDelete;
    if (word == "STD_INSERT" || word == "STD_UPDATE")
        return kAppoStandbyPublish;
    if (word == "STD_DELETE")
        return kAppoStandbyDelete;
    if (word == "INSERT_NO_PENDING_UPDATE" || word == "UPDATE_NO_PENDING_UPDATE")
        return kAppoPublishNoPending;
    return 0;
}

bool ProcessAppointmentEntry(SyncContext& ctx, const std::string& path) {
    std::vector<std::string> lines;
    std::string error;
    switch (ReadEntryLines(path, lines, error)) {
    case EntryReadResult::Missing:
        return true; // taken away by another program: nothing left to do
    case EntryReadResult::Failed:
        // A file that exists but cannot be read is kept: deleting it would lose the change.
        ctx.log.WriteLog(OperationLog::Error,
                         platform::J("エントリファイルを読めません ") + path + " (" + error + ")");
        return false;
    case EntryReadResult::Read:
        break;
    }

    const int operation = lines.empty() ? 0 : AppointmentOperationOf(lines[0]);
    if (operation == 0)
        return true;
    static const std::string kKeyPrefix = "RegNo=";
    std::string key;
    if (lines.size() > 1 && lines[1].compare(0, kKeyPrefix.size(), kKeyPrefix) == 0)
        key = lines[1].substr(kKeyPrefix.size());
    if (key.empty())
        return true;

    switch (operation) {
    case kAppoPublish: {
        const bool done = PublishAppointment(ctx, operation, key);
        // The standby row follows the published reservation; its result does not change the
        // file's fate.
        if (done)
            SyncPendingForReservation(ctx, key);
        return done;
    }
    case kAppoDelete:
    case kAppoPublishNoPending:
        return PublishAppointment(ctx, operation, key);
    case kAppoStandbyPublish:
    case kAppoStandbyDelete: {
        const int kind = operation == kAppoStandbyDelete ? kStandbyDelete : kStandbyPublish;
        return PublishStandbyEntry(ctx, kind, key) != 0;
    }
    }
    return true;
}
