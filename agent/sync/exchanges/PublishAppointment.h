#pragma once
// Mirrors one local reservation into the web table appointments, and keeps the dependent rows of
// first_appointments and pending_appointments in step.
#include <string>

#include "agent/sync/cycle/SyncContext.h"

// Operation numbers of a reservation entry file's first line.
enum AppointmentOperation {
    kAppoPublish = 1,          // "INSERT", "UPDATE": publish, then the standby row follows
    kAppoDelete = 2,           // "DELETE"
    kAppoStandbyPublish = 3,   // "STD_INSERT", "STD_UPDATE" (line 2: the standby key)
    kAppoStandbyDelete = 4,    // "STD_DELETE"
    kAppoPublishNoPending = 5, // "INSERT_NO_PENDING_UPDATE", "UPDATE_NO_PENDING_UPDATE"
};

// operation: kAppoPublish, kAppoDelete or kAppoPublishNoPending. A publish of a reservation
// that is gone locally deletes the web row. True when the entry file may be deleted; false
// after a local read error, a web query that could not be opened or a failed statement (logged
// as "SQLエラー" with the reservation's patient key). REQUIRES: ctx.web open.
bool PublishAppointment(SyncContext& ctx, int operation, const std::string& key);
