#include "agent/dialogs/NotificationList.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "agent/core/SqlLiterals.h"
#include "agent/dialogs/OneLineText.h"
#include "agent/dialogs/SearchWords.h"
#include "platform/Cp932.h"

using platform::J;

namespace {

std::string Ymd(int year, int month, int day) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", year % 10000, month % 100, day % 100);
    return buf;
}

long DateNumber(const std::string& ymd) {
    return std::atol(ymd.c_str());
}

} // namespace

const std::vector<ListColumnSpec>& NotificationList::Columns() {
    static const std::vector<ListColumnSpec> columns = {
        {"既読", 10},     {"日付", 10},   {"タイトル", 20}, {"有効期限", 10},
        {"お知らせ", 30}, {"患者ID", 10}, {"患者氏名", 30},
    };
    return columns;
}

NotificationList::NotificationList(NoticeContext& ctx) : m_store(ctx) {
    const auto range = InitialRange(ctx.clock);
    m_from = range.first;
    m_to = range.second;
}

std::pair<std::string, std::string> NotificationList::InitialRange(const platform::Clock& clock) {
    const LocalDateTime now = LocalNow(clock);
    return {Ymd(now.year - 1, now.month, 1), Ymd(now.year, now.month, now.day)};
}

void NotificationList::SetRange(const std::string& from, const std::string& to) {
    m_from = from;
    m_to = to;
}

NotificationStore::DateRange NotificationList::EffectiveRange() const {
    if (m_useRange)
        return {m_from, m_to};
    return {"10000101", "90000101"};
}

void NotificationList::Report(const NoticeResult& r) {
    m_problem = r.ProblemLine();
}

void NotificationList::Open() {
    m_mode = AllPatients;
    Report(m_store.LoadAllPatients(m_maps[AllPatients]));
    Filter();
}

void NotificationList::LoadIndividual() {
    const NotificationStore::DateRange range = EffectiveRange();
    NotificationStore::NoticeMap loaded;
    const NoticeResult r =
        m_store.LoadIndividual(m_useRange ? std::optional(range) : std::nullopt, loaded);
    Report(r);
    if (!r.ok)
        return; // what was listed stays, under the line that says the load failed
    m_maps[Individual] = std::move(loaded);
    m_individualLoaded = true;
    m_loadedRange = range;
}

void NotificationList::ModeChanged() {
    if (m_mode == Individual && !m_individualLoaded)
        LoadIndividual();
    Filter();
}

void NotificationList::Search() {
    if (m_mode == Individual && (!m_individualLoaded || EffectiveRange() != m_loadedRange))
        LoadIndividual();
    Filter();
}

void NotificationList::RefreshReadMarks() {
    if (m_mode == Individual)
        Report(m_store.LoadReadMarks(m_maps[Individual]));
    Filter();
}

void NotificationList::Filter() {
    const SearchWords words(m_search);
    const long from = DateNumber(m_from);
    const long to = DateNumber(m_to);
    m_rows.clear();
    for (const auto& [id, n] : m_maps[m_mode]) {
        if (m_mode == AllPatients && m_useRange) {
            const long date = DateNumber(n.notificationDate);
            if (date < from || date > to)
                continue;
        }
        if (!m_showExpired && !n.current)
            continue;
        if (!words.Matches(n.patientId + " " + n.patientName + " " + n.patientKana + " " + n.title +
                           " " + n.content))
            continue;
        m_rows.push_back(n);
    }
    // The list's own order: by the time of the last change (ids break ties).
    std::stable_sort(m_rows.begin(), m_rows.end(),
                     [](const tagNotificationData& a, const tagNotificationData& b) {
                         if (a.updatedAt != b.updatedAt)
                             return a.updatedAt < b.updatedAt;
                         return std::atoll(a.id.c_str()) < std::atoll(b.id.c_str());
                     });
    const ListSortOrder& order = m_sort[m_mode];
    const bool numeric = order.column >= 0 && Columns()[order.column].rightAligned;
    order.Apply(m_rows, numeric,
                [](const tagNotificationData& n, int column) { return CellText(n, column); });
}

void NotificationList::SortBy(int column) {
    if (column < 0 || column >= static_cast<int>(Columns().size()))
        return;
    m_sort[m_mode].Click(column);
    Filter();
}

std::string NotificationList::CellText(int row, int column) const {
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return {};
    return CellText(m_rows[row], column);
}

std::string NotificationList::CellText(const tagNotificationData& n, int column) {
    switch (column) {
    case ColRead:
        return n.read ? J("○") : std::string();
    case ColDate:
        return DateText(n.notificationDate);
    case ColTitle:
        return OneLineText(n.title);
    case ColValidTo:
        return DateText(n.validToDate);
    case ColContent:
        return OneLineText(n.content);
    case ColPatientId:
        return n.patientId;
    case ColPatientName:
        if (!n.patientName.empty() && !n.patientKana.empty())
            return n.patientName + "(" + n.patientKana + ")";
        return n.patientName + n.patientKana;
    default:
        return {};
    }
}

tagNotificationData NotificationList::NewNotice() const {
    return {};
}

tagNotificationData NotificationList::CopyOf(int row) const {
    tagNotificationData n = m_rows.at(row);
    n.id = tagNotificationData::kCopyId;
    n.read = 0;
    return n;
}

NotificationStore::SaveResult NotificationList::Save(tagNotificationData& notice) {
    const std::string oldId = notice.Existing() ? notice.id : std::string();
    NotificationStore::SaveResult r = m_store.Save(notice);
    if (!r.ok)
        return r;
    notice.current = m_store.CurrentFlag(notice.validToDate);
    NotificationStore::NoticeMap& map = m_maps[m_mode];
    if (!oldId.empty() && oldId != notice.id)
        map.erase(oldId);
    map[notice.id] = notice;
    Filter();
    return r;
}

NoticeResult NotificationList::Delete(int row) {
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return NoticeResult::Failed(J("お知らせが選択されていません。"));
    const tagNotificationData notice = m_rows[row];
    const NoticeResult r = m_store.Delete(notice);
    if (!r.ok)
        return r;
    m_maps[m_mode].erase(notice.id);
    Filter();
    return r;
}
