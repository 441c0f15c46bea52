#include "QSearcherModel.h"

QSearcherModel::QSearcherModel()
{
    // QStandardItemModel answers a ranged data change with an itemChanged
    // for every item in the range: a rewritten market row would send one per
    // cell. Nothing listens to those; the view hears of ticks through the
    // check-change notice (itemChanged with a null item).
    disconnect(this, SIGNAL(dataChanged(QModelIndex, QModelIndex)), this,
        SLOT(_q_emitItemChanged(QModelIndex, QModelIndex)));
}

bool QSearcherModel::IsSelectionRow(const QModelIndex& index)
{
    const QVariant kind = index.sibling(index.row(), QSearcher::ColName).data(QSearcher::KindRole);
    return kind.type() == QVariant::Bool && kind.toBool();
}

QVariant QSearcherModel::data(const QModelIndex& index, int role) const
{
    switch (role) {
    case Qt::ToolTipRole:
        if (!showCountryName && index.column() == QSearcher::ColName)
            return QVariant();
        break;
    case Qt::DecorationRole:
        if (!showCountryFlags && index.column() == QSearcher::ColName)
            return QVariant();
        break;
    case Qt::BackgroundRole: {
        const QVariant own = QStandardItemModel::data(index, role);
        if (own.isValid())
            return own;
        const QColor color = columnColors.value(QSearcher::ColumnType(index.column()), Qt::white);
        if (color == QColor(Qt::white))
            return QColor(Qt::white);
        // Market rows a shade darker than their selections.
        return IsSelectionRow(index) ? color : color.darker(110);
    }
    default:
        break;
    }
    return QStandardItemModel::data(index, role);
}

bool QSearcherModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    QStandardItem* item = itemFromIndex(index);
    // Only a tick in column 0 travels between a market and its selections.
    if (!item || role != Qt::CheckStateRole || index.column() != QSearcher::ColName)
        return QStandardItemModel::setData(index, value, role);
    QVariant given = value;
    // A market's box goes between unchecked and checked: a partly checked
    // selection would look ticked yet count as unticked for every action.
    if (item->hasChildren() && given.toInt() == Qt::PartiallyChecked)
        given = int(Qt::Checked);

    for (int row = 0; row < item->rowCount(); ++row) {
        QStandardItem* child = item->child(row, 0);
        if (child && child->isEnabled())
            setData(child->index(), given, role);
    }
    const bool result = QStandardItemModel::setData(index, given, role);

    if (QStandardItem* parent = item->parent())
        parent->setData(int(SharedTick(*parent)), Qt::CheckStateRole);
    return result;
}

Qt::CheckState QSearcherModel::SharedTick(const QStandardItem& market)
{
    int shared = -1;
    for (int row = 0; row < market.rowCount(); ++row) {
        const QStandardItem* child = market.child(row, 0);
        if (!child || !child->isEnabled())
            continue;
        const int state = child->data(Qt::CheckStateRole).toInt();
        if (shared >= 0 && state != shared)
            return Qt::PartiallyChecked;
        shared = state;
    }
    return shared < 0 ? Qt::Unchecked : Qt::CheckState(shared);
}
