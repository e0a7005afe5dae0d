#include "agent/dialogs/PatientSearchList.h"

#include "agent/dialogs/OneLineText.h"
#include "agent/dialogs/SearchWords.h"

const std::vector<ListColumnSpec>& PatientSearchList::Columns() {
    static const std::vector<ListColumnSpec> columns = {
        {"ID", 10},
        {"氏名", 20},
        {"カナ", 20},
        {"年齢", 6, true},
        {"コメント", 30},
        {"特性", 30},
        {"最終ログイン日時", 15},
    };
    return columns;
}

void PatientSearchList::Filter() {
    const SearchWords words(m_search);
    m_rows.clear();
    for (const auto& [key, p] : m_directory.Entries()) {
        if (p.deleted && !m_showDeleted)
            continue;
        if (!words.Matches(p.displayNo + " " + p.name + " " + p.kana + " " + p.comment + " " +
                           p.characteristic))
            continue;
        m_rows.push_back(p);
    }
    const bool numeric = m_sort.column >= 0 && Columns()[m_sort.column].rightAligned;
    m_sort.Apply(m_rows, numeric,
                 [](const tagPatientInfo& p, int column) { return CellText(p, column); });
}

void PatientSearchList::SortBy(int column) {
    if (column < 0 || column >= static_cast<int>(Columns().size()))
        return;
    m_sort.Click(column);
    Filter();
}

std::string PatientSearchList::CellText(int row, int column) const {
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return {};
    return CellText(m_rows[row], column);
}

std::string PatientSearchList::CellText(const tagPatientInfo& p, int column) {
    switch (column) {
    case ColId:
        return p.displayNo;
    case ColName:
        return p.name;
    case ColKana:
        return p.kana;
    case ColAge:
        // Without a birth date there is no age to show (the directory holds 0 then).
        return p.birthday.empty() ? std::string() : std::to_string(p.age);
    case ColComment:
        return OneLineText(p.comment);
    case ColCharacteristic:
        return OneLineText(p.characteristic);
    case ColLastLogin:
        return p.webLastLogin;
    default:
        return {};
    }
}
