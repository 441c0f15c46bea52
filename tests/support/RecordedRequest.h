#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrlQuery>

// One request as the local test server received it.
struct RecordedRequest
{
    QByteArray method;
    // The request target as sent: path and query, still percent-encoded.
    QByteArray target;
    // In the order received, names spelt as sent.
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    // Serial number of the TCP connection it came on, from 1.
    int connection = 0;

    // Percent-decoded, without the query.
    QString path() const;
    QUrlQuery query() const;
    // Header names match without regard to case; a missing header is null.
    QByteArray header(const QByteArray& name) const;
    bool hasHeader(const QByteArray& name) const;
    // Lower-case names of every header received.
    QList<QByteArray> headerNames() const;
    // The body as a JSON object; empty when it is not one.
    QJsonObject json() const;
    // The "method" member of a JSON-RPC body; empty when there is none.
    QString rpcMethod() const;
};
