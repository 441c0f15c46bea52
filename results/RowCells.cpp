#include "RowCells.h"

#include <QHash>
#include <QStandardItemModel>

#include <algorithm>

QVariant RowCell::data(int role) const
{
    role = role == Qt::EditRole ? Qt::DisplayRole : role;
    for (const auto& value : values) {
        if (value.first == role)
            return value.second;
    }
    return QVariant();
}

void RowCell::setData(const QVariant& value, int role)
{
    role = role == Qt::EditRole ? Qt::DisplayRole : role;
    const QStandardItemModel* owner = model();
    const bool quiet = !owner || owner->signalsBlocked();
    auto found = std::find_if(values.begin(), values.end(), [role](const auto& held) { return held.first == role; });
    if (found == values.end()) {
        if (!value.isValid())
            return;
        values.append({ role, value });
    } else if (!value.isValid()) {
        *found = values.last();
        values.removeLast();
    } else {
        // Told only when it changes, as QStandardItem does.
        if (!quiet && found->second.userType() == value.userType() && found->second == value)
            return;
        found->second = value;
    }
    if (!quiet)
        emitDataChanged();
}

QStandardItem* RowCell::clone() const
{
    auto* copy = new RowCell;
    copy->values = values;
    return copy;
}

void ChangeFont(QStandardItem* cell, const std::function<void(QFont&)>& change)
{
    const QVariant stored = cell->data(Qt::FontRole);
    const bool held = stored.userType() == QMetaType::QFont;
    QFont font = held ? stored.value<QFont>() : QFont();
    const QFont before = font;
    change(font);
    if (font != before || (!held && stored.isValid()))
        cell->setData(font, Qt::FontRole);
}

void PutText(QStandardItem* cell, int role, const QString& text)
{
    if (!text.isEmpty())
        cell->setData(text, role);
    else if (cell->data(role).isValid())
        cell->setData(QVariant(), role);
}

const QBrush& SharedBrush(const QColor& color)
{
    static QHash<QPair<int, quint64>, QBrush> brushes;
    const QPair<int, quint64> key(color.spec(), quint64(color.rgba64()));
    auto found = brushes.find(key);
    if (found == brushes.end())
        found = brushes.insert(key, QBrush(color, Qt::SolidPattern));
    return found.value();
}

RowRewrite::RowRewrite(QStandardItem* market)
    : market(market)
    , model(market->model())
    , wasBlocked(model && model->blockSignals(true))
{
}

RowRewrite::~RowRewrite()
{
    if (!model || wasBlocked)
        return;
    model->blockSignals(false);
    const QModelIndex first = market->index();
    const int lastColumn = model->columnCount(first.parent()) - 1;
    emit model->dataChanged(first, first.sibling(first.row(), lastColumn));
    const int rows = market->rowCount();
    if (rows > 0) {
        emit model->dataChanged(
            model->index(0, 0, first), model->index(rows - 1, market->columnCount() - 1, first));
    }
}
