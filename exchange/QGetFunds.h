#pragma once

#include "QActionWorker.h"

// Fetches the funds available to bet in the UK and the Australian wallet.
class QGetFunds : public QActionWorker
{
    Q_OBJECT
    Q_DISABLE_COPY(QGetFunds)

public:
    explicit QGetFunds(QObject* parent = nullptr);

signals:
    // One wallet, as the exchange names it in its reply; in the account currency.
    void FundsReceived(const QString& wallet, double funds);

public slots:
    void GetFundsFinished(QMarkedRequest::QRequestResult result, const QString& error,
        const QJsonObject& data, const QVariant& Something);
    void GetFunds();
};
