#include "agent/dialogs/TypeListBox.h"

#include "agent/dialogs/TypeListDelegate.h"
#include "agent/dialogs/TypeSettingsModel.h"
#include "platform/qt/QtText.h"

#include <QKeyEvent>
#include <QMouseEvent>

TypeListBox::TypeListBox(const TypeSettingsModel& model, QWidget* parent)
    : QListWidget(parent), m_model(model) {
    setItemDelegate(new TypeListDelegate(model, this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void TypeListBox::Rebuild() {
    const bool blocked = blockSignals(true);
    clear();
    for (const TypeListEntry& entry : m_model.Entries())
        addItem(platform::ToQString(entry.name)); // the text serves accessibility; drawn by hand
    setCurrentRow(-1);
    blockSignals(blocked);
    Redraw();
}

void TypeListBox::Redraw() {
    scheduleDelayedItemsLayout(); // line widths follow the warnings
    viewport()->update();
}

QRect TypeListBox::BoxRect(int row) const {
    return TypeListDelegate::BoxRect(visualRect(model()->index(row, 0)), fontMetrics().height());
}

void TypeListBox::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid() &&
        BoxRect(index.row()).adjusted(-2, -2, 2, 2).contains(event->position().toPoint())) {
        emit boxClicked(index.row());
        return;
    }
    QListWidget::mousePressEvent(event);
}

void TypeListBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && currentRow() >= 0) {
        emit boxClicked(currentRow());
        return;
    }
    QListWidget::keyPressEvent(event);
}
