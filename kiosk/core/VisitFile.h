#pragma once
// The empty visit file a scan leaves for the practice software:
// checkInFolder + "YYYY/MM/DD/" + "YYYYMMDD_HHMMSS_" + code + ".dat".
#include "LocalTime.h"

#include <string>

class VisitFile {
public:
    enum Result { kWritten, kSameMinute, kFailed };

    // Writes the file for `code` scanned at `now` unless that day's folder already holds one for
    // the same code and minute (any seconds). REQUIRES: checkInFolder ends with '/'; code is ten
    // digits. Failures are logged, never shown to the patient.
    static Result Write(const std::string& checkInFolder, const std::string& code,
                        const LocalTime& now);

    // The day folder and the file name of a scan, as above.
    static std::string DayFolder(const std::string& checkInFolder, const LocalTime& now);
    static std::string FileName(const std::string& code, const LocalTime& now);
};
