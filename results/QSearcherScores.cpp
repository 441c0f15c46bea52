#include "QSearcher.h"

#include "JsonIds.h"
#include "QLog.h"
#include "QMarket.h"
#include "QMarketPLGetter.h"
#include "QScoresWorker.h"

#include <QPointer>

// In-play scores: fetched before a search whose template asks for them (the
// events in play narrow the search), and again after every price pass whose
// rows include a sport with scores. Profit and loss: asked for after a price
// pass for the markets that hold orders; the pass ends when it is in.

void QSearcher::StartScores(bool beforeSearch)
{
    auto* worker = new QScoresWorker;
    if (beforeSearch) {
        EnterStage(Stage::Scores);
        ConnectStep(worker, qOverload<const QJsonArray&>(&QScoresWorker::Done), &QSearcher::handleScores);
        ConnectStep(worker, qOverload<const QString&>(&QActionWorker::Done), &QSearcher::ScoresDone);
    } else {
        // Beside the road: nothing waits for it, and it may end after the pass.
        ConnectPass(worker, qOverload<const QJsonArray&>(&QScoresWorker::Done), &QSearcher::handleScores);
        ConnectPass(worker, qOverload<const QString&>(&QActionWorker::Done), &QSearcher::updateScoresToMarkets);
    }
    QList<int> sports = ScoreSports;
    if (!beforeSearch) {
        sports.clear();
        for (int row = 0; row < Count(); ++row) {
            const QMarket* market = Market(row);
            if (market && ScoreSports.contains(market->EventTypeId()) && !sports.contains(market->EventTypeId()))
                sports.append(market->EventTypeId());
        }
    }
    Launch(worker, [scores = QPointer<QScoresWorker>(worker), sports] {
        if (scores)
            scores->GetScores(sports);
    });
}

void QSearcher::handleScores(const QJsonArray& v)
{
    // Built from the reply and only then put in place: a refresh that fails
    // leaves the scores of the last one, which the book tests still use.
    QHash<qint64, QPair<int, int>> scores;
    QHash<qint64, int> minutes;
    for (const QJsonValue& entry : v) {
        const QJsonObject state = entry.toObject().value(QLatin1String("state")).toObject();
        const qint64 id = JsonId(state.value(QLatin1String("eventId")));
        const QJsonObject score = state.value(QLatin1String("score")).toObject();
        const auto goals = [&score](const char* side) {
            return score.value(QLatin1String(side)).toObject().value(QLatin1String("score")).toString().toInt(nullptr, 10);
        };
        scores.insert(id, { goals("home"), goals("away") });
        minutes.insert(id, state.value(QLatin1String("elapsedRegularTime")).toInt());
    }
    eventScores.swap(scores);
    eventMinutes.swap(minutes);
}

void QSearcher::ScoresDone(const QString& error)
{
    if (!error.isEmpty()) {
        SearchDone(error);
        return;
    }
    LogInfo(tr("Got the scores for %n event(s).", nullptr, eventScores.size()));
    const QJsonValue minute = searchData.value(QLatin1String("minute"));
    QJsonArray events;
    for (auto event = eventScores.cbegin(); event != eventScores.cend(); ++event) {
        const auto played = eventMinutes.constFind(event.key());
        if (!minute.isUndefined() && played != eventMinutes.cend()
            && !MatchNumber(minute.toObject(), double(played.value())))
            continue;
        events.append(QJsonValue(event.key()));
    }
    if (events.isEmpty()) {
        SearchDone(QString());
        return;
    }
    searchData.insert(QStringLiteral("eventIds"), events);
    startSearching();
}

void QSearcher::updateScoresToMarkets(const QString&)
{
    for (int row = 0; row < Count(); ++row) {
        QMarket* market = Market(row);
        if (!market)
            continue;
        const qint64 id = market->data(EventRole).toString().toLongLong(nullptr, 10);
        const auto score = eventScores.constFind(id);
        if (score != eventScores.cend())
            market->SetScores(score->first, score->second, eventMinutes.value(id, -1));
    }
}

bool QSearcher::FollowPrices()
{
    QStringList withOrders;
    bool scoredSport = false;
    for (int row = 0; row < Count(); ++row) {
        const QMarket* market = Market(row);
        if (!market)
            continue;
        if (market->HasOrders())
            withOrders << market->data(Qt::WhatsThisRole).toString();
        scoredSport = scoredSport || ScoreSports.contains(market->EventTypeId());
    }
    // The scores fetched before the search are shown at its end; otherwise
    // they are fetched again, beside the rest of the pass.
    if (updating || !searchData.contains(QLatin1String("scores"))) {
        if (scoredSport)
            StartScores(false);
    }
    if (withOrders.isEmpty())
        return false;
    if (!updating)
        LogInfo(tr("Retreiving P/L for %n market(s)", nullptr, withOrders.size()));
    GetPL(withOrders);
    return true;
}

void QSearcher::GetPL(const QStringList& markets)
{
    EnterStage(Stage::ProfitAndLoss);
    auto* worker = new QMarketPLGetter;
    ConnectStep(worker, qOverload<const QJsonArray&>(&QMarketBatchWorker::Done), &QSearcher::handleGetPL);
    ConnectStep(worker, qOverload<const QString&>(&QActionWorker::Done), &QSearcher::getPLDone);
    Launch(worker, [getter = QPointer<QMarketPLGetter>(worker), markets] {
        if (getter)
            getter->GetPL(markets);
    });
}

void QSearcher::handleGetPL(const QJsonArray& v)
{
    for (const QJsonValue& entry : v) {
        const QJsonObject marketPL = entry.toObject();
        if (QMarket* market = MarketById(marketPL.value(QLatin1String("marketId")).toString()))
            market->SetPL(marketPL);
    }
}

void QSearcher::getPLDone(const QString& error)
{
    if (!error.isEmpty()) {
        SearchError(error);
        return;
    }
    showUpdateResults();
    EndPass(Count());
}
