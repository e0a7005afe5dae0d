#pragma once
// The list of a staff dialog: grid lines, whole-row selection, info tips, the list colours,
// columns as wide as their widths in letters "B" of the list font, and header clicks passed to
// the logic, which sorts (the view only shows the order's arrow).
#include <QTableView>
#include <vector>

#include "agent/dialogs/ListColumnSpec.h"
#include "agent/dialogs/ListSortOrder.h"
#include "agent/dialogs/TextListModel.h"

class DialogListView : public QTableView {
    Q_OBJECT
public:
    // multiSelect: several rows at once (Ctrl/Shift), else one.
    DialogListView(std::vector<ListColumnSpec> columns, TextListModel::Source source,
                   bool multiSelect, QWidget* parent = nullptr);

    // The logic's rows changed: shows them with nothing selected.
    void Reload();
    void ShowSortOrder(const ListSortOrder& order);

    // -1 without a selection.
    int SelectedRow() const;
    // Ascending.
    std::vector<int> SelectedRows() const;
    void SelectRow(int row);

    // The widths the columns start with: widthInB letters "B" each.
    void SetDefaultWidths();
    int LetterBWidth() const;

signals:
    void headerClicked(int column);
    void rowDoubleClicked(int row);
    void selectedRowChanged(int row);

private:
    TextListModel* m_model;
};
