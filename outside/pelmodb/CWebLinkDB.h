#pragma once
// Web links: which web row caused which local change. The web linkage writes a link in the same
// transaction as the reservation change a web row asked for (see PelmoTransaction), and marks it
// confirmed once the web has accepted its answer. A row that comes back before that is then
// known to be done locally already, so it is answered again instead of being booked twice.
// Confirmed links stay for a while as history and are pruned by age.
//
// The table was added after the first databases were made: it is created on first use when a
// database lacks it (older programs never look at it).
//
// Keys: 0 web row  webTable[25] webId[21]  46 bytes (one link per web row: the latest change)
#include "CBaseDBCall.h"

#include <string>
#include <string_view>
#include <vector>

struct tagWebLink {
    char webTable[25];       // web table of the row ("first_appointments", ...)
    char webId[21];          // the row's id as text (rows of "appointments": their appo_key)
    char action;             // what was written locally, a CWebLinkDB::Action
    char reservationKey[11]; // the reservation written
    char standbyKey[11];     // the standby entry made with the change, empty when none
    char request[41];        // what the row asked for, as the exchange compares it
    char madeAt[15];         // YYYYMMDDHHMMSS of the local write
    char confirmedAt[15];    // YYYYMMDDHHMMSS the web accepted the answer; empty while outstanding
};

class CWebLinkDB : public CBaseDBCall {
public:
    enum Action : char {
        kBooked = 'B',    // a new reservation
        kMoved = 'M',     // an existing reservation moved to the request
        kRefused = 'R',   // a change request refused (reservation status 6)
        kArrived = 'A',   // an arrival recorded
        kCancelled = 'C', // a reservation cancelled
    };

    CWebLinkDB(const std::string& folder, int mode);

    static const TableSpec& Spec();

    // Loads the link of a web row: 0, or 4 (record cleared).
    int GetWebLink(std::string_view webTable, std::string_view webId);

    // Stores the record buffer as the link of its web row, replacing the row's earlier link.
    // 0 when stored.
    int Put();

    // Marks the link of a web row confirmed at stamp (YYYYMMDDHHMMSS): 0, or 4 when the row has
    // no link.
    int Confirm(std::string_view webTable, std::string_view webId, std::string_view stamp);

    // The links of one web table still waiting for their confirmation, in key order. 0 (the list
    // may be empty) or an error status.
    int GetOutstanding(std::string_view webTable, std::vector<tagWebLink>& links);

    // Removes the links confirmed before confirmedBefore and every link made before madeBefore
    // (both YYYYMMDDHHMMSS). The number removed, or -1 on error (GetLastDBErr).
    int Prune(std::string_view confirmedBefore, std::string_view madeBefore);

    tagWebLink m_rec{};

private:
    std::string KeyOf(std::string_view webTable, std::string_view webId) const;
};
