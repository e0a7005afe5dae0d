#pragma once
// The standby list (予約待ち) both ways: local standby entries mirrored as rows of the web table
// `pending_appointments`, and the dates patients pick or cancel in the app taken into the local
// book. The settings are read on every call. None of these throws; web errors are logged as
// "SQLエラー". The exchanges that take the web side in write the local book first, with the web
// link of the row (WebLinks.h), and send their web statements only when that write succeeded; a
// row whose answer the web did not take is answered again in a later cycle, never written twice.
#include <string>

#include "agent/sync/cycle/SyncContext.h"

// Kinds of PublishStandbyEntry (the operation numbers of "STD_INSERT"/"STD_UPDATE" and
// "STD_DELETE" entry files).
enum StandbyPublishKind { kStandbyPublish = 3, kStandbyDelete = 4 };

// Writes one local standby entry to the web: insert or update its row, or delete the row when
// the kind is kStandbyDelete, the entry is gone locally, or its type is hidden. 1 when done or
// when there was nothing to do; 0 on failure (the entry file is kept for a later attempt).
int PublishStandbyEntry(SyncContext& ctx, int kind, const std::string& standbyKey);

// After the reservation was published: brings the web row of its standby booking in line
// (confirmed_flag 2 with the reservation's date, start and length), or deletes the row tied to a
// reservation that is no standby booking. 1 when done or nothing to do, 0 on failure.
int SyncPendingForReservation(SyncContext& ctx, const std::string& reservationKey);

// Rows with confirmed_flag 1 (a date picked in the app): books the first free unit (or doctor),
// moving the row's reservation when it still exists, else making a new one; refuses with
// confirmed_flag 0 and a "予約変更のお願い" notice when no slot is free (the notice only once the
// web took the reopening).
void ProcessStandbyConfirmations(SyncContext& ctx);

// Rows with confirmed_flag 3 (cancelled in the app): cancels a booked local reservation, puts
// the patient back on the local standby list when no entry refers to the reservation, and
// reopens the row (confirmed_flag 0). A row whose local cancellation could not be written stays
// at 3 for the next cycle.
void ProcessStandbyCancellations(SyncContext& ctx);
