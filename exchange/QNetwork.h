#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>

class QNetworkReply;

// The network manager behind every exchange request. Replies of marked
// requests are reported through the request's own signals; any other reply
// is only deleted.
class QNetwork : public QNetworkAccessManager
{
    Q_OBJECT
    Q_DISABLE_COPY(QNetwork)

public:
    explicit QNetwork(QObject* parent = nullptr);

    // The shared manager, made on first use. It is deleted, together with the
    // requests still in flight, when the application object goes away.
    static QNetwork* Shared();

    // The reply body, inflated when the server declared exactly "gzip" for a
    // request that asked for it itself.
    static QByteArray ReadReply(QNetworkReply* reply);

    // Makes the reply fail as a network error once no data has moved for
    // TransferTimeout milliseconds, so a hung server cannot stall its sender.
    static void LimitTransfer(QNetworkReply* reply);
    static int TransferTimeout;
    // Whether LimitTransfer aborted the reply.
    static bool TimedOut(const QNetworkReply* reply);

public slots:
    void requestFinished(QNetworkReply* reply);
};
