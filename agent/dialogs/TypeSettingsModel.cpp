#include "agent/dialogs/TypeSettingsModel.h"

#include <algorithm>
#include <cstring>

#include "agent/dialogs/UnusedMarker.h"
#include "agent/sync/support/PendingSettings.h"
#include "outside/pelmodb/CCategoryDB.h"
#include "outside/pelmodb/CPelmoDBSys.h"
#include "outside/pelmodb/PelmoStatus.h"
#include "platform/Cp932.h"
#include "platform/RecordFields.h"

using platform::J;
using platform::RecText;

namespace {

std::string Token(const std::string& code) {
    return "[" + code + "]";
}

} // namespace

void TypeSettingsModel::Load(const PendingSettings& stored, const std::string& hiddenText) {
    m_records.clear();
    m_hidden = hiddenText;
    const CommaList& types = stored.Types();
    for (int i = 0; i < types.Count(); ++i) {
        CTypeSetting r;
        r.code = types.Item(i);
        if (m_records.count(r.code))
            continue;
        r.changeable = stored.Changeable(i) ? 1 : 0;
        r.minutes = stored.TypeTime(i);
        r.unitSlots = r.designatedUnit = stored.TypeUnits(i);
        r.doctorSlots = r.designatedDoctor = stored.TypeDoctors(i);
        stored.TypeDays(i, r.daysBefore, r.daysAfter);
        r.displayName = stored.Name(i);
        m_records.emplace(r.code, r);
    }
}

int TypeSettingsModel::LoadTypeList(CPelmoDBSys& sys, const PendingSettings& stored) {
    m_entries.clear();
    CCategoryDB category(sys.GetPath(), 0);
    category.SetAssociatedDB(&sys);
    char key[8] = {'0'};
    category.SetKey(1);
    category.SetKeyBuffer(key, sizeof key);
    int rc = category.GetGREQ();
    for (; rc == PelmoStatus::kOk && RecText(category.m_rec.kind) == "0"; rc = category.GetNEXT()) {
        TypeListEntry entry;
        entry.code = RecText(category.m_rec.code);
        if (entry.code.empty())
            continue; // a type without a code cannot be stored in the lists
        entry.name = RecText(category.m_rec.name);
        entry.checked = stored.AllowedIndex(entry.code) >= 0;
        if (MarkedUnused(category.m_rec.unused) && !entry.checked)
            continue;
        m_entries.push_back(std::move(entry));
    }
    return rc == PelmoStatus::kOk || rc == PelmoStatus::kEndOfFile ? PelmoStatus::kOk : rc;
}

int TypeSettingsModel::IndexOf(const std::string& code) const {
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].code == code)
            return static_cast<int>(i);
    return -1;
}

const CTypeSetting* TypeSettingsModel::Find(const std::string& code) const {
    auto it = m_records.find(code);
    return it == m_records.end() ? nullptr : &it->second;
}

CTypeSetting TypeSettingsModel::Record(const std::string& code) const {
    if (const CTypeSetting* r = Find(code))
        return *r;
    CTypeSetting r;
    r.code = code;
    return r;
}

TypeEdit TypeSettingsModel::Show(const std::string& code) const {
    const CTypeSetting r = Record(code);
    TypeEdit e;
    e.slotCodes = m_mode == kUnitMode ? r.unitSlots : r.doctorSlots;
    e.designated = m_mode == kUnitMode ? r.designatedDoctor : r.designatedUnit;
    e.minutes = r.minutes;
    e.daysBefore = r.daysBefore;
    e.daysAfter = r.daysAfter;
    e.displayName = r.displayName;
    e.hidden = HiddenToken(code);
    return e;
}

void TypeSettingsModel::Collect(const std::string& code, const TypeEdit& e) {
    auto [it, added] = m_records.try_emplace(code);
    CTypeSetting& r = it->second;
    if (added)
        r.code = code;
    if (m_mode == kUnitMode) {
        r.unitSlots = e.slotCodes;
        r.designatedDoctor = e.designated;
    } else {
        r.doctorSlots = e.slotCodes;
        r.designatedUnit = e.designated;
    }
    r.minutes = e.minutes;
    r.daysBefore = e.daysBefore;
    r.daysAfter = e.daysAfter;
    // The name is one entry of a comma list.
    r.displayName = e.displayName;
    std::replace(r.displayName.begin(), r.displayName.end(), ',', '.');

    const std::string token = Token(code);
    if (e.hidden && !HiddenToken(code)) {
        m_hidden += token;
    } else if (!e.hidden) {
        for (auto at = m_hidden.find(token); at != std::string::npos; at = m_hidden.find(token))
            m_hidden.erase(at, token.size());
    }
}

bool TypeSettingsModel::HiddenToken(const std::string& code) const {
    return m_hidden.find(Token(code)) != std::string::npos;
}

std::string TypeSettingsModel::Warning(std::size_t index) const {
    if (index >= m_entries.size() || !m_entries[index].checked)
        return {};
    const CTypeSetting r = Record(m_entries[index].code);
    const bool noSlots = (m_mode == kUnitMode ? r.unitSlots : r.doctorSlots).empty();
    const bool noMinutes = r.minutes <= 0;
    const char* resource = m_mode == kUnitMode ? "ユニット" : "ドクター";
    if (noSlots && noMinutes)
        return J(std::string(" ※") + resource + "、診療時間が未指定です！");
    if (noSlots)
        return J(std::string(" ※") + resource + "が未指定です！");
    if (noMinutes)
        return J(" ※診療時間が未指定です！");
    return {};
}

PendingTypeLists TypeSettingsModel::Lists() const {
    PendingTypeLists lists;
    for (const TypeListEntry& entry : m_entries)
        lists.Append(Record(entry.code), entry.checked, m_mode);
    return lists;
}
