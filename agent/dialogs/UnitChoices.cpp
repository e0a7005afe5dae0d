#include "agent/dialogs/UnitChoices.h"

#include <cstring>

#include "agent/core/CommaList.h"
#include "agent/dialogs/UnusedMarker.h"
#include "outside/pelmodb/CCategoryDB.h"
#include "outside/pelmodb/CDoctorDB.h"
#include "outside/pelmodb/CPelmoDBSys.h"
#include "outside/pelmodb/PelmoStatus.h"
#include "platform/RecordFields.h"

using platform::RecText;

namespace {

int Finish(int rc) {
    return rc == PelmoStatus::kOk || rc == PelmoStatus::kEndOfFile ? PelmoStatus::kOk : rc;
}

} // namespace

int UnitChoices::Load(CPelmoDBSys& sys, BookingMode mode, const std::string& slotText) {
    m_lines.clear();
    // Membership in the list, not a text search: unit "1" is not in "10,11".
    const CommaList slotCodes(slotText);
    auto add = [&](std::string code, std::string name, bool unused) {
        const bool inSlots = slotCodes.Find(code) >= 0;
        if (unused && !inSlots)
            return;
        m_lines.push_back({std::move(code), std::move(name), inSlots});
    };

    if (mode == kUnitMode) {
        CCategoryDB units(sys.GetPath(), 0);
        units.SetAssociatedDB(&sys);
        char key[8] = {'1'};
        units.SetKey(1);
        units.SetKeyBuffer(key, sizeof key);
        int rc = units.GetGREQ();
        for (; rc == PelmoStatus::kOk && RecText(units.m_rec.kind) == "1"; rc = units.GetNEXT())
            add(RecText(units.m_rec.code), RecText(units.m_rec.name),
                MarkedUnused(units.m_rec.unused));
        return Finish(rc);
    }
    CDoctorDB doctors(sys.GetPath(), 0);
    doctors.SetAssociatedDB(&sys);
    char key[6] = {};
    doctors.SetKey(1);
    doctors.SetKeyBuffer(key, sizeof key);
    int rc = doctors.GetGREQ();
    for (; rc == PelmoStatus::kOk; rc = doctors.GetNEXT())
        add(RecText(doctors.m_rec.code), RecText(doctors.m_rec.name),
            MarkedUnused(doctors.m_rec.unused));
    return Finish(rc);
}

std::string UnitChoices::Result() const {
    std::string result;
    for (const UnitChoice& line : m_lines) {
        if (!line.checked)
            continue;
        if (!result.empty())
            result += ',';
        result += line.code;
    }
    return result;
}
