#pragma once
// Web-log table: the lasting history of what the web linkage sent and took. The record is the
// 400-byte layout that other readers of the table rely on.
//
// Keys: 0 number  number[14]  14 bytes ("YYYYMMDD" + five-digit sequence)
#include "CBaseDBCall.h"

#include <string>

struct tagWebLog {
    char number[14];     // "%s%05d": YYYYMMDD and the sequence number of that day
    char time[10];       // "%02d%02d%02d%03d": hour, minute, second, millisecond
    char message[256];   // "[label]text", at most 255 bytes
    char reference[120]; // patient key or "++++++++++" or empty, at most 119 bytes
};
static_assert(sizeof(tagWebLog) == 400);
static_assert(offsetof(tagWebLog, time) == 14 && offsetof(tagWebLog, message) == 24 &&
              offsetof(tagWebLog, reference) == 280);

class CWebLogDB : public CBaseDBCall {
public:
    // mode defaults to a writer: the log writes records.
    explicit CWebLogDB(const std::string& folder, int mode = 1);

    static const TableSpec& Spec();

    // Sequence number for the next record of that day (YYYYMMDD): highest stored + 1, 1 for a
    // day without records; -1 on error.
    int GetLastWebLogNo(std::string_view date);

    // Stores the record. When another writer took the same number meanwhile, the record gets
    // the day's next free number (written back into number) instead of being lost.
    using CBaseDBCall::Insert;
    int Insert();

    tagWebLog m_rec{};
};
