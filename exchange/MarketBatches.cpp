#include "MarketBatches.h"

#include "QBetFair.h"

QString JurisdictionOf(const QString& marketId)
{
    return marketId.startsWith(QLatin1String("1.")) ? QBetFair::EndpointPrefixes.value(0)
                                                     : QBetFair::EndpointPrefixes.value(1);
}

QList<MarketBatch> BatchByJurisdiction(const QStringList& marketIds, int batchSize)
{
    QList<MarketBatch> batches;
    if (batchSize < 1)
        return batches;
    for (const QString& prefix : qAsConst(QBetFair::EndpointPrefixes)) {
        MarketBatch* open = nullptr;
        for (const QString& id : marketIds) {
            if (JurisdictionOf(id) != prefix)
                continue;
            if (!open || open->marketIds.size() >= batchSize) {
                batches.append(MarketBatch { prefix, {} });
                open = &batches.last();
            }
            open->marketIds.append(id);
        }
    }
    return batches;
}
