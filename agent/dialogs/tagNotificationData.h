#pragma once
// One notice of the web table `notifications` as the notice dialogs hold it (CP932 texts).
#include <string>

struct tagNotificationData {
    // The id a copy carries while it is prepared; saving turns it into a new notice.
    static constexpr const char* kCopyId = "COPY";

    std::string id;               // web `id`; empty for a new notice, kCopyId for a copy
    std::string patientKey;       // empty for a notice to all patients
    std::string patientId;        // display number, from the local patient table
    std::string patientName;      // from the local patient table
    std::string patientKana;      // from the local patient table
    std::string notificationDate; // YYYYMMDD
    std::string validFromDate;    // YYYYMMDD or empty
    std::string validToDate;      // YYYYMMDD or empty
    std::string title;
    std::string content;   // lines separated by CR LF
    std::string createdAt; // "YYYY-MM-DD HH:MM:SS" as the web gave it
    std::string updatedAt;
    int current = 1; // 1: the valid-to date is today or later, or there is none
    int read = 0;    // 1: the patient has opened it

    // An existing notice of the web (not new, not a copy being prepared).
    bool Existing() const { return !id.empty() && id != kCopyId; }
    // "display number : name(kana)"; empty without a patient.
    std::string PatientText() const {
        if (patientKey.empty())
            return {};
        return patientId + " : " + patientName + "(" + patientKana + ")";
    }
};
