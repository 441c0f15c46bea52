#include "QBetsGetter.h"

#include "JsonIds.h"
#include "MarketBatches.h"
#include "QBetFairRequest.h"

#include <QJsonArray>

namespace {

QString OrderProjection(bool matched, bool unmatched)
{
    if (matched && unmatched)
        return QStringLiteral("ALL");
    return matched ? QStringLiteral("EXECUTION_COMPLETE") : QStringLiteral("EXECUTABLE");
}

QBetsGetter::QBet ReadBet(const QJsonObject& order)
{
    QBetsGetter::QBet bet;
    bet.matched = order.value(QLatin1String("status")).toString() == QLatin1String("EXECUTION_COMPLETE");
    bet.betId = order.value(QLatin1String("betId")).toString();
    bet.back = order.value(QLatin1String("side")).toString() == QLatin1String("BACK");
    bet.marketId = order.value(QLatin1String("marketId")).toString();
    bet.selectionId = JsonId(order.value(QLatin1String("selectionId")));
    return bet;
}

} // namespace

QBetsGetter::QBetsGetter(QObject* parent)
    : QActionWorker(parent)
{
    // For queued connections and signal spies.
    qRegisterMetaType<QHash<QString, QList<QBetsGetter::QBet>>>();
    // The orders end the worker as an error text would; connected first, so
    // it counts as ended before any receiver runs.
    connect(this, QOverload<const QHash<QString, QList<QBet>>&>::of(&QBetsGetter::Done), this,
        [this] { end(); });
}

void QBetsGetter::GetBets(const QStringList& marketIDs, bool matched, bool unmatched)
{
    const Guard guard(this);
    if (IsEnded())
        return;
    if (marketIDs.isEmpty()) {
        emit Done(tr("No bets"));
        return;
    }
    QJsonObject params { { QStringLiteral("orderProjection"), OrderProjection(matched, unmatched) } };
    for (const MarketBatch& batch : BatchByJurisdiction(marketIDs, MarketsPerRequest)) {
        params.insert(QStringLiteral("marketIds"), QJsonArray::fromStringList(batch.marketIds));
        if (!send(params, 0))
            return;
    }
}

// The parameters and the page's number ride along as the request's tag, so
// that a reply with more orders to come can ask for the next page of the
// same markets.
bool QBetsGetter::send(const QJsonObject& params, int page)
{
    const QString marketId = params.value(QLatin1String("marketIds")).toArray().first().toString();
    QBetFairRequest* request
        = CreateJsonRequest(BettingUrl.arg(JurisdictionOf(marketId)), QVariantList { params, page });
    if (!request)
        return false;
    connect(request, &QBetFairRequest::finished, this, &QBetsGetter::GetBetsFinished);
    request->Call(QStringLiteral("listCurrentOrders"), params);
    return true;
}

void QBetsGetter::GetBetsFinished(
    QMarkedRequest::QRequestResult result, const QString& error, const QJsonObject& data, const QVariant& Something)
{
    const Guard guard(this);
    if (!AcceptReply(result, error))
        return;
    const QJsonArray orders = data.value(QLatin1String("currentOrders")).toArray();
    for (const QJsonValue& order : orders) {
        const QBet bet = ReadBet(order.toObject());
        bets[bet.marketId].append(bet);
        ++count;
    }

    if (data.value(QLatin1String("moreAvailable")).toBool()) {
        const QVariantList tag = Something.toList();
        const int next = tag.value(1).toInt() + 1;
        // A page that claims more but brings nothing, or a server that never
        // runs out, would be asked for ever.
        if (orders.isEmpty() || next >= MaxPagesPerBatch) {
            emit Done(QBetFairRequest::tr("Server response error"));
            return;
        }
        QJsonObject params = tag.value(0).toJsonObject();
        params.insert(QStringLiteral("fromRecord"),
            params.value(QLatin1String("fromRecord")).toInt() + orders.size());
        if (!send(params, next))
            return;
    }

    if (!IsIdle())
        return;
    if (count < 1)
        emit Done(tr("No bets"));
    else
        emit Done(bets);
}
