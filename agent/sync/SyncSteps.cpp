#include "agent/sync/SyncSteps.h"

#include "agent/core/AgentSettings.h"
#include "agent/core/WebSchema.h"
#include "agent/sync/ImportSystemInfo.h"
#include "agent/sync/ProcessAppCheckIns.h"
#include "agent/sync/SettingsPublish.h"
#include "agent/sync/SyncWebLogins.h"

namespace {

void UpgradeSchemaStep(SyncContext& ctx) {
    // The upgrade reports nothing; an incomplete upgrade is simply tried again next cycle.
    UpgradeWebSchema(ctx.web.Database(), AgentSettings::ProfileFile());
}

} // namespace

const std::vector<SyncStep>& WebSetupSteps() {
    static const std::vector<SyncStep> steps = {
        {"UpgradeWebSchema", UpgradeSchemaStep},
        {"ImportSystemInfo", ImportSystemInfo},
        {"PublishHospitalInfo", PublishHospitalInfo},
        {"PublishClosedDays", PublishClosedDays},
        {"PublishAppoTimes", PublishAppoTimes},
        {"PublishFirstAppoTimes", PublishFirstAppoTimes},
        {"PublishStaffsAndAppoTypes", PublishStaffsAndAppoTypes},
    };
    return steps;
}

const std::vector<SyncStep>& WebToLocalSteps() {
    static const std::vector<SyncStep> steps = {
        {"ProcessAppCheckIns", ProcessAppCheckIns},
        {"ProcessFirstVisitCancellations", nullptr},
        {"ProcessStandbyCancellations", nullptr},
        {"ProcessFirstVisitBookings", nullptr}, // reads ctx.firstCycleFlag
        {"ProcessWebChangeRequests", nullptr},
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
