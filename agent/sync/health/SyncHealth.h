#pragma once
// The health model of the agent: fed with what each cycle did, it judges the state at the
// clock's time.
//   異常 (error):   no connected cycle for errorUnsynced (counted from the model's start when no
//                   cycle connected yet), or the oldest waiting entry file older than
//                   errorEntryAge;
//   注意 (warning): a step failed in the last cycle (a failure was logged, a database could not
//                   be opened, or a step gave up the cycle), or the oldest waiting entry file
//                   older than warnEntryAge;
//   正常 (normal):  otherwise.
// "For N minutes" counts from N minutes on (exactly 10:00 without a connected cycle is an
// error); "older than N minutes" from just after (a file exactly 5:00 old is still normal).
// A connected cycle is one whose web steps all ran: the connection opened and no step gave up
// the cycle; failures a step logged and got past do not make it unconnected.
// Only reads the clock; one thread.
#include <optional>
#include <string>

#include "agent/sync/health/EntryBacklog.h"
#include "agent/sync/health/HealthSnapshot.h"
#include "agent/sync/health/HealthThresholds.h"
#include "platform/Clock.h"

// What one cycle told, as the model takes it.
struct CycleReport {
    bool localOpened = false;
    bool webOpened = false;
    bool completed = false; // no step gave up the cycle
    int failures = 0;       // failure entries the cycle logged
    // The last of them (time and CP932 text); when the web connection failed without any, the
    // driver's text of the failed connect goes here with the cycle's end as time.
    std::optional<HealthSnapshot::TimePoint> lastFailureAt;
    std::string lastFailureText;
    EntryBacklog backlog;                     // entry files waiting after the cycle
    std::optional<int> changeRequestsWaiting; // as the exchange last counted them
};

class SyncHealth {
public:
    // The model's start (clock's time now) stands for the last connected cycle until one runs.
    SyncHealth(const platform::Clock& clock, HealthThresholds thresholds);

    // Takes in a cycle that ended at the clock's time now.
    void Record(const CycleReport& cycle);

    // The state at the clock's time now.
    HealthSnapshot Evaluate() const;

    const HealthThresholds& Thresholds() const { return m_thresholds; }

private:
    const platform::Clock& m_clock;
    HealthThresholds m_thresholds;
    HealthSnapshot::TimePoint m_started;
    HealthSnapshot m_facts; // everything but state, reason and time
};
