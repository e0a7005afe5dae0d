#pragma once
// The "COMMON" and "HOSPITAL_INFO" values of the booking settings dialog (everything it edits
// apart from the appointment types and the first-visit pages), read when the dialog opens and
// written on OK.
#include <string>

#include "agent/dialogs/BookingMode.h"

class WebSession;

struct SettingValues {
    std::string host;
    int port = 3306;
    std::string clinicName; // shown with the fallback to the shared file, stored as typed
    std::string clinicTel;  // the same
    std::string idTitle;
    int showIdCut = 0;   // 0..2; -1: nothing chosen, the stored value is kept
    std::string linkUrl; // stored cut to kLinkUrlChars characters
    bool hidePaymant = false;
    bool hideAppoType = false;
    bool hideEndTime = false;
    BookingMode mode = kUnitMode;
    bool limitToday = true;
    int limitHour = 6;
    int limitMinute = 0;
    int afterDays = 1;
    bool manualLimit = false;
    int limitAuto = 3;
    std::string manualYear = "0"; // as the boxes show it
    std::string manualMonth = "0";
    bool showTreatment = false;
    int appoSend = 0; // 0..2; -1: nothing chosen, not written

    static constexpr std::size_t kLinkUrlChars = 256;

    // From the profile file (and the shared file for the name and telephone fallbacks), with the
    // limit time limited as LimitTime does.
    static SettingValues Read();
    // Writes everything but APPOSEND, in the order the dialog stores them. False when a key could
    // not be written.
    bool Write() const;
    // APPOSEND when an entry is chosen.
    bool WriteAppoSend() const;
    // The host and port into the running process's connection values.
    void ApplyTo(WebSession& web) const;

    // An hour of 25 and above (or below 0) becomes 24, a minute of 60 and above 59 (below 0: 0),
    // and the minute is 0 with the hour 24: the limits the booking time limit is published with.
    static void LimitTime(int& hour, int& minute);
};
