#pragma once

#include "QMarketBatchWorker.h"

// Fetches the market books (best prices, and on request traded volumes and
// starting prices, with all of the user's orders) of a list of markets.
// Each reply's books come with Done(QJsonArray), as the replies arrive.
class QPriceUpdater : public QMarketBatchWorker
{
    Q_OBJECT
    Q_DISABLE_COPY(QPriceUpdater)

public:
    explicit QPriceUpdater(QObject* parent = nullptr);

public slots:
    void UpdatePricesFinished(QMarkedRequest::QRequestResult result, const QString& error,
        const QJsonObject& data, const QVariant& something);
    // matched and unmatched are accepted for the callers' sake: every
    // request asks for all of the user's orders.
    void UpdatePrices(const QStringList& marketIDs, bool SP, bool traded, bool matched, bool unmatched);
};
