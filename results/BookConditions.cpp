#include "BookConditions.h"

#include "JsonIds.h"
#include "QMarket.h"
#include "QSearcher.h"
#include "QSelection.h"
#include "QSportsCatalog.h"

#include <QJsonArray>

BookConditions::BookConditions(const QJsonObject& filter)
    : filter(filter)
{
    for (const QJsonValue& entry : filter.value(QLatin1String("sel")).toArray())
        entries.append(SelectionCondition(entry.toObject()));
}

bool BookConditions::Passes(QMarket& market, const QJsonObject& book, const Scores& scores) const
{
    const int active = book.value(QLatin1String("numberOfActiveRunners")).toInt();
    const int total = book.value(QLatin1String("numberOfRunners")).toInt();
    const bool teamSport = QCatalog::sports && QCatalog::sports->IsTeamSport(market.EventTypeId());
    if (teamSport && filter.contains(QLatin1String("scores")) && !ScoresPass(market, scores))
        return false;

    // The book's runners that have rows, in book order.
    const QJsonArray runners = book.value(QLatin1String("runners")).toArray();
    QVector<QSelection*> selections;
    selections.reserve(runners.size());
    for (const QJsonValue& runner : runners) {
        QSelection* selection = market.Selection(JsonId(runner.toObject().value(QLatin1String("selectionId"))));
        if (!selection)
            continue;
        // A state met before the runner went would still count it.
        if (selection->IsWithdrawn())
            selection->SetMatchState(SelectionCondition::Fails);
        selections.append(selection);
    }
    if (!SelectionsPass(selections, active, teamSport))
        return false;

    const QJsonValue withOrders = filter.value(QLatin1String("withOrders"));
    const bool noBets = withOrders.isString() && withOrders.toString() == QLatin1String("NONE");
    int matching = 0;
    bool hasBets = false;
    for (const QSelection* selection : qAsConst(selections)) {
        matching += selection->MatchState() == SelectionCondition::Meets;
        hasBets = hasBets
            || selection->CellData(QSearcher::ColMatched, QSearcher::SortRole).toDouble()
                    + selection->CellData(QSearcher::ColUnmatched, QSearcher::SortRole).toDouble()
                > 0;
    }
    market.SetMatchingCount(matching);
    if (noBets && hasBets)
        return false;
    return NumbersPass(market, active, total);
}

bool BookConditions::ScoresPass(const QMarket& market, const Scores& scores) const
{
    const qint64 eventId = market.data(QSearcher::EventRole).toString().toLongLong(nullptr, 10);
    const auto found = scores.constFind(eventId);
    const int home = found == scores.cend() ? -1 : found->first;
    const int away = found == scores.cend() ? -1 : found->second;
    if (home < 0 || away < 0)
        return false;
    const QJsonValue homeScore = filter.value(QLatin1String("homeScore"));
    if (!homeScore.isUndefined() && !QSearcher::MatchNumber(homeScore.toObject(), home))
        return false;
    const QJsonValue awayScore = filter.value(QLatin1String("awayScore"));
    if (!awayScore.isUndefined() && !QSearcher::MatchNumber(awayScore.toObject(), away))
        return false;

    const QJsonValue draw = filter.value(QLatin1String("drawScore"));
    if (draw.isString())
        return (home == away) == (draw.toString() == QLatin1String("="));
    if (draw.isDouble()) {
        // As doubles: a lead asked for may be as large as an int goes, either way.
        const double lead = draw.toDouble();
        if (lead > 0)
            return double(home) - away >= lead;
        if (lead < 0)
            return double(away) - home >= -lead;
    }
    return true;
}

bool BookConditions::SelectionsPass(const QVector<QSelection*>& selections, int active, bool teamSport) const
{
    bool narrowed = false;
    for (const SelectionCondition& entry : entries) {
        int count = 0;
        for (QSelection* selection : selections) {
            if (selection->IsWithdrawn() || (narrowed && selection->MatchState() != SelectionCondition::Meets))
                continue;
            const SelectionCondition::Outcome outcome = TestSelection(entry, filter, *selection, teamSport);
            // "all" stores its outcomes too: the entry after it narrows by them.
            selection->SetMatchState(outcome);
            count += outcome == SelectionCondition::Meets;
        }
        const bool passes = entry.kind == SelectionCondition::Kind::All ? count == active : count > 0;
        if (!passes)
            return false;
        narrowed = true;
    }
    return true;
}

bool BookConditions::NumbersPass(const QMarket& market, int active, int total) const
{
    const int winners = market.data(QSearcher::WinnersRole).toInt();
    const struct
    {
        const char* key;
        double value;
    } counts[] = {
        { "numberOfSelections", double(active) },
        { "numberOfWithdrawns", double(total) - active },
        { "numberOfPlaces", double(winners) },
        { "volume", market.CellData(QSearcher::ColVolume, QSearcher::SortRole).toDouble() },
    };
    for (const auto& count : counts) {
        const QJsonValue condition = filter.value(QLatin1String(count.key));
        if (condition.isObject() && !QSearcher::MatchNumber(condition.toObject(), count.value))
            return false;
    }

    // The stored books are already divided by the number of winners; a book
    // below 0 is void (a runner without a price), and a market without
    // winners has none.
    for (const auto& [key, column] :
        { std::pair { "backBook", QSearcher::ColBackPrice }, std::pair { "layBook", QSearcher::ColLayPrice } }) {
        const QJsonValue condition = filter.value(QLatin1String(key));
        if (!condition.isObject())
            continue;
        const QVariant book = market.CellData(column, QSearcher::SortRole);
        if (winners <= 0 || !book.isValid() || book.toDouble() < 0
            || !QSearcher::MatchNumber(condition.toObject(), Percent(book.toDouble())))
            return false;
    }
    return true;
}
