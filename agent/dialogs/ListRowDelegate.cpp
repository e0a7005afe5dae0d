#include "agent/dialogs/ListRowDelegate.h"

#include "agent/dialogs/ListRowColours.h"
#include "agent/dialogs/TextListModel.h"

#include <QPainter>

namespace {

QColor Colour(const ListRgb& c) {
    return QColor(c.r, c.g, c.b);
}

} // namespace

void ListRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    QStyleOptionViewItem opt(option);
    const bool selected = opt.state.testFlag(QStyle::State_Selected);
    const bool dimmed = index.data(TextListModel::kDimmedRole).toBool();
    const ListRowColours colours = ListRowColours::Of(index.row(), selected, dimmed);
    painter->fillRect(opt.rect, Colour(colours.background));
    // The style's own selection and focus marks would cover the list colours.
    opt.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    opt.palette.setColor(QPalette::Text, Colour(colours.text));
    opt.palette.setColor(QPalette::HighlightedText, Colour(colours.text));
    QStyledItemDelegate::paint(painter, opt, index);
}
