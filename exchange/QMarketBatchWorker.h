#pragma once

#include "QActionWorker.h"
#include "QBetFairRequest.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>

#include <functional>

// A worker that asks the betting service about a list of markets: one
// request per jurisdiction batch, at most three in flight, each reply's
// "result" array handed on as it arrives, and an empty Done once the last
// reply is in. The first failure ends the run: nothing is sent and nothing
// handed on after it.
class QMarketBatchWorker : public QActionWorker
{
    Q_OBJECT
    Q_DISABLE_COPY(QMarketBatchWorker)

public:
    using QActionWorker::Done;

signals:
    // The "result" array of one successful reply, unchanged; an empty array
    // when the reply has none.
    void Done(const QJsonArray& data);

protected:
    explicit QMarketBatchWorker(QObject* parent);

    // Calls method once per batch of at most batchSize ids, with params and
    // the batch as "marketIds"; "1." ids go to the main exchange first.
    // Each request's finished signal goes to replySlot. Returns when every
    // batch is sent or the worker has ended, possibly while it waited for a
    // free request slot.
    template<class Worker>
    void SendBatches(const QStringList& marketIds, int batchSize, const QString& method,
        const QJsonObject& params,
        void (Worker::*replySlot)(
            QMarkedRequest::QRequestResult, const QString&, const QJsonObject&, const QVariant&))
    {
        sendBatches(marketIds, batchSize, method, params, [this, replySlot](QBetFairRequest* request) {
            connect(request, &QBetFairRequest::finished, static_cast<Worker*>(this), replySlot);
        });
    }

    // The handling of one reply, for the reply slot (after its Guard).
    void HandleBatchReply(
        QMarkedRequest::QRequestResult result, const QString& error, const QJsonObject& data);

private:
    void sendBatches(const QStringList& marketIds, int batchSize, const QString& method, QJsonObject params,
        const std::function<void(QBetFairRequest*)>& connectReply);
};
