#include "QMarketBatchWorker.h"

#include "MarketBatches.h"

QMarketBatchWorker::QMarketBatchWorker(QObject* parent)
    : QActionWorker(parent)
{
}

void QMarketBatchWorker::sendBatches(const QStringList& marketIds, int batchSize, const QString& method,
    QJsonObject params, const std::function<void(QBetFairRequest*)>& connectReply)
{
    const Guard guard(this);
    for (const MarketBatch& batch : BatchByJurisdiction(marketIds, batchSize)) {
        // Null once a failed reply or a cancel has ended the worker, also
        // one handled while this waited for a free slot: the batches left
        // would only bring results nobody awaits any more.
        QBetFairRequest* request = CreateCancellableBettingRequest(batch.prefix);
        if (!request)
            return;
        params.insert(QStringLiteral("marketIds"), QJsonArray::fromStringList(batch.marketIds));
        connectReply(request);
        request->Call(method, params);
    }
}

void QMarketBatchWorker::HandleBatchReply(
    QMarkedRequest::QRequestResult result, const QString& error, const QJsonObject& data)
{
    const Guard guard(this);
    if (!AcceptReply(result, error))
        return;
    emit Done(data.value(QLatin1String("result")).toArray());
    // A receiver may have run an event loop in which the worker ended.
    if (!IsEnded() && IsIdle())
        emit Done(QString());
}
