#pragma once

#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "QSearchWorker.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QtTest>

// How the readers of the search filter take it: the market search worker,
// which sends the exchange only the market-filter keys in the forms it knows
// and silently leaves out any other form, and the results view's matching of
// numbers against a NumberCondition. Built filters are checked against
// these, so that a condition means to its reader what it meant to the user.
namespace FilterReaders {

inline QString Text(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

inline QJsonObject Json(const char* text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray(text), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        qFatal("Bad JSON in a test table: %s", text);
    return document.object();
}

// The market filter the search worker sends the exchange for a search with
// this filter: its time-range request to a local exchange that finds no
// markets. Empty when the search did not get that far.
inline QJsonObject SentMarketFilter(HttpTestServer& server, const QJsonObject& filter)
{
    const QString timeRanges = QStringLiteral("SportsAPING/v1.0/listTimeRanges");
    for (const char* prefix : { "api", "api-au" }) {
        server.setRpcReply(LocalExchange::bettingPath(QLatin1String(prefix)), timeRanges,
            ScriptedReply::rpcResult(QJsonArray()));
    }
    server.clearRequests();
    const QPointer<QSearchWorker> worker = new QSearchWorker(filter);
    worker->Search();
    if (!QTest::qWaitFor([&] { return worker.isNull(); }, 20000))
        return {};
    for (const RecordedRequest& request : server.requests()) {
        if (request.rpcMethod() == timeRanges)
            return request.json()
                .value(QLatin1String("params"))
                .toObject()
                .value(QLatin1String("filter"))
                .toObject();
    }
    return {};
}

// What the rows of a filter ask the exchange for: each market-filter key as
// the rows wrote it. "NONE" (markets without bets) is no list of order
// statuses; the results view applies it.
inline QJsonObject MeantMarketFilter(const QJsonObject& filter)
{
    QJsonObject meant { { QStringLiteral("marketBettingTypes"), QJsonArray { QStringLiteral("ODDS") } } };
    for (const char* key : { "eventTypeIds", "marketCountries", "marketTypeCodes", "inPlayOnly", "bspOnly",
             "turnInPlayEnabled", "withOrders", "marketStartTime" }) {
        const QJsonValue value = filter.value(QLatin1String(key));
        if (!value.isUndefined() && value != QJsonValue(QStringLiteral("NONE")))
            meant.insert(QLatin1String(key), value);
    }
    return meant;
}

// Whether value meets a NumberCondition as the results view matches it:
// a list by exact equality, a range inclusive of its bounds, and an inverted
// range strictly outside them.
inline bool MatchNumber(const QJsonObject& condition, double value)
{
    const bool invert = condition.value(QLatin1String("invert")).toBool();
    const QJsonValue list = condition.value(QLatin1String("list"));
    if (list.isArray()) {
        bool found = false;
        for (const QJsonValue& item : list.toArray())
            found = found || (item.isDouble() && item.toDouble() == value);
        return found != invert;
    }
    const double from = condition.value(QLatin1String("from")).toDouble();
    const double to = condition.value(QLatin1String("to")).toDouble();
    return invert ? value < from || value > to : from <= value && value <= to;
}

} // namespace FilterReaders

#define COMPARE_JSON(actual, expected)                                                                       \
    do {                                                                                                     \
        const QJsonObject actual_ = (actual);                                                                \
        const QJsonObject expected_ = (expected);                                                            \
        if (actual_ != expected_)                                                                            \
            QFAIL(qPrintable(QStringLiteral("JSON differs\n   Actual: %1\n Expected: %2")                    \
                                 .arg(FilterReaders::Text(actual_), FilterReaders::Text(expected_))));       \
    } while (false)
