#include "agent/dialogs/TypeListDelegate.h"

#include "agent/dialogs/TypeSettingsModel.h"
#include "outside/tools/qt/CToolsQt.h"
#include "platform/qt/QtText.h"

#include <QApplication>
#include <QPainter>

namespace {
constexpr int kMargin = 3;
constexpr int kGap = 5;
} // namespace

TypeListDelegate::TypeListDelegate(const TypeSettingsModel& model, QObject* parent)
    : QStyledItemDelegate(parent), m_model(model) {}

QRect TypeListDelegate::BoxRect(const QRect& lineRect, int fontHeight) {
    const int side = std::max(9, fontHeight - 4);
    return QRect(lineRect.left() + kMargin, lineRect.top() + (lineRect.height() - side) / 2, side,
                 side);
}

QString TypeListDelegate::LineText(int row) const {
    const auto& entries = m_model.Entries();
    if (row < 0 || row >= static_cast<int>(entries.size()))
        return {};
    const auto i = static_cast<std::size_t>(row);
    return platform::ToQString(entries[i].name + m_model.Warning(i));
}

bool TypeListDelegate::Warned(int row) const {
    return row >= 0 && !m_model.Warning(static_cast<std::size_t>(row)).empty();
}

void TypeListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const int row = index.row();
    const bool selected = option.state & QStyle::State_Selected;
    const bool warned = Warned(row);
    const QPalette& pal = option.palette;

    painter->save();
    if (selected)
        CToolsQt::Area_Make(*painter, option.rect,
                            warned ? WarnedSelection() : pal.color(QPalette::Highlight));

    const QFontMetrics fm(option.font);
    const QRect box = BoxRect(option.rect, fm.height());
    const auto& entries = m_model.Entries();
    const bool checked = row >= 0 && row < static_cast<int>(entries.size()) &&
                         entries[static_cast<std::size_t>(row)].checked;
    CToolsQt::Area_Make(*painter, box, checked ? CheckedBox() : QColor(Qt::white));
    CToolsQt::Rect_Make(*painter, box, QColor(Qt::black));

    QColor text = pal.color(QPalette::Text);
    if (warned)
        text = WarnedText();
    else if (selected)
        text = pal.color(QPalette::HighlightedText);
    painter->setPen(text);
    painter->setFont(option.font);
    const QRect textRect(box.right() + 1 + kGap, option.rect.top(),
                         option.rect.right() - box.right() - kGap, option.rect.height());
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      LineText(row));
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.rect = option.rect;
        focus.state = option.state;
        focus.backgroundColor =
            selected ? pal.color(QPalette::Highlight) : pal.color(QPalette::Base);
        QApplication::style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter);
    }
    painter->restore();
}

QSize TypeListDelegate::sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    const QFontMetrics fm(option.font);
    const int box = std::max(9, fm.height() - 4);
    // The widest line sets the list's horizontal scroll range.
    return QSize(kMargin + box + kGap + fm.horizontalAdvance(LineText(index.row())) + kMargin,
                 fm.height() + 4);
}
