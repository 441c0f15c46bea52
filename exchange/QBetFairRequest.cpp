#include "QBetFairRequest.h"

#include "QBetFair.h"
#include "QNetwork.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkReply>

QBetFairRequest::QBetFairRequest(
    const QString& url, const QString& key, const QString& contentType, const QVariant& something)
    : QMarkedRequest(url)
    , something(something)
{
    setHeader(QNetworkRequest::ContentTypeHeader, contentType);
    setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Quillory HTTP Client 2.0"));
    if (!key.isEmpty())
        setRawHeader("X-Application", key.toUtf8());
    // Only what QNetwork::ReadReply can decode.
    setRawHeader("Accept-Encoding", "gzip");
    setRawHeader("Connection", "keep-alive");
    if (url.contains(QLatin1String("/account/")))
        service = QStringLiteral("AccountAPING");
    else if (url.contains(QLatin1String("/betting/")))
        service = QStringLiteral("SportsAPING");
    if (!service.isEmpty())
        AddSessionToken();
    setRawHeader("Accept", "application/json");

    connect(this, &QMarkedRequest::finished, this, &QBetFairRequest::Finished);
}

void QBetFairRequest::Call(const QString& method, const QJsonObject& params)
{
    const QJsonObject envelope {
        { QStringLiteral("jsonrpc"), QStringLiteral("2.0") },
        { QStringLiteral("method"), QStringLiteral("%1/v1.0/%2").arg(service, method) },
        { QStringLiteral("params"), params },
    };
    Send(QJsonDocument(envelope).toJson(QJsonDocument::Indented));
}

void QBetFairRequest::Send(const QByteArray& body)
{
    QNetworkReply* reply = QMarkedRequest::Send(this, body);
    connect(this, &QBetFairRequest::Canceled, reply, &QNetworkReply::abort);
}

void QBetFairRequest::AddSessionToken()
{
    if (!QBetFair::SessionToken.isEmpty())
        setRawHeader("X-Authentication", QBetFair::SessionToken.toUtf8());
}

void QBetFairRequest::Finished(
    QMarkedRequest::QRequestResult result, const QString& error, QNetworkReply* reply)
{
    if (result != Success || !reply) {
        emit finished(result, error, QJsonObject(), something);
        return;
    }

    const QJsonDocument document = QJsonDocument::fromJson(QNetwork::ReadReply(reply));
    if (document.isObject()) {
        const QJsonObject object = document.object();
        const QString parsedError = QBetFair::ParseError(object);
        if (!parsedError.isEmpty()) {
            emit finished(Error, parsedError, QJsonObject(), something);
            return;
        }
        const QJsonValue payload = object.value(QLatin1String("result"));
        emit finished(Success, QString(), payload.isObject() ? payload.toObject() : object, something);
    } else if (document.isArray()) {
        emit finished(
            Success, QString(), QJsonObject { { QStringLiteral("result"), document.array() } }, something);
    } else {
        emit finished(Error, tr("Server response error"), QJsonObject(), something);
    }
}
