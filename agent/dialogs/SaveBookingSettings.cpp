#include "agent/dialogs/SaveBookingSettings.h"

#include "agent/core/AgentSettings.h"
#include "agent/dialogs/FirstVisitPageList.h"
#include "agent/dialogs/SettingValues.h"
#include "agent/dialogs/TypeSettingsModel.h"

SaveOutcome SaveBookingSettings(const SettingValues& values, const FirstVisitPageList& pages,
                                const TypeSettingsModel& types, const std::string& databaseFolder) {
    SaveOutcome out;
    out.written = values.Write();
    out.written = pages.Store(values.mode) && out.written;
    out.written = types.Lists().Write() && out.written;
    out.written =
        AgentSettings::Set(settingkeys::kHiddenAppoTypes, types.HiddenText()) && out.written;
    out.written = values.WriteAppoSend() && out.written;
    if (out.written)
        out.trigger = SettingTrigger::Drop(databaseFolder);
    return out;
}
