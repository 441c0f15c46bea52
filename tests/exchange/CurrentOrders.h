#pragma once

#include "QBetsGetter.h"
#include "RecordedRequest.h"
#include "ScriptedReply.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

// The exchange's current orders and cancel calls as tests script and read them.
namespace CurrentOrders {

const QString ListMethod = QStringLiteral("SportsAPING/v1.0/listCurrentOrders");
const QString CancelMethod = QStringLiteral("SportsAPING/v1.0/cancelOrders");

inline QJsonObject Order(const QString& marketId, const QString& betId, const QJsonValue& selectionId,
    const QString& side = QStringLiteral("BACK"), const QString& status = QStringLiteral("EXECUTABLE"))
{
    return QJsonObject { { "marketId", marketId }, { "betId", betId }, { "selectionId", selectionId },
        { "side", side }, { "status", status }, { "sizeMatched", 0 }, { "priceSize",
            QJsonObject { { "price", 2.5 }, { "size", 4 } } } };
}

inline ScriptedReply Page(const QJsonArray& orders, bool moreAvailable = false)
{
    return ScriptedReply::rpcResult(
        QJsonObject { { "currentOrders", orders }, { "moreAvailable", moreAvailable } });
}

// "1.1/b1:47972:B:U": market, bet, selection, back or lay, matched or unmatched.
inline QString Describe(const QBetsGetter::QBet& bet)
{
    return QStringLiteral("%1/%2:%3:%4:%5")
        .arg(bet.marketId, bet.betId, QString::number(bet.selectionId), bet.back ? "B" : "L",
            bet.matched ? "M" : "U");
}

// Markets in key order, each market's bets in the order they came.
inline QStringList Describe(const QHash<QString, QList<QBetsGetter::QBet>>& bets)
{
    QStringList markets = bets.keys();
    markets.sort();
    QStringList described;
    for (const QString& market : markets) {
        for (const QBetsGetter::QBet& bet : bets.value(market))
            described << Describe(bet);
    }
    return described;
}

inline QJsonObject Params(const RecordedRequest& request)
{
    return request.json().value(QLatin1String("params")).toObject();
}

// "api" or "api-au", from the betting path "/<prefix>/exchange/...".
inline QString Prefix(const RecordedRequest& request)
{
    return request.path().section(QLatin1Char('/'), 1, 1);
}

inline QStringList Strings(const QJsonValue& array)
{
    QStringList strings;
    for (const QJsonValue& value : array.toArray())
        strings << value.toString();
    return strings;
}

// The server's requests of one JSON-RPC method, in order of arrival.
inline QList<RecordedRequest> Calls(const QList<RecordedRequest>& requests, const QString& method)
{
    QList<RecordedRequest> calls;
    for (const RecordedRequest& request : requests) {
        if (request.rpcMethod() == method)
            calls << request;
    }
    return calls;
}

} // namespace CurrentOrders
