#pragma once
// What the resident agent keeps between cycles (held by the main window's controller, or by the
// headless runner). Exchanges read and update it through their SyncContext.
#include <ctime>
#include <map>
#include <optional>
#include <string>

#include "agent/core/LocalDateTime.h"
#include "agent/sync/support/PatientDirectory.h"

class ClinicSettings;

struct EngineState {
    // 1971-01-01 00:00:00 local time: "never".
    static std::time_t Never();

    // Passed to the first-visit booking step; set by Start, cleared after each cycle's
    // web-to-local steps.
    bool firstCycle = true;
    // When the web logins were last read.
    std::time_t usersSyncTime = Never();

    // Last publication times of the booking settings. typesPublished is the settings time stamp
    // that the trigger file "Setting" resets.
    std::time_t hoursPublished = Never();
    std::time_t firstHoursPublished = Never();
    std::time_t staffPublished = Never();
    std::time_t typesPublished = Never();
    std::time_t closedDaysPublished = Never();

    // "COMMON"/"APPOSEND": batch size selector of the reservation entry files. Read at start and
    // again after the settings dialog ended with OK (ReadAppoSend); the cycle only uses it.
    int appoSend = 0;
    // "COMMON"/"SHOWID_CUT", read by every cycle.
    int showIdCut = 0;

    // Patients' change requests (web rows with status_flag 2) that the last pass of the
    // change-request exchange read and left unanswered; empty until a pass has read them.
    std::optional<int> changeRequestsWaiting;

    // Further change detectors of the settings publishes (signature texts, file times), by name.
    std::map<std::string, std::string> detectors;

    // The patient list of the patient search; the patient entry step refreshes the entry of each
    // patient it sent (UpdatePatientDirectoryEntry).
    PatientDirectory patientDirectory;

    // appoSend := "COMMON"/"APPOSEND" of the profile file (default 0).
    void ReadAppoSend(const ClinicSettings& settings);
};
