#include "agent/dialogs/ClinicHours.h"

#include "agent/core/AgentSettings.h"
#include "agent/dialogs/FirstVisitPageList.h"

using WorkTime = AgentSettings::WorkTime;

ClinicHours ClinicHours::Read() {
    ClinicHours hours;
    for (int d = 1; d <= 7; ++d) {
        Day& day = hours.days[static_cast<std::size_t>(d - 1)];
        day.closed = AgentSettings::Shared(settingkeys::kClinicClosed, d) != 0;
        FirstVisitPageList::SplitHhmm(AgentSettings::ClinicWorkTime(WorkTime::AmFrom, d),
                                      day.amFromHour, day.amFromMinute);
        FirstVisitPageList::SplitHhmm(AgentSettings::ClinicWorkTime(WorkTime::AmTo, d),
                                      day.amToHour, day.amToMinute);
        FirstVisitPageList::SplitHhmm(AgentSettings::ClinicWorkTime(WorkTime::PmFrom, d),
                                      day.pmFromHour, day.pmFromMinute);
        FirstVisitPageList::SplitHhmm(AgentSettings::ClinicWorkTime(WorkTime::PmTo, d),
                                      day.pmToHour, day.pmToMinute);
    }
    hours.slotStep = AgentSettings::Shared(settingkeys::kTimeSpan);
    return hours;
}
