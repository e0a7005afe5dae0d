#include "agent/dialogs/SettingValues.h"

#include "agent/core/AgentSettings.h"
#include "agent/core/WebSession.h"
#include "agent/sync/support/BookingWindow.h"
#include "platform/Cp932.h"

namespace keys = settingkeys;

void SettingValues::LimitTime(int& hour, int& minute) {
    const std::string hhmm = BookingTimeLimit(1, hour, minute);
    hour = std::stoi(hhmm.substr(0, 2));
    minute = std::stoi(hhmm.substr(2, 2));
}

SettingValues SettingValues::Read() {
    SettingValues v;
    v.host = AgentSettings::Get(keys::kHost);
    v.port = AgentSettings::Get(keys::kPort);
    v.clinicName = AgentSettings::ClinicName();
    v.clinicTel = AgentSettings::ClinicTel();
    v.idTitle = AgentSettings::Get(keys::kHospitalId);
    v.showIdCut = AgentSettings::Get(keys::kShowIdCut);
    v.linkUrl = AgentSettings::Get(keys::kLinkUrl);
    v.hidePaymant = AgentSettings::Get(keys::kHidePaymant) != 0;
    v.hideAppoType = AgentSettings::Get(keys::kHideAppoType) != 0;
    v.hideEndTime = AgentSettings::Get(keys::kHideEndTime) != 0;
    v.mode = BookingModeOf(AgentSettings::Get(keys::kUnitType));
    v.limitToday = AgentSettings::Get(keys::kLimitToday) != 0;
    v.limitHour = AgentSettings::Get(keys::kLimitTimeH);
    v.limitMinute = AgentSettings::Get(keys::kLimitTimeM);
    LimitTime(v.limitHour, v.limitMinute);
    v.afterDays = AgentSettings::Get(keys::kAfterDays);
    v.manualLimit = AgentSettings::Get(keys::kLimitType) != 0;
    v.limitAuto = AgentSettings::Get(keys::kLimitAuto);
    v.manualYear = AgentSettings::GetString(keys::kLimitManualY.section, keys::kLimitManualY.name,
                                            std::to_string(keys::kLimitManualY.def));
    v.manualMonth = AgentSettings::GetString(keys::kLimitManualM.section, keys::kLimitManualM.name,
                                             std::to_string(keys::kLimitManualM.def));
    v.showTreatment = AgentSettings::Get(keys::kShowTreatment) != 0;
    v.appoSend = AgentSettings::Get(keys::kAppoSend);
    return v;
}

bool SettingValues::Write() const {
    int hour = limitHour;
    int minute = limitMinute;
    LimitTime(hour, minute);
    bool ok = AgentSettings::Set(keys::kHost, host);
    ok = AgentSettings::Set(keys::kPort, port) && ok;
    if (showIdCut >= 0)
        ok = AgentSettings::Set(keys::kShowIdCut, showIdCut) && ok;
    ok = AgentSettings::Set(keys::kHidePaymant, hidePaymant ? 1 : 0) && ok;
    ok = AgentSettings::Set(keys::kHideAppoType, hideAppoType ? 1 : 0) && ok;
    ok = AgentSettings::Set(keys::kHideEndTime, hideEndTime ? 1 : 0) && ok;
    ok = AgentSettings::Set(keys::kLinkUrl, platform::Cp932CutChars(linkUrl, kLinkUrlChars)) && ok;
    ok = AgentSettings::Set(keys::kAfterDays, afterDays) && ok;
    ok = AgentSettings::Set(keys::kLimitType, manualLimit ? 1 : 0) && ok;
    ok = AgentSettings::Set(keys::kLimitAuto, limitAuto) && ok;
    ok = AgentSettings::Set(keys::kLimitToday, limitToday ? 1 : 0) && ok;
    ok = AgentSettings::Set(keys::kLimitTimeH, hour) && ok;
    ok = AgentSettings::Set(keys::kLimitTimeM, minute) && ok;
    ok = AgentSettings::WriteString(keys::kLimitManualY.section, keys::kLimitManualY.name,
                                    manualYear) &&
         ok;
    ok = AgentSettings::WriteString(keys::kLimitManualM.section, keys::kLimitManualM.name,
                                    manualMonth) &&
         ok;
    ok = AgentSettings::Set(keys::kShowTreatment, showTreatment ? 1 : 0) && ok;
    ok = AgentSettings::Set(keys::kHospitalName, clinicName) && ok;
    ok = AgentSettings::Set(keys::kHospitalTel, clinicTel) && ok;
    ok = AgentSettings::Set(keys::kHospitalId, idTitle) && ok;
    ok = AgentSettings::Set(keys::kUnitType, mode == kDoctorMode ? 1 : 0) && ok;
    return ok;
}

bool SettingValues::WriteAppoSend() const {
    return appoSend < 0 || AgentSettings::Set(keys::kAppoSend, appoSend);
}

void SettingValues::ApplyTo(WebSession& web) const {
    WebConnectionValues values = web.Values();
    values.host = host;
    values.port = port;
    web.SetValues(values);
}
