#include "agent/dialogs/BookingSiteAddress.h"

#include "agent/core/AgentSettings.h"
#include "outside/tools/CTools.h"

std::string BookingSiteAddress::Base() {
    std::string base = AgentSettings::Get(settingkeys::kBookingSite);
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base;
}

std::string BookingSiteAddress::StaffCalendar(const std::string& base,
                                              const std::string& clinicCode) {
    return base + "/staff/login?code=" + CTools::Base64Encode(clinicCode);
}

std::string BookingSiteAddress::FirstVisitPage(const std::string& base,
                                               const std::string& clinicCode, int pageIndex) {
    return base + "/user?code=" + CTools::Base64Encode(clinicCode) +
           "&appoType=" + std::to_string(pageIndex + 1);
}
