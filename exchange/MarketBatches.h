#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Weight points one exchange request may carry; a request holds at most
// RequestWeightLimit / weight markets.
constexpr int RequestWeightLimit = 200;

constexpr int BatchSizeForWeight(int weightPerMarket)
{
    return RequestWeightLimit / weightPerMarket;
}

// The betting endpoint prefix of a market id: "api" for the main exchange
// ("1." ids), "api-au" for every other id, malformed and empty ones included.
QString JurisdictionOf(const QString& marketId);

struct MarketBatch
{
    QString prefix;
    QStringList marketIds;
};

// The ids grouped by jurisdiction and cut into batches of at most batchSize,
// in dispatch order: every "api" batch, then every "api-au" batch, each
// keeping the order the ids came in. Ids are sent as given: not validated,
// trimmed or made unique.
QList<MarketBatch> BatchByJurisdiction(const QStringList& marketIds, int batchSize);
