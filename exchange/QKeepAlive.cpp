#include "QKeepAlive.h"

#include "QBetFairRequest.h"

int QKeepAlive::IntervalMs = 15 * 60 * 1000;

QKeepAlive::QKeepAlive()
    : QActionWorker(nullptr, Lifetime::Persistent)
{
    timer.setSingleShot(false);
    timer.setInterval(IntervalMs);
    connect(&timer, &QTimer::timeout, this, &QKeepAlive::onTimer);
}

bool QKeepAlive::isActive() const
{
    return timer.isActive();
}

void QKeepAlive::start()
{
    timer.start(IntervalMs);
}

void QKeepAlive::stop()
{
    timer.stop();
}

void QKeepAlive::onTimer()
{
    const Guard guard(this);
    if (!IsSessionValid())
        return;
    QBetFairRequest* request = CreateJsonRequest(IdentityUrl.arg(QStringLiteral("keepAlive")));
    if (!request)
        return;
    request->AddSessionToken();
    connect(request, &QBetFairRequest::finished, this, &QKeepAlive::KeepAliveFinished);
    request->Send(QByteArray());
}

void QKeepAlive::KeepAliveFinished(
    QMarkedRequest::QRequestResult result, const QString&, const QJsonObject& data, const QVariant&)
{
    const Guard guard(this);
    if (result != QMarkedRequest::Success) {
        emit Done(tr("Network error"));
        return;
    }
    const QString status = data.value(QLatin1String("status")).toString();
    if (status == QLatin1String("SUCCESS"))
        return;
    // A reply without a status is no confirmation either.
    emit Done(status.isEmpty() ? QBetFairRequest::tr("Server response error") : status);
}
