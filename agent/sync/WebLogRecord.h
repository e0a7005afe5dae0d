#pragma once
// The web-log record as the local database stores it: a 400-byte buffer, zero-filled before it is
// written. Other programs read it by position.
#include <cstddef>

struct WebLogRecord {
    char number[14];     // "YYYYMMDD" + five-digit sequence of the day
    char time[10];       // "HHMMSSmmm"
    char message[256];   // "[label]text", at most 255 bytes
    char reference[120]; // patient key, "++++++++++" or empty; at most 119 bytes
};
static_assert(sizeof(WebLogRecord) == 400);
static_assert(offsetof(WebLogRecord, time) == 14);
static_assert(offsetof(WebLogRecord, message) == 24);
static_assert(offsetof(WebLogRecord, reference) == 280);
