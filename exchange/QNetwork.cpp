#include "QNetwork.h"

#include "Inflate.h"
#include "QMarkedRequest.h"

#include <QCoreApplication>
#include <QList>
#include <QNetworkReply>
#include <QTimer>

int QNetwork::TransferTimeout = 60000;

namespace {

QNetwork* sharedNetwork = nullptr;

const char* const TimedOutProperty = "transferTimedOut";

// Runs while the application object is destroyed: nothing can receive a
// reply any more, so the requests still in flight go with their manager.
void DeleteSharedNetwork()
{
    QNetwork* network = sharedNetwork;
    sharedNetwork = nullptr;
    if (!network)
        return;
    network->disconnect();
    QList<QObject*> requests;
    const QList<QNetworkReply*> replies = network->findChildren<QNetworkReply*>();
    for (QNetworkReply* reply : replies) {
        reply->disconnect();
        if (auto* request = qobject_cast<QMarkedRequest*>(reply->request().originatingObject()))
            requests.append(request);
    }
    delete network;
    qDeleteAll(requests);
}

} // namespace

QNetwork::QNetwork(QObject* parent)
    : QNetworkAccessManager(parent)
{
    connect(this, &QNetworkAccessManager::finished, this, &QNetwork::requestFinished);
}

QNetwork* QNetwork::Shared()
{
    if (!sharedNetwork) {
        sharedNetwork = new QNetwork(nullptr);
        qAddPostRoutine(DeleteSharedNetwork);
    }
    return sharedNetwork;
}

void QNetwork::LimitTransfer(QNetworkReply* reply)
{
    if (TransferTimeout <= 0 || reply->isFinished())
        return;
    auto* watchdog = new QTimer(reply);
    watchdog->setSingleShot(true);
    const auto restart = [watchdog] { watchdog->start(TransferTimeout); };
    connect(reply, &QNetworkReply::downloadProgress, watchdog, restart);
    connect(reply, &QNetworkReply::uploadProgress, watchdog, restart);
    connect(reply, &QNetworkReply::finished, watchdog, &QTimer::stop);
    connect(watchdog, &QTimer::timeout, reply, [reply] {
        reply->setProperty(TimedOutProperty, true);
        reply->abort();
    });
    watchdog->start(TransferTimeout);
}

bool QNetwork::TimedOut(const QNetworkReply* reply)
{
    return reply->property(TimedOutProperty).toBool();
}

void QNetwork::requestFinished(QNetworkReply* reply)
{
    auto* request = qobject_cast<QMarkedRequest*>(reply->request().originatingObject());
    if (!request) {
        reply->deleteLater();
        return;
    }

    emit request->finishedOrCancelled();
    const QNetworkReply::NetworkError error = reply->error();
    const bool timedOut = TimedOut(reply);
    if (error == QNetworkReply::NoError) {
        emit request->finished(QMarkedRequest::Success, QString(), reply);
    } else if (error == QNetworkReply::OperationCanceledError && !timedOut) {
        emit request->finished(QMarkedRequest::Cancelled, tr("Cancelled"), nullptr);
    } else {
        const QString reason = timedOut ? tr("Transfer timed out") : reply->errorString();
        emit request->finished(
            QMarkedRequest::Error, QStringLiteral("Network error: %1").arg(reason), nullptr);
    }
    request->deleteLater();
    reply->deleteLater();
}

QByteArray QNetwork::ReadReply(QNetworkReply* reply)
{
    // Without an Accept-Encoding of the request's own, Qt has already
    // inflated the body but kept the Content-Encoding header.
    if (reply->rawHeader("Content-Encoding") != "gzip" || !reply->request().hasRawHeader("Accept-Encoding"))
        return reply->readAll();

    // A small body may inflate without end; no real reply comes near this.
    constexpr qint64 MaxInflatedSize = 64 * 1024 * 1024;
    return Inflate::Bounded(reply->readAll(), Inflate::GzipOrZlib, MaxInflatedSize).value_or(QByteArray());
}
