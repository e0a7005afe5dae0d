#include "agent/dialogs/PendingTypeLists.h"

#include <algorithm>

#include "agent/core/AgentSettings.h"

namespace keys = settingkeys;

namespace {

// Every entry must stay one entry of its comma list, or the lists no longer line up with TYPE.
// A designated resource read back from a slot list of the other mode ("D2,D3") holds commas too.
std::string CommasToUnderscores(std::string s) {
    std::replace(s.begin(), s.end(), ',', '_');
    return s;
}

} // namespace

void PendingTypeLists::Append(const CTypeSetting& r, bool checked, BookingMode mode) {
    const bool unitMode = mode == kUnitMode;
    const std::string entries[] = {
        r.code,
        checked ? "1" : "0",
        std::to_string(r.minutes),
        CommasToUnderscores(unitMode ? r.unitSlots : r.designatedUnit),
        CommasToUnderscores(unitMode ? r.designatedDoctor : r.doctorSlots),
        std::to_string(r.daysBefore) + "-" + std::to_string(r.daysAfter),
        r.displayName,
    };
    std::string* lists[] = {&type, &changeOk, &typeTime, &typeUnit, &typeDoctor, &typeDay, &name};
    for (int i = 0; i < 7; ++i) {
        if (m_count > 0)
            *lists[i] += ',';
        *lists[i] += entries[i];
    }
    ++m_count;
}

bool PendingTypeLists::Write() const {
    bool ok = AgentSettings::Set(keys::kPendingType, type);
    ok = AgentSettings::Set(keys::kPendingChangeOk, changeOk) && ok;
    ok = AgentSettings::Set(keys::kPendingTypeTime, typeTime) && ok;
    ok = AgentSettings::Set(keys::kPendingTypeUnit, typeUnit) && ok;
    ok = AgentSettings::Set(keys::kPendingTypeDoctor, typeDoctor) && ok;
    ok = AgentSettings::Set(keys::kPendingTypeDay, typeDay) && ok;
    ok = AgentSettings::Set(keys::kPendingName, name) && ok;
    return ok;
}
