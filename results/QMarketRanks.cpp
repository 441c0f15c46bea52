#include "QMarket.h"

#include "QSearcher.h"
#include "QSelection.h"
#include "RowCells.h"

#include <QBrush>
#include <QVector>

#include <algorithm>
#include <cmath>

namespace {

struct Ranked
{
    double value;
    int row;
    QSelection* selection;

    // Equal values keep the rows' order, so a ranking never flickers.
    bool operator<(const Ranked& other) const
    {
        return value < other.value || (value == other.value && row < other.row);
    }
};

double Value(const QSelection* selection, int column)
{
    return selection->CellData(column, QSearcher::SortRole).toDouble();
}

// A sum of reciprocals without its rounding noise: 1/2 + 1/3 + 1/6 is a
// book of exactly 100 %, neither a value offer nor one below 100 %.
double Settled(double book)
{
    return std::round(book * 1e10) / 1e10;
}

} // namespace

void QMarket::UpdateRanks()
{
    if (numberOfWinners == 0)
        return;

    // Every ranking starts from no rank: a selection left out this time must
    // not keep an old one (a favourite whose offer went would stay rank 1).
    QVector<Ranked> prices;
    QVector<Ranked> volumes;
    QVector<int> running;
    double matched = 0;
    double unmatched = 0;
    double backBook = 0;
    double layBook = 0;
    for (int row = 0; row < rowCount(); ++row) {
        auto* selection = dynamic_cast<QSelection*>(child(row));
        if (!selection)
            continue;
        matched += Value(selection, QSearcher::ColMatched);
        unmatched += Value(selection, QSearcher::ColUnmatched);
        selection->SetVolumeRank(9999);
        if (selection->IsWithdrawn()) {
            selection->ShowRank(0);
            continue;
        }
        running.append(row);

        const double back = Value(selection, QSearcher::ColBackPrice);
        if (back > 1.0)
            prices.append({ back, row, selection });
        volumes.append({ Value(selection, QSearcher::ColVolume), row, selection });
        // A runner without a price voids the book.
        if (backBook > -0.5)
            backBook = back > 0 ? backBook + 1 / back : -1;
        const double lay = Value(selection, QSearcher::ColLayPrice);
        if (layBook > -0.5)
            layBook = lay > 0 ? layBook + 1 / lay : -1;
    }

    std::sort(prices.begin(), prices.end());
    backRanked = 0;
    QVector<bool> ranked(rowCount(), false);
    for (const Ranked& entry : qAsConst(prices)) {
        entry.selection->ShowRank(++backRanked);
        ranked[entry.row] = true;
    }
    for (const int row : qAsConst(running)) {
        if (ranked.at(row))
            continue;
        QStandardItem* rank = child(row, QSearcher::ColTimeRank);
        rank->setData(9999, QSearcher::SortRole);
        rank->setData(QVariant(), Qt::DisplayRole);
    }
    std::sort(volumes.begin(), volumes.end());
    volumeRanked = 0;
    for (const Ranked& entry : qAsConst(volumes))
        entry.selection->SetVolumeRank(++volumeRanked);

    ShowBook(QSearcher::ColBackPrice, Settled(backBook), false);
    ShowBook(QSearcher::ColLayPrice, Settled(layBook), true);
    for (const auto& [column, sum] : { std::pair { QSearcher::ColMatched, matched }, { QSearcher::ColUnmatched, unmatched } }) {
        QStandardItem* cell = Cell(column);
        cell->setData(sum, QSearcher::SortRole);
        cell->setData(sum > 0 ? QString::number(sum, 'f', 2) : QString(), Qt::DisplayRole);
    }
}

void QMarket::ShowBook(int column, double book, bool valueAbove)
{
    QStandardItem* cell = Cell(column);
    const double normalized = book / numberOfWinners;
    cell->setData(normalized, QSearcher::SortRole);
    const bool shown = showBook && book > 0;
    cell->setData(shown ? QStringLiteral("%L1 %").arg(book * 100, 0, 'f', 2) : QString(), Qt::DisplayRole);
    // A back book under 100 % or a lay book over it offers value.
    const bool value = shown && (valueAbove ? normalized > 1.0 : normalized < 1.0);
    cell->setData(value ? QVariant(SharedBrush(Qt::yellow)) : QVariant(), Qt::BackgroundRole);
}
