#include "QVersionChecker.h"

#include "ProductSite.h"
#include "QBetFairRequest.h"

#include <QUrl>

QVersionChecker::QVersionChecker(QObject* parent)
    : QActionWorker(parent)
{
    // Connected first, so the checker counts as ended before any receiver
    // runs; it is deleted once its own call has returned.
    connect(this, &QVersionChecker::Done, this, &QVersionChecker::end);
}

QString QVersionChecker::VersionFileUrl()
{
    //: %1 is the English web site, %2 the Russian one: each language names its own.
    return ProductSite::Address(tr("%1/version.json"));
}

void QVersionChecker::Check()
{
    const Guard guard(this);
    if (IsEnded())
        return;
    // The file decides which set-up program the user is offered: only TLS
    // keeps a party on the network from choosing it.
    const QString address = VersionFileUrl();
    if (QUrl(address, QUrl::TolerantMode).scheme() != QLatin1String("https")) {
        emit Done(tr("The version file's address is not secure: %1").arg(address), QJsonObject());
        return;
    }
    QBetFairRequest* request
        = CreateRequest(address, QString(), QStringLiteral("application/json"), QVariant());
    if (!request)
        return;
    // A check given up (its tab has gone) needs no answer.
    AbortOnCancel(request);
    connect(request, &QBetFairRequest::finished, this, &QVersionChecker::CheckFinished);
    request->Send(QByteArray());
}

void QVersionChecker::CheckFinished(
    QMarkedRequest::QRequestResult result, const QString& error, const QJsonObject& data, const QVariant&)
{
    const Guard guard(this);
    if (IsEnded())
        return;
    if (result == QMarkedRequest::Success)
        emit Done(QString(), data);
    else
        emit Done(error, QJsonObject());
}
