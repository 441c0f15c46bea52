#include "QGetFunds.h"

#include "QBetFairRequest.h"

QGetFunds::QGetFunds(QObject* parent)
    : QActionWorker(parent)
{
}

void QGetFunds::GetFunds()
{
    const Guard guard(this);
    for (const char* wallet : { "UK", "AUSTRALIAN" }) {
        if (IsEnded())
            return;
        QBetFairRequest* request = CreateJsonRequest(AccountUrl);
        if (!request)
            return;
        // Funds asked for a window that has gone need no answer.
        AbortOnCancel(request);
        connect(request, &QBetFairRequest::finished, this, &QGetFunds::GetFundsFinished);
        request->Call(QStringLiteral("getAccountFunds"),
            QJsonObject { { QStringLiteral("wallet"), QString::fromLatin1(wallet) } });
    }
}

void QGetFunds::GetFundsFinished(
    QMarkedRequest::QRequestResult result, const QString& error, const QJsonObject& data, const QVariant&)
{
    const Guard guard(this);
    if (!AcceptReply(result, error))
        return;
    emit FundsReceived(data.value(QLatin1String("wallet")).toString(),
        data.value(QLatin1String("availableToBetBalance")).toDouble(0.0));
    // A receiver may have run an event loop in which the worker ended.
    if (!IsEnded() && IsIdle())
        emit Done(QString());
}
