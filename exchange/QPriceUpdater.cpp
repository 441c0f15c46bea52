#include "QPriceUpdater.h"

#include "MarketBatches.h"

namespace {

// Request weight per market of each kind of price data.
const int BestOffersWeight = 5;
const int TradedWeight = 17;
const int StartingPriceWeight = 3;

} // namespace

QPriceUpdater::QPriceUpdater(QObject* parent)
    : QMarketBatchWorker(parent)
{
}

void QPriceUpdater::UpdatePrices(const QStringList& marketIDs, bool SP, bool traded, bool, bool)
{
    const Guard guard(this);
    if (IsEnded())
        return;

    QJsonArray priceData { QStringLiteral("EX_BEST_OFFERS") };
    int weight = BestOffersWeight;
    if (traded) {
        priceData.append(QStringLiteral("EX_TRADED"));
        weight += TradedWeight;
    }
    if (SP) {
        priceData.append(QStringLiteral("SP_AVAILABLE"));
        weight += StartingPriceWeight;
    }
    const QJsonObject params {
        { QStringLiteral("priceProjection"),
            QJsonObject {
                { QStringLiteral("priceData"), priceData },
                { QStringLiteral("virtualise"), true },
                { QStringLiteral("exBestOffersOverrides"),
                    QJsonObject { { QStringLiteral("bestPricesDepth"), 1 } } },
            } },
        { QStringLiteral("orderProjection"), QStringLiteral("ALL") },
    };

    SendBatches(marketIDs, BatchSizeForWeight(weight), QStringLiteral("listMarketBook"), params,
        &QPriceUpdater::UpdatePricesFinished);
    // Still pending when anything was sent: only an empty list gets here idle.
    if (!IsEnded() && IsIdle())
        emit Done(tr("Nothing to update"));
}

void QPriceUpdater::UpdatePricesFinished(
    QMarkedRequest::QRequestResult result, const QString& error, const QJsonObject& data, const QVariant&)
{
    const Guard guard(this);
    HandleBatchReply(result, error, data);
}
