#pragma once

// Only for tests that link tw_exchange: the betting service's JSON-RPC calls
// as a local test server sees them.

#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "QBetFair.h"

#include <QJsonObject>
#include <QStringList>

// The "params" of a JSON-RPC call.
inline QJsonObject Params(const RecordedRequest& request)
{
    return request.json().value("params").toObject();
}

// Answers the betting service's methods (e.g. "listMarketBook") at every
// jurisdiction's endpoint.
inline void AnswerBetting(
    HttpTestServer& server, const QStringList& methods, const HttpTestServer::Handler& handler)
{
    for (const QString& prefix : QBetFair::EndpointPrefixes) {
        for (const QString& method : methods)
            server.setRpcHandler(LocalExchange::bettingPath(prefix), "SportsAPING/v1.0/" + method, handler);
    }
}
