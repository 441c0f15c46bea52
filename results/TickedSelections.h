#pragma once

#include "QSelection.h"

#include <QVariant>
#include <QVector>

class QMarket;
class QSearcher;

// A market row with its ticked selection rows (column 0 of each).
struct TickedMarket
{
    QMarket* market = nullptr;
    QVector<QSelection*> selections;
};

// The ticked selections in the order every action on them takes: market
// rows in row order, those with no ticked selection left out; under each,
// its ticked selection rows in row order, hidden rows included.
QVector<TickedMarket> TickedSelections(const QSearcher& view);

// A cell of the row that item (column 0) stands in, as the view shows it.
QVariant RowValue(const QStandardItem* item, int column, int role);
