#include "agent/sync/SyncSteps.h"

#include "agent/core/AgentSettings.h"
#include "agent/core/WebSchema.h"
#include "agent/sync/ImportSystemInfo.h"
#include "agent/sync/ProcessAppCheckIns.h"
#include "agent/sync/SyncWebLogins.h"
#include "agent/sync/WebChangeRequests.h"

namespace {

void UpgradeSchemaStep(SyncContext& ctx) {
    // The upgrade reports nothing; an incomplete upgrade is simply tried again next cycle.
    UpgradeWebSchema(ctx.web.Database(), AgentSettings::ProfileFile());
}

} // namespace

const std::vector<SyncStep>& WebSetupSteps() {
    static const std::vector<SyncStep> steps = {
        {"UpgradeWebSchema", UpgradeSchemaStep}, {"ImportSystemInfo", ImportSystemInfo},
        {"PublishHospitalInfo", nullptr},        {"PublishClosedDays", nullptr},
        {"PublishAppoTimes", nullptr},           {"PublishFirstAppoTimes", nullptr},
        {"PublishStaffsAndAppoTypes", nullptr},
    };
    return steps;
}

const std::vector<SyncStep>& WebToLocalSteps() {
    static const std::vector<SyncStep> steps = {
        {"ProcessAppCheckIns", ProcessAppCheckIns},
        {"ProcessFirstVisitCancellations", nullptr},
        {"ProcessStandbyCancellations", nullptr},
        {"ProcessFirstVisitBookings", nullptr}, // reads ctx.firstCycleFlag
        {"ProcessWebChangeRequests", ProcessWebChangeRequests},
        {"ProcessStandbyConfirmations", nullptr},
    };
    return steps;
}

const SyncStep& WebLoginStep() {
    static const SyncStep step = {"SyncWebLogins", SyncWebLogins};
    return step;
}

const std::vector<EntryStep>& EntrySteps() {
    static const std::vector<EntryStep> steps = {
        {"ProcessPatientEntry", &EntryLists::patients, nullptr},
        {"ProcessSaleEntry", &EntryLists::sales, nullptr},
        {"ProcessMemoEntry", &EntryLists::memos, nullptr},
        {"ProcessNoticeEntry", &EntryLists::notices, nullptr},
    };
    return steps;
}
