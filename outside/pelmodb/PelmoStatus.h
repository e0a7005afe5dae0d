#pragma once
// Result numbers of the local clinic database library. 0 is success; every other value is a
// failure whose text GetLastDBErr gives.

namespace PelmoStatus {
constexpr int kOk = 0;
constexpr int kNotFound = 4;       // no record with that key
constexpr int kDuplicateKey = 5;   // Insert: a record with the same unique key exists
constexpr int kBadKeyNumber = 6;   // SetKey/navigation with a key number the table does not have
constexpr int kNoCurrent = 8;      // GetNEXT/GetPREV without a positioned record
constexpr int kEndOfFile = 9;      // navigation ran past the first or last record
constexpr int kCannotOpen = 20;    // database file missing or not a database of this library
constexpr int kDatabaseError = 21; // SQLite reported an error (text in GetLastDBErr)
constexpr int kBusy = 22;          // another process held the database longer than the retries
constexpr int kBadValue = 23;      // a value that cannot be stored (for example a malformed date)
} // namespace PelmoStatus
