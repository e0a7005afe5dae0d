#include "agent/dialogs/TextListModel.h"

#include "platform/qt/QtText.h"

TextListModel::TextListModel(std::vector<ListColumnSpec> columns, Source source, QObject* parent)
    : QAbstractTableModel(parent), m_columns(std::move(columns)), m_source(std::move(source)) {}

void TextListModel::Reload() {
    beginResetModel();
    endResetModel();
}

int TextListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_source.rowCount ? 0 : m_source.rowCount();
}

int TextListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant TextListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() >= static_cast<int>(m_columns.size()))
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: // info tips: the whole text of a cut cell
        return platform::ToQString(m_source.cell(index.row(), index.column()));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(
            Qt::AlignVCenter |
            (m_columns[index.column()].rightAligned ? Qt::AlignRight : Qt::AlignLeft));
    case kDimmedRole:
        return m_source.dimmed ? m_source.dimmed(index.row()) : false;
    default:
        return {};
    }
}

QVariant TextListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(m_columns.size()))
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(m_columns[section].titleUtf8);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(
            Qt::AlignVCenter | (m_columns[section].rightAligned ? Qt::AlignRight : Qt::AlignLeft));
    return {};
}
