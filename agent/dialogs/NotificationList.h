#pragma once
// The notice list "お知らせ" without its window: the notices to all patients (loaded when the
// list opens) and the individual notices (loaded on demand, at most once per date range), the
// filter, the sort order of each of the two lists, the rows shown and their texts, and the
// saves and deletes that change them. The window forwards its controls here and shows Rows().
#include <array>
#include <string>
#include <vector>

#include "agent/dialogs/ListColumnSpec.h"
#include "agent/dialogs/ListSortOrder.h"
#include "agent/dialogs/NoticeContext.h"
#include "agent/dialogs/NoticeResult.h"
#include "agent/dialogs/NotificationStore.h"
#include "agent/dialogs/tagNotificationData.h"

class NotificationList {
public:
    enum Mode { AllPatients = 0, Individual = 1 };
    enum Column {
        ColRead,
        ColDate,
        ColTitle,
        ColValidTo,
        ColContent,
        ColPatientId,
        ColPatientName
    };
    static const std::vector<ListColumnSpec>& Columns();

    explicit NotificationList(NoticeContext& ctx);

    // Filter settings, as the window's controls hold them. Setting them does not filter.
    Mode GetMode() const { return m_mode; }
    void SetMode(Mode mode) { m_mode = mode; }
    bool ShowExpired() const { return m_showExpired; }
    void SetShowExpired(bool show) { m_showExpired = show; }
    bool UseRange() const { return m_useRange; }
    void SetUseRange(bool use) { m_useRange = use; }
    const std::string& RangeFrom() const { return m_from; }
    const std::string& RangeTo() const { return m_to; }
    // YYYYMMDD, both ends included.
    void SetRange(const std::string& from, const std::string& to);
    void SetSearchText(const std::string& text) { m_search = text; }

    // The range a new list starts with: the first day of this month one year back, and today.
    static std::pair<std::string, std::string> InitialRange(const platform::Clock& clock);

    // Opening: the all-patients mode with the initial range; loads the notices to all patients
    // and filters.
    void Open();
    // After the mode radios: loads the individual notices the first time they are shown, then
    // filters.
    void ModeChanged();
    // "検索": in the individual mode reloads the individual notices when the range (or whether
    // one is used) differs from their last load; filters.
    void Search();
    // "更新": the read marks of the individual notices only, then filters.
    void RefreshReadMarks();
    // Builds the rows shown from the current mode's notices, then sorts them.
    void Filter();
    // A click on a column header of the current mode's list.
    void SortBy(int column);
    const ListSortOrder& SortOrder() const { return m_sort[m_mode]; }

    const std::vector<tagNotificationData>& Rows() const { return m_rows; }
    std::string CellText(int row, int column) const;
    static std::string CellText(const tagNotificationData& notice, int column);

    // One line for the window when the last load failed (nothing could be listed, or the
    // list is incomplete); empty when it succeeded.
    const std::string& Problem() const { return m_problem; }

    // A notice to open in the editor: an empty one, the row, or a copy of the row (its id the
    // copy id). The row must exist.
    tagNotificationData NewNotice() const;
    tagNotificationData CopyOf(int row) const;

    // Writes the edited notice to the web. On success the notice carries its id and time stamps
    // and is put into the current mode's notices under its id (a notice whose row had gone comes
    // back under its new id) and the list is filtered; on failure the notices stay as they were.
    NotificationStore::SaveResult Save(tagNotificationData& notice);
    // Deletes the row's notice on the web; only when that succeeded it leaves the list.
    NoticeResult Delete(int row);

    // The notices of a mode, by id.
    const NotificationStore::NoticeMap& Notices(Mode mode) const { return m_maps[mode]; }
    bool IndividualLoaded() const { return m_individualLoaded; }

private:
    NotificationStore::DateRange EffectiveRange() const;
    void LoadIndividual();
    void Report(const NoticeResult& r);

    NotificationStore m_store;
    Mode m_mode = AllPatients;
    bool m_showExpired = false;
    bool m_useRange = true;
    std::string m_from;
    std::string m_to;
    std::string m_search;
    std::array<NotificationStore::NoticeMap, 2> m_maps;
    std::array<ListSortOrder, 2> m_sort;
    bool m_individualLoaded = false;
    NotificationStore::DateRange m_loadedRange;
    std::vector<tagNotificationData> m_rows;
    std::string m_problem;
};
