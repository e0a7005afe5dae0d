#pragma once
// App check-in: today's (Japan's date, as the web server computes it) rows of the web
// "appointments" table that the app marked 'CHK' are recorded as arrivals in the local
// reservation book, and each web row is then set to '済み' (arrival written) or deleted
// (reservation missing, cancelled or otherwise not bookable).
//
// Per row: the local write comes first; the web statement is sent only when it succeeded, so a
// failed row stays 'CHK' and is tried again in the next cycle. A sale is made from a reservation
// marked "sale on arrival" under the product settings file as the profile file (switched back
// afterwards, also when the call fails), and never a second time for the same reservation. An
// arrival is written with its web link (WebLinks.h): when the web did not take the '済み', a
// later cycle finds the reservation arrived by this exchange and sends only the '済み' again.
// Web errors are logged under "SQLエラー": a failed statement ends only its row, a failed read
// ends the exchange for this cycle. Never throws.
#include "agent/sync/cycle/SyncContext.h"

// Uses ctx.web (open), ctx.tables.reservation, .patient and .sale, ctx.log, ctx.clock (the
// local date given as the finished date) and ctx.databaseFolder.
void ProcessAppCheckIns(SyncContext& ctx);
