#pragma once
// What OK of the booking settings dialog stores, in this order: the "COMMON" and
// "HOSPITAL_INFO" values, the first-visit pages, the "PENDING_APPOINTMENTS" lists,
// HIDDEN_APPOTYPES, APPOSEND (when chosen), and finally the trigger file "Setting" in the
// configured entry folder so the running agent republishes the appointment types. Every ini write
// replaces the file atomically, so the agent reading it meanwhile sees the old or the new file,
// never half of one.
#include <string>

#include "agent/dialogs/SettingTrigger.h"

class FirstVisitPageList;
struct SettingValues;
class TypeSettingsModel;

struct SaveOutcome {
    bool written = true; // every key was written
    SettingTrigger::Result trigger = SettingTrigger::NoEntryFolder;
};

// REQUIRES: the profile file is the agent settings file; the page and the type shown in the
// dialog have been stored into `pages` and `types`. The trigger is dropped only when every key was
// written, so the agent is never told to republish half-stored settings.
SaveOutcome SaveBookingSettings(const SettingValues& values, const FirstVisitPageList& pages,
                                const TypeSettingsModel& types, const std::string& databaseFolder);
