#pragma once

#include "QMarket.h"
#include "ResultsView.h"

#include <QJsonArray>

// Results rows made by the program's own items from catalogue records, with
// the cells an action reads set to known values.
struct TickedMarkets : ResultsView
{
    // A market row from a catalogue record; runners are "id:name" in
    // sort-priority order from 1.
    QMarket* add(const QString& id, int sport, const QString& event, const QString& name, const QString& start,
        const QStringList& runners)
    {
        QJsonArray list;
        for (int i = 0; i < runners.size(); ++i)
            list.append(QJsonObject { { "selectionId", runners[i].section(':', 0, 0).toLongLong() },
                { "runnerName", runners[i].section(':', 1) }, { "sortPriority", i + 1 } });
        auto* market = new QMarket;
        market->AppendTo(model().invisibleRootItem(),
            QJsonObject { { "marketId", id }, { "marketName", name }, { "marketStartTime", start },
                { "description", QJsonObject { { "marketType", "WIN" } } }, { "event", json(event) },
                { "eventType", QJsonObject { { "id", QString::number(sport) } } }, { "runners", list } });
        return market;
    }

    // Column 0 of the selection row at row (0 for the first runner).
    static QStandardItem* runner(QMarket* market, int row) { return market->child(row); }

    // Ticks a selection as a click does.
    void tick(QMarket* market, int row) { model().setData(runner(market, row)->index(), Qt::Checked, Qt::CheckStateRole); }

    // Sort values of a row's cells from column 4 on: volume (the market's
    // matched volume, or a selection's share of it), back and lay (the
    // market's books), far, near and actual starting price.
    void values(QStandardItem* rowItem, const QList<double>& fromVolume)
    {
        for (int i = 0; i < fromVolume.size(); ++i)
            model().setData(rowItem->index().siblingAtColumn(QSearcher::ColVolume + i), fromVolume[i], QSearcher::SortRole);
    }
};
