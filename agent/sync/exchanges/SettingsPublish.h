#pragma once
// The five booking-settings publishes of the cycle, run in this order every cycle:
// PublishHospitalInfo, PublishClosedDays, PublishAppoTimes, PublishFirstAppoTimes,
// PublishStaffsAndAppoTypes. Each first checks its change detector in ctx.state and does nothing
// when its source has not changed since its last run. They report only through ctx.log ("Info"
// lines, "SQLエラー" with the driver's text for every database error) and never throw.
// REQUIRES: ctx.web open; the agent settings file is the process's profile file.
#include "agent/sync/cycle/SyncContext.h"

// hospital_infos: clinic data, booking window and time limit. Detector: the signature of the
// values (state.detectors[kHospitalSignature]); stored after the write ran, not when the row
// could not be looked up (so that is tried again next cycle).
void PublishHospitalInfo(SyncContext& ctx);

// closed_days of the years from now to the end of the booking window, from the yearly files
// "<year>.off" of the database folder. Detector: the latest file time published
// (state.closedDaysPublished) and the last year (state.detectors[kClosedDaysLastYear]).
void PublishClosedDays(SyncContext& ctx);

// appo_times rows of first_appo_flag 0: the clinic's hours from "GLOBALSETTING.ini".
// Detector: that file's time (state.hoursPublished); a missing file never publishes.
void PublishAppoTimes(SyncContext& ctx);

// appo_times rows of first_appo_flag 1..pages: the first-visit consultation hours of each page.
// Detector: the time of "Apposync.ini" (state.firstHoursPublished).
void PublishFirstAppoTimes(SyncContext& ctx);

// staffs from the local users (detector: the user table's change stamp, state.staffPublished)
// and appo_types from the first-visit pages and the appointment-type categories (detector: the
// category table's change stamp, state.typesPublished, which the trigger file "Setting" resets).
// Web staff rows are deleted only after every local user was looked up on the web.
void PublishStaffsAndAppoTypes(SyncContext& ctx);

namespace settingsdetectors {
inline constexpr const char* kHospitalSignature = "hospital_infos.signature";
inline constexpr const char* kClosedDaysLastYear = "closed_days.last_year";
} // namespace settingsdetectors
