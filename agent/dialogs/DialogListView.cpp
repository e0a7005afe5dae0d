#include "agent/dialogs/DialogListView.h"

#include "agent/dialogs/ListRowDelegate.h"

#include <QHeaderView>
#include <algorithm>

DialogListView::DialogListView(std::vector<ListColumnSpec> columns, TextListModel::Source source,
                               bool multiSelect, QWidget* parent)
    : QTableView(parent), m_model(new TextListModel(std::move(columns), std::move(source), this)) {
    setModel(m_model);
    setItemDelegate(new ListRowDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(multiSelect ? QAbstractItemView::ExtendedSelection
                                 : QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSortIndicatorShown(false);
    SetDefaultWidths();

    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { emit headerClicked(column); });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            emit rowDoubleClicked(index.row());
    });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { emit selectedRowChanged(SelectedRow()); });
}

int DialogListView::LetterBWidth() const {
    return fontMetrics().horizontalAdvance(QLatin1Char('B'));
}

void DialogListView::SetDefaultWidths() {
    const int b = LetterBWidth();
    const auto& columns = m_model->Columns();
    for (int i = 0; i < static_cast<int>(columns.size()); ++i)
        setColumnWidth(i, columns[i].widthInB * b);
}

void DialogListView::Reload() {
    m_model->Reload();
    emit selectedRowChanged(-1);
}

void DialogListView::ShowSortOrder(const ListSortOrder& order) {
    if (order.column < 0) {
        horizontalHeader()->setSortIndicatorShown(false);
        return;
    }
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(order.column, order.descending ? Qt::DescendingOrder
                                                                        : Qt::AscendingOrder);
}

int DialogListView::SelectedRow() const {
    const std::vector<int> rows = SelectedRows();
    return rows.empty() ? -1 : rows.front();
}

std::vector<int> DialogListView::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void DialogListView::SelectRow(int row) {
    if (row < 0 || row >= m_model->rowCount()) {
        clearSelection();
        return;
    }
    selectRow(row);
    scrollTo(m_model->index(row, 0));
}
