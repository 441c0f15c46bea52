#pragma once

#include "QMarketBatchWorker.h"

// Fetches the user's profit and loss per selection, net of commission, for
// a list of markets. Each reply's entries come with Done(QJsonArray), as the
// replies arrive.
class QMarketPLGetter : public QMarketBatchWorker
{
    Q_OBJECT
    Q_DISABLE_COPY(QMarketPLGetter)

public:
    explicit QMarketPLGetter(QObject* parent = nullptr);

public slots:
    void GetPLFinished(QMarkedRequest::QRequestResult result, const QString& error, const QJsonObject& data,
        const QVariant& Something);
    void GetPL(const QStringList& marketIDs);
};
