#include "RecordedRequest.h"

#include <QJsonDocument>
#include <QUrl>

QString RecordedRequest::path() const
{
    const int query = target.indexOf('?');
    return QUrl::fromPercentEncoding(query < 0 ? target : target.left(query));
}

QUrlQuery RecordedRequest::query() const
{
    const int query = target.indexOf('?');
    return query < 0 ? QUrlQuery() : QUrlQuery(QString::fromUtf8(target.mid(query + 1)));
}

QByteArray RecordedRequest::header(const QByteArray& name) const
{
    const QByteArray wanted = name.toLower();
    for (const auto& header : headers) {
        if (header.first.toLower() == wanted)
            return header.second;
    }
    return QByteArray();
}

bool RecordedRequest::hasHeader(const QByteArray& name) const
{
    return !header(name).isNull();
}

QList<QByteArray> RecordedRequest::headerNames() const
{
    QList<QByteArray> names;
    for (const auto& header : headers)
        names.append(header.first.toLower());
    return names;
}

QJsonObject RecordedRequest::json() const
{
    return QJsonDocument::fromJson(body).object();
}

QString RecordedRequest::rpcMethod() const
{
    return json().value(QLatin1String("method")).toString();
}
