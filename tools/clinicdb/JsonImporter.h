#pragma once
// Loads a JSON file into the clinic database in one transaction: everything or nothing.
//
// The file is one object with any of these arrays (each element an object whose members are
// the record's field names as `show` prints them; texts as UTF-8 strings, numbers as numbers):
//   "units", "types", "paymentTypes"  categories of kind "1", "0", "2" (code, name, unused)
//   "categories"                      categories with their kind given
//   "doctors", "patients" (a patient may carry "characteristic" for its second record),
//   "reservations", "standby", "memos", "users",
//   "sales" (a sale may carry "items": sale item objects; itemNo defaults to 0001, 0002, ...)
// and an object "settings" with "entryFolder" and/or "clinicCode".
// A record whose key exists already is replaced.
#include <string>

class JsonImporter {
public:
    enum Result { kOk = 0, kDatabaseError = 1, kBadInput = 2 };

    // message: what was imported, or what was wrong (with the element's place in the file).
    static Result Import(const std::string& folder, const std::string& jsonText,
                         std::string& message);
};
