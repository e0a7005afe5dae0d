#pragma once
// Paints the rows of a staff dialog's list in the list colours (ListRowColours): the selection
// on blue, alternating light green and white rows, dimmed rows in grey.
#include <QStyledItemDelegate>

class ListRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
