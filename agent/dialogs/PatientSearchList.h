#pragma once
// The patient search "患者選択" without its window: the patients of the patient directory that
// the search words and "削除済みも表示" let through, sorted by a clicked column, with their
// texts. Deleted patients are listed only on request and then dimmed.
#include <string>
#include <vector>

#include "agent/dialogs/ListColumnSpec.h"
#include "agent/dialogs/ListSortOrder.h"
#include "agent/sync/support/PatientDirectory.h"

class PatientSearchList {
public:
    enum Column { ColId, ColName, ColKana, ColAge, ColComment, ColCharacteristic, ColLastLogin };
    static const std::vector<ListColumnSpec>& Columns();

    // The directory must outlive the list.
    explicit PatientSearchList(const PatientDirectory& directory) : m_directory(directory) {}

    void SetShowDeleted(bool show) { m_showDeleted = show; }
    bool ShowDeleted() const { return m_showDeleted; }
    void SetSearchText(const std::string& text) { m_search = text; }

    // Builds the rows from the directory (in key order), then sorts them.
    void Filter();
    void SortBy(int column);
    const ListSortOrder& SortOrder() const { return m_sort; }

    const std::vector<tagPatientInfo>& Rows() const { return m_rows; }
    std::string CellText(int row, int column) const;
    static std::string CellText(const tagPatientInfo& patient, int column);

private:
    const PatientDirectory& m_directory;
    bool m_showDeleted = false;
    std::string m_search;
    ListSortOrder m_sort;
    std::vector<tagPatientInfo> m_rows;
};
