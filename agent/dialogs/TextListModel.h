#pragma once
// A read-only table model over a staff dialog's list logic: it asks the logic for the row count
// and the CP932 cell texts whenever the view paints (a virtual list), so the logic's rows stay
// the only copy.
#include <QAbstractTableModel>
#include <functional>
#include <string>
#include <vector>

#include "agent/dialogs/ListColumnSpec.h"

class TextListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Data role of a row drawn dimmed (bool).
    static constexpr int kDimmedRole = Qt::UserRole + 1;

    struct Source {
        std::function<int()> rowCount;
        std::function<std::string(int row, int column)> cell; // CP932
        std::function<bool(int row)> dimmed;                  // may be empty: never dimmed
    };

    TextListModel(std::vector<ListColumnSpec> columns, Source source, QObject* parent = nullptr);

    // The logic's rows changed.
    void Reload();
    const std::vector<ListColumnSpec>& Columns() const { return m_columns; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<ListColumnSpec> m_columns;
    Source m_source;
};
