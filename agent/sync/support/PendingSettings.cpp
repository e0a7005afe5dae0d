#include "agent/sync/support/PendingSettings.h"

#include <algorithm>
#include <cstdlib>

#include "agent/core/ClinicSettings.h"

namespace keys = settingkeys;

namespace {

// Leading decimal number of a text (optional sign), 0 when there is none.
int LeadingNumber(const std::string& s) {
    return static_cast<int>(std::strtol(s.c_str(), nullptr, 10));
}

std::string UnderscoresToCommas(std::string s) {
    std::replace(s.begin(), s.end(), '_', ',');
    return s;
}

} // namespace

PendingSettings PendingSettings::Read(const ClinicSettings& settings) {
    PendingSettings s;
    s.m_type = CommaList(settings.Get(keys::kPendingType));
    s.m_changeOk = CommaList(settings.Get(keys::kPendingChangeOk));
    s.m_typeTime = CommaList(settings.Get(keys::kPendingTypeTime));
    s.m_typeUnit = CommaList(settings.Get(keys::kPendingTypeUnit));
    s.m_typeDoctor = CommaList(settings.Get(keys::kPendingTypeDoctor));
    s.m_typeDay = CommaList(settings.Get(keys::kPendingTypeDay));
    s.m_name = CommaList(settings.Get(keys::kPendingName));
    s.m_hidden = settings.Get(keys::kHiddenAppoTypes);
    s.m_time = settings.Get(keys::kPendingTime);
    return s;
}

int PendingSettings::AllowedIndex(const std::string& type) const {
    const int i = m_type.Find(type);
    if (i < 0)
        return -1;
    return Changeable(i) ? i : -1;
}

bool PendingSettings::Changeable(int i) const {
    return !m_changeOk.Has(i) || m_changeOk.Item(i) == "1";
}

int PendingSettings::TypeTime(int i) const {
    return LeadingNumber(m_typeTime.ItemOr(i, ""));
}

std::string PendingSettings::TypeUnits(int i) const {
    return UnderscoresToCommas(m_typeUnit.ItemOr(i, ""));
}

std::string PendingSettings::TypeDoctors(int i) const {
    return UnderscoresToCommas(m_typeDoctor.ItemOr(i, ""));
}

void PendingSettings::TypeDays(int i, int& before, int& after) const {
    before = after = 0;
    const std::string entry = m_typeDay.ItemOr(i, "");
    const auto dash = entry.find('-');
    if (dash == std::string::npos)
        return;
    before = LeadingNumber(entry.substr(0, dash));
    after = LeadingNumber(entry.substr(dash + 1));
}

std::string PendingSettings::Name(int i) const {
    return m_name.ItemOr(i, "");
}

bool PendingSettings::Hidden(const std::string& type) const {
    return !type.empty() && m_hidden.find(type) != std::string::npos;
}
