#pragma once
// First-visit consultation bookings made on the clinic's booking pages (web table
// `first_appointments`) taken into the local book, and their cancellations. A booking becomes a
// reservation of the first-visit patient key "++++++++++" carrying the person's details in its
// guest fields. Settings are read on every call; nothing throws; web errors are logged as
// "SQLエラー". The local book is written first; the web row is marked only when that succeeded.
// Each booking and cancellation is written with its web link (WebLinks.h), so a row whose answer
// the web did not take is answered again in a later cycle, never booked or cancelled twice.
#include "agent/sync/cycle/SyncContext.h"

// New bookings of today (Japan's date, as the server computes it) or later, page by page
// ("FRIST_APPOINTMENTS"/PAGE_NUM; a page without UNIT_ID is skipped). A booking with no free
// unit (or doctor) is logged as "予約重複" once and marked reported on the web (created_at
// '2000-01-01 00:00:00'); later runs stay silent about it unless firstCycle is set (the first
// cycle after the sync was started).
void ProcessFirstVisitBookings(SyncContext& ctx, bool firstCycle);

// Rows with cancel_flag 1: a booked local reservation is cancelled (status 2 with a note), then
// the row gets cancel_flag 2. A row whose local write failed stays for the next cycle.
void ProcessFirstVisitCancellations(SyncContext& ctx);

// The first-visit patient key.
inline constexpr const char* kFirstVisitPatientKey = "++++++++++";
