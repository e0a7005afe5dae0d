#pragma once
// Links between web rows and the local changes they caused (local table web_link). An exchange
// that changes the local book because of a web row writes the link in the same local
// transaction as the change. When the web then does not take the answer (the line drops, the
// server restarts, the agent is stopped), the row comes back in a later cycle and the exchange
// finds its change already made: it only repeats the answer, with the same reservation key,
// and never books the row twice.
//
// A link counts while it is outstanding. Once the web has taken the answer it is confirmed and
// kept as history (what booked which reservation) for kConfirmedDays; any link goes after
// kKeptDays, outstanding or not, so the table stays small.
#include <functional>
#include <string>
#include <vector>

#include "agent/sync/cycle/SyncContext.h"

namespace weblink {
inline constexpr const char* kFirstAppointments = "first_appointments";
inline constexpr const char* kPendingAppointments = "pending_appointments";
inline constexpr const char* kAppointments = "appointments";

inline constexpr int kConfirmedDays = 90;
inline constexpr int kKeptDays = 400;
} // namespace weblink

// The outstanding link of a web row: 0 with link filled; 4 when the row has none (or only a
// confirmed one); another status when the local database cannot be read, and then the row must
// wait, since it may have been booked already.
int FindOutstandingLink(SyncContext& ctx, const std::string& table, const std::string& id,
                        tagWebLink& link);

// The outstanding link of a web row and its reservation, loaded into ctx.tables.reservation (any
// status): 0 when both are there; 4 when the row has no outstanding link or its reservation is
// gone; another status when the local database cannot be read (err set).
int FindLinkedReservation(SyncContext& ctx, const std::string& table, const std::string& id,
                          tagWebLink& link, std::string& err);

// A result of the local database that is neither found nor not found: the book cannot be read,
// so whether a row was handled already is unknown and the row must wait.
bool IsReadError(int status);

// A link for a change made now. request: what the row asked for, as the exchange compares it
// later (for example the wished date and time).
tagWebLink MakeWebLink(const platform::Clock& clock, const std::string& table,
                       const std::string& id, char action, const std::string& reservationKey,
                       const std::string& request = {}, const std::string& standbyKey = {});

// Runs write (the local change through the record objects in tables, the first of which is the
// reservation table) and stores link as it stands after write (write may fill it in), in one
// local transaction. 0 when both are stored, and otherwise neither is: the status, with err set.
// write must not log (see PelmoTransaction).
int WriteLinked(SyncContext& ctx, const std::vector<CBaseDBCall*>& tables, const tagWebLink& link,
                const std::function<int()>& write, std::string& err);

// After the web took the row's answer: the link becomes history, and old history is pruned.
// A failure only leaves the link outstanding (the next repeat is harmless).
void ConfirmWebLink(SyncContext& ctx, const std::string& table, const std::string& id);

// The one line that tells staff a change was already made locally in an earlier cycle and its
// answer has now reached the web, so nothing was done twice. what: the kind of change
// ("予約", "来院受付", ...), CP932.
void LogRepeatedConfirmation(SyncContext& ctx, int category, const std::string& what,
                             const std::string& reservationKey, const std::string& reference);
