#include "SiteDownload.h"

#include "ProductSite.h"
#include "ProgramVersion.h"
#include "QLog.h"

#include <QNetworkReply>

namespace {

const int HttpOk = 200;
// Background downloads are catalogs and a templates archive: small files.
// One that stalls or grows without end is given up.
const int TransferTimeoutMs = 60 * 1000;
const qint64 MaxBackgroundSize = 16 * 1024 * 1024;

QString GivenUp()
{
    return SiteDownload::tr("The download stalled or grew too large and was given up.");
}

} // namespace

QUrl SiteDownload::Address(const QString& translated, const QString& name)
{
    return QUrl(ProductSite::Address(translated,
        { QString::number(ProgramVersion::Major), QString::number(ProgramVersion::Minor),
            QString::number(ProgramVersion::Release), name }));
}

bool SiteDownload::IsSecure(const QUrl& url)
{
    return url.isValid() && url.scheme() == QLatin1String("https") && !url.host().isEmpty();
}

QNetworkRequest SiteDownload::Request(const QUrl& url)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    return request;
}

QString SiteDownload::Failure(const QNetworkReply* reply)
{
    if (reply->error() == QNetworkReply::OperationCanceledError)
        return GivenUp();
    if (reply->error() != QNetworkReply::NoError)
        return reply->errorString();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != HttpOk)
        return tr("The server did not send the file (HTTP status %1).").arg(status);
    return QString();
}

QNetworkAccessManager* SiteDownload::Get(const QUrl& url)
{
    // What arrives is written into the user's data folder: only TLS vouches
    // for where it came from.
    if (!IsSecure(url)) {
        QLog::Write(QLog::QLogType::Error, tr("The download address is not secure: %1").arg(url.toDisplayString()));
        return nullptr;
    }
    auto* manager = new QNetworkAccessManager;
    QNetworkRequest request = Request(url);
    request.setTransferTimeout(TransferTimeoutMs);
    QNetworkReply* reply = manager->get(request);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > MaxBackgroundSize)
            reply->abort();
    });
    QObject::connect(reply, &QObject::destroyed, manager, &QObject::deleteLater);
    // Released even when its receiver has gone meanwhile.
    QObject::connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
    return manager;
}

bool SiteDownload::Received(QNetworkReply* reply, QByteArray* body)
{
    if (!reply)
        return false;
    reply->deleteLater();
    QString failure = Failure(reply);
    // The last bytes may have come with the end of the transfer, past the
    // progress check.
    if (failure.isEmpty() && reply->bytesAvailable() > MaxBackgroundSize)
        failure = GivenUp();
    if (!failure.isEmpty()) {
        QLog::Write(QLog::QLogType::Error, failure);
        return false;
    }
    *body = reply->readAll();
    return true;
}
