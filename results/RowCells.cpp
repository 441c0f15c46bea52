#include "RowCells.h"

#include <QHash>
#include <QStandardItemModel>

void ChangeFont(QStandardItem* cell, const std::function<void(QFont&)>& change)
{
    const QVariant stored = cell->data(Qt::FontRole);
    const bool held = stored.userType() == QMetaType::QFont;
    QFont font = held ? stored.value<QFont>() : QFont();
    const QFont before = font;
    change(font);
    if (font != before || (!held && stored.isValid()))
        cell->QStandardItem::setData(font, Qt::FontRole);
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
