#pragma once
// Draws one line of the TypeListBox: the box, the name, the warning; a warned line in red, and
// selected on RGB(150, 200, 255) instead of the selection colour.
#include <QStyledItemDelegate>

class TypeSettingsModel;

class TypeListDelegate : public QStyledItemDelegate {
public:
    TypeListDelegate(const TypeSettingsModel& model, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The box of a line drawn in `lineRect` with a font of that metrics' height.
    static QRect BoxRect(const QRect& lineRect, int fontHeight);

    static QColor WarnedText() { return QColor(255, 0, 0); }
    static QColor WarnedSelection() { return QColor(150, 200, 255); }
    static QColor CheckedBox() { return QColor(50, 50, 50); }

private:
    QString LineText(int row) const;
    bool Warned(int row) const;

    const TypeSettingsModel& m_model;
};
