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

const char* const AbortReasonProperty = "transferAbortReason";

void AbortFor(QNetworkReply* reply, const QString& reason)
{
    reply->setProperty(AbortReasonProperty, reason);
    reply->abort();
}

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
    if (reply->isFinished())
        return;
    // Nothing reads the body before the reply has finished, so what is
    // available is all that has come, inflated where Qt inflates it.
    // readyRead, unlike downloadProgress, is sent for every piece.
    connect(reply, &QNetworkReply::readyRead, reply, [reply] {
        if (reply->bytesAvailable() > MaxReplySize)
            AbortFor(reply, tr("The reply is larger than %1 MB").arg(MaxReplySize / (1024 * 1024)));
    });
    if (TransferTimeout <= 0)
        return;
    auto* watchdog = new QTimer(reply);
    watchdog->setSingleShot(true);
    const auto restart = [watchdog] { watchdog->start(TransferTimeout); };
    connect(reply, &QNetworkReply::downloadProgress, watchdog, restart);
    connect(reply, &QNetworkReply::uploadProgress, watchdog, restart);
    connect(reply, &QNetworkReply::finished, watchdog, &QTimer::stop);
    connect(watchdog, &QTimer::timeout, reply, [reply] { AbortFor(reply, tr("Transfer timed out")); });
    watchdog->start(TransferTimeout);
}

QString QNetwork::AbortReason(const QNetworkReply* reply)
{
    return reply->property(AbortReasonProperty).toString();
}

QString QNetwork::ErrorText(const QNetworkReply* reply)
{
    const QString limit = AbortReason(reply);
    return limit.isEmpty() ? reply->errorString() : limit;
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
    if (error == QNetworkReply::NoError) {
        emit request->finished(QMarkedRequest::Success, QString(), reply);
    } else if (error == QNetworkReply::OperationCanceledError && AbortReason(reply).isEmpty()) {
        emit request->finished(QMarkedRequest::Cancelled, tr("Cancelled"), nullptr);
    } else {
        emit request->finished(
            QMarkedRequest::Error, QStringLiteral("Network error: %1").arg(ErrorText(reply)), nullptr);
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

    // A small body may inflate without end.
    return Inflate::Bounded(reply->readAll(), Inflate::GzipOrZlib, MaxReplySize).value_or(QByteArray());
}
