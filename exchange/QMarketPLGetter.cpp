#include "QMarketPLGetter.h"

#include "MarketBatches.h"

namespace {

// Request weight of one market's profit and loss.
const int MarketWeight = 4;

} // namespace

QMarketPLGetter::QMarketPLGetter(QObject* parent)
    : QMarketBatchWorker(parent)
{
}

void QMarketPLGetter::GetPL(const QStringList& marketIDs)
{
    const Guard guard(this);
    if (IsEnded())
        return;

    const QJsonObject params { { QStringLiteral("netOfCommission"), true } };
    SendBatches(marketIDs, BatchSizeForWeight(MarketWeight), QStringLiteral("listMarketProfitAndLoss"),
        params, &QMarketPLGetter::GetPLFinished);
    // No markets, no profit and loss: a success with nothing to hand on.
    if (!IsEnded() && IsIdle())
        emit Done(QString());
}

void QMarketPLGetter::GetPLFinished(
    QMarkedRequest::QRequestResult result, const QString& error, const QJsonObject& data, const QVariant&)
{
    const Guard guard(this);
    HandleBatchReply(result, error, data);
}
