#pragma once
// The exchange that answers patients' requests to move an appointment: web rows of
// `appointments` with status_flag 2 carry the wished date and times; the local reservation is
// moved to the first free unit (or doctor) then, or marked refused (status 6) with a notice to
// the patient, or the web row is brought back in line with the local book.
#include <string>

#include "agent/sync/cycle/SyncContext.h"
#include "platform/Clock.h"

// One pass over the waiting requests. Reads "COMMON"/"UNIT_TYPE" and the
// "PENDING_APPOINTMENTS" lists on every call. The local reservation is written first; the web
// statements of a row (at most three) are sent only when that write succeeded, one by one,
// each failure logged as a database error without stopping the others, except that the notice
// of a refusal goes only after the refusal itself was accepted. The write carries the row's web
// link (WebLinks.h): a request answered by the book but not yet by the web is answered again in
// a later cycle as decided then. Never throws.
void ProcessWebChangeRequests(SyncContext& ctx);

// The INSERT INTO notifications that tells the patient a wished date and time (YYYY.MM.DD,
// HH:MM) could not be booked; valid from today for 10 days.
std::string BuildChangeRequestNotice(const platform::Clock& clock, const std::string& patientKey,
                                     const std::string& wishedDateDots,
                                     const std::string& wishedTimeColon);
