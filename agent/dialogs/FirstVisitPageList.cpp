#include "agent/dialogs/FirstVisitPageList.h"

#include <cstdio>
#include <cstdlib>

#include "agent/core/AgentSettings.h"
#include "agent/sync/support/FirstVisitPages.h"

namespace keys = settingkeys;
using WorkTime = AgentSettings::WorkTime;

namespace {

constexpr const char* kEnter = "[$ENTER]";

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

int Hhmm(int hour, int minute) {
    return hour * 100 + minute;
}

} // namespace

CFirstAppoSetting CFirstAppoSetting::NewPage() {
    CFirstAppoSetting page;
    page.required = "NAME,KANA,TEL";
    return page;
}

void FirstVisitPageList::SplitHhmm(int value, int& hour, int& minute) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d", value);
    const std::string s = text;
    hour = std::atoi(s.substr(0, 2).c_str());
    minute = std::atoi(s.substr(s.size() - 2).c_str());
}

std::string FirstVisitPageList::NoteToFile(const std::string& comment) {
    return ReplaceAll(comment, "\r\n", kEnter);
}

std::string FirstVisitPageList::NoteFromFile(const std::string& note) {
    return ReplaceAll(note, kEnter, "\r\n");
}

CFirstAppoSetting FirstVisitPageList::LoadPage(int p, BookingMode mode) {
    CFirstAppoSetting page = CFirstAppoSetting::NewPage();
    page.title = AgentSettings::Get(keys::kFirstTitle, p);
    page.comment = NoteFromFile(AgentSettings::Get(keys::kFirstNote, p));
    page.required = AgentSettings::Get(keys::kFirstRequired, p);
    const std::string slots = AgentSettings::Get(keys::kFirstUnitId, p);
    const std::string designated = AgentSettings::Get(keys::kFirstUnitDoctorId, p);
    if (mode == kDoctorMode) {
        page.doctorSlots = slots;
        page.designatedUnit = designated;
    } else {
        page.unitSlots = slots;
        page.designatedDoctor = designated;
    }
    for (int d = 1; d <= 7; ++d) {
        FirstVisitWeekday& w = page.weekdays[static_cast<std::size_t>(d - 1)];
        w.bookable = AgentSettings::Get(keys::kFirstDayOfWeek, p, d);
        w.fixedTimes = AgentSettings::Get(keys::kFirstTimes, p, d);
        SplitHhmm(AgentSettings::FirstWorkTime(WorkTime::AmFrom, p, d), w.amFromHour,
                  w.amFromMinute);
        SplitHhmm(AgentSettings::FirstWorkTime(WorkTime::AmTo, p, d), w.amToHour, w.amToMinute);
        SplitHhmm(AgentSettings::FirstWorkTime(WorkTime::PmFrom, p, d), w.pmFromHour,
                  w.pmFromMinute);
        SplitHhmm(AgentSettings::FirstWorkTime(WorkTime::PmTo, p, d), w.pmToHour, w.pmToMinute);
    }
    page.typeCode = AgentSettings::Get(keys::kFirstCategoryId, p);
    page.minutes = AgentSettings::Get(keys::kFirstTime, p);
    page.afterDays = AgentSettings::Get(keys::kFirstAfterDays, p);
    return page;
}

bool FirstVisitPageList::StorePage(int p, const CFirstAppoSetting& page, BookingMode mode) {
    const bool doctorMode = mode == kDoctorMode;
    bool ok = AgentSettings::Set(keys::kFirstTitle, page.title, p);
    ok = AgentSettings::Set(keys::kFirstNote, NoteToFile(page.comment), p) && ok;
    ok = AgentSettings::Set(keys::kFirstRequired, page.required, p) && ok;
    ok = AgentSettings::Set(keys::kFirstUnitDoctorId,
                            doctorMode ? page.designatedUnit : page.designatedDoctor, p) &&
         ok;
    ok =
        AgentSettings::Set(keys::kFirstUnitId, doctorMode ? page.doctorSlots : page.unitSlots, p) &&
        ok;
    ok = AgentSettings::Set(keys::kFirstCategoryId, page.typeCode, p) && ok;
    ok = AgentSettings::Set(keys::kFirstTime, page.minutes, p) && ok;
    ok = AgentSettings::Set(keys::kFirstAfterDays, page.afterDays, p) && ok;
    for (int d = 1; d <= 7; ++d) {
        const FirstVisitWeekday& w = page.weekdays[static_cast<std::size_t>(d - 1)];
        const struct {
            WorkTime which;
            int value;
        } times[] = {{WorkTime::AmFrom, Hhmm(w.amFromHour, w.amFromMinute)},
                     {WorkTime::AmTo, Hhmm(w.amToHour, w.amToMinute)},
                     {WorkTime::PmFrom, Hhmm(w.pmFromHour, w.pmFromMinute)},
                     {WorkTime::PmTo, Hhmm(w.pmToHour, w.pmToMinute)}};
        ok = AgentSettings::Set(keys::kFirstDayOfWeek, w.bookable, p, d) && ok;
        ok = AgentSettings::Set(keys::kFirstTimes, w.fixedTimes, p, d) && ok;
        for (const auto& t : times)
            ok = AgentSettings::WriteInt(
                     keys::kFirstUseRange.section,
                     AgentSettings::KeyName(AgentSettings::WorkTimeKey(t.which, d), p), t.value) &&
                 ok;
    }
    return ok;
}

void FirstVisitPageList::Load(BookingMode mode) {
    m_useRange = AgentSettings::Get(keys::kFirstUseRange) != 0;
    m_pages.clear();
    const int count = FirstVisitPageCount(AgentSettings::Process());
    for (int p = 0; p < count; ++p)
        m_pages.push_back(LoadPage(p, mode));
}

bool FirstVisitPageList::Store(BookingMode mode) const {
    bool ok = AgentSettings::Set(keys::kFirstUseRange, m_useRange ? 1 : 0);
    ok = AgentSettings::Set(keys::kFirstPageNum, Count()) && ok;
    for (int p = 0; p < Count(); ++p)
        ok = StorePage(p, Page(p), mode) && ok;
    return ok;
}

bool FirstVisitPageList::CanAdd() const {
    return Count() < kMaxFirstVisitPages;
}

int FirstVisitPageList::Add() {
    if (!CanAdd())
        return -1;
    m_pages.push_back(CFirstAppoSetting::NewPage());
    return Count() - 1;
}

int FirstVisitPageList::Delete(int index) {
    if (!CanDelete() || index < 0 || index >= Count())
        return -1;
    m_pages.erase(m_pages.begin() + index);
    return index < Count() ? index : Count() - 1;
}
