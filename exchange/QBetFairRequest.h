#pragma once

#include "QMarkedRequest.h"

#include <QJsonObject>
#include <QVariant>

// One exchange request: the exchange's headers, the JSON-RPC envelope, and a
// reply turned into a result object or an error text. Made only by
// QBetFair::CreateRequest.
class QBetFairRequest : public QMarkedRequest
{
    Q_OBJECT
    Q_DISABLE_COPY(QBetFairRequest)

public:
    QBetFairRequest(
        const QString& url, const QString& key, const QString& contentType, const QVariant& something);

    // Posts a JSON-RPC 2.0 call of "<service>/v1.0/<method>".
    void Call(const QString& method, const QJsonObject& params);
    // Sends the body unchanged: GET when it is null, POST otherwise.
    void Send(const QByteArray& body);
    // Names the current session in "X-Authentication", when there is one.
    // The betting and account calls carry it by themselves; of the identity
    // calls, keepAlive and logout need it.
    void AddSessionToken();

signals:
    // reply is empty on failure; something is the tag given at creation.
    void finished(QMarkedRequest::QRequestResult result, const QString& error, const QJsonObject& reply,
        const QVariant& something);
    // Aborts the reply; workers connect their cancel signal to it.
    void Canceled();

public slots:
    void Finished(QMarkedRequest::QRequestResult result, const QString& error, QNetworkReply* reply);

private:
    QVariant something;
    QString service;
};
