#pragma once

#include "QActionWorker.h"

#include <QHash>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

// Lists the account's current orders on given markets, grouped by market.
// Ends with Done(orders) when it found any, otherwise with Done("No bets")
// or the error text of a failed request.
class QBetsGetter : public QActionWorker
{
    Q_OBJECT
    Q_DISABLE_COPY(QBetsGetter)

public:
    // One current order.
    struct QBet
    {
        // Fully matched ("EXECUTION_COMPLETE"); a bet with an unmatched part is not.
        bool matched = false;
        QString betId;
        bool back = false;
        QString marketId;
        qint64 selectionId = 0;
    };

    // Markets per listCurrentOrders request.
    static constexpr int MarketsPerRequest = 250;
    // Pages of orders asked for one batch of markets; no real account comes
    // near, a server that always has more would be asked for ever.
    static constexpr int MaxPagesPerBatch = 100;

    explicit QBetsGetter(QObject* parent = nullptr);

    using QActionWorker::Done;

signals:
    // Keyed by market id, each market's orders in the order they were read.
    void Done(const QHash<QString, QList<QBetsGetter::QBet>>& bets);

public slots:
    void GetBetsFinished(QMarkedRequest::QRequestResult result, const QString& error,
        const QJsonObject& data, const QVariant& Something);
    // matched and unmatched choose which orders are listed: both gives all of
    // them, neither the unmatched ones.
    void GetBets(const QStringList& marketIDs, bool matched, bool unmatched);

private:
    bool send(const QJsonObject& params, int page);

    int count = 0;
    QHash<QString, QList<QBetsGetter::QBet>> bets;
};

Q_DECLARE_METATYPE(QBetsGetter::QBet)
