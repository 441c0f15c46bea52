#pragma once

#include "SelectionCondition.h"

#include <QHash>
#include <QJsonObject>
#include <QPair>
#include <QVector>

class QMarket;
class QSelection;

// The search filter's conditions on market books, read once for a price
// pass: the in-play score tests, the selection conditions, the no-bets rule
// and the market's numeric tests.
class BookConditions
{
public:
    // Event id to home and away score.
    using Scores = QHash<qint64, QPair<int, int>>;

    explicit BookConditions(const QJsonObject& filter);

    // Tests a market whose book has just been applied to it. Writes the
    // selections' match states and the market's matching count; withdrawn
    // runners are never tested or counted, and lose any match state.
    bool Passes(QMarket& market, const QJsonObject& book, const Scores& scores) const;

private:
    bool ScoresPass(const QMarket& market, const Scores& scores) const;
    bool SelectionsPass(const QVector<QSelection*>& selections, int active, bool teamSport) const;
    bool NumbersPass(const QMarket& market, int active, int total) const;

    QJsonObject filter;
    QVector<SelectionCondition> entries;
};
