#include "agent/sync/cycle/SyncSteps.h"

#include "agent/core/ClinicSettings.h"
#include "agent/core/WebSchema.h"
#include "agent/sync/exchanges/FirstVisitBookings.h"
#include "agent/sync/exchanges/ImportSystemInfo.h"
#include "agent/sync/exchanges/PendingAppointments.h"
#include "agent/sync/exchanges/ProcessAppCheckIns.h"
#include "agent/sync/exchanges/ProcessMemoEntry.h"
#include "agent/sync/exchanges/ProcessNoticeEntry.h"
#include "agent/sync/exchanges/ProcessPatientEntry.h"
#include "agent/sync/exchanges/ProcessSaleEntry.h"
#include "agent/sync/exchanges/SettingsPublish.h"
#include "agent/sync/exchanges/SyncWebLogins.h"
#include "agent/sync/exchanges/WebChangeRequests.h"

namespace {

void FirstVisitBookingsStep(SyncContext& ctx) {
    ProcessFirstVisitBookings(ctx, ctx.firstCycleFlag);
}

void UpgradeSchemaStep(SyncContext& ctx) {
    // The upgrade reports nothing; an incomplete upgrade is simply tried again next cycle.
    UpgradeWebSchema(ctx.web.Database(), ctx.settings.ProfileFile());
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
        {"ProcessFirstVisitCancellations", ProcessFirstVisitCancellations},
        {"ProcessStandbyCancellations", ProcessStandbyCancellations},
        {"ProcessFirstVisitBookings", FirstVisitBookingsStep}, // with ctx.firstCycleFlag
        {"ProcessWebChangeRequests", ProcessWebChangeRequests},
        {"ProcessStandbyConfirmations", ProcessStandbyConfirmations},
    };
    return steps;
}

const SyncStep& WebLoginStep() {
    static const SyncStep step = {"SyncWebLogins", SyncWebLogins};
    return step;
}

const std::vector<EntryStep>& EntrySteps() {
    static const std::vector<EntryStep> steps = {
        {"ProcessPatientEntry", &EntryLists::patients, ProcessPatientEntry},
        {"ProcessSaleEntry", &EntryLists::sales, ProcessSaleEntry},
        {"ProcessMemoEntry", &EntryLists::memos, ProcessMemoEntry},
        {"ProcessNoticeEntry", &EntryLists::notices, ProcessNoticeEntry},
    };
    return steps;
}
