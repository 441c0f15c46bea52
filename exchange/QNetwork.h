#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QString>

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

    // The most any exchange reply may hold, as it arrives and once inflated.
    // The largest a request can bring within the weight limits is a catalogue
    // with runner metadata: 100 markets of at most some 300 runners of about
    // 1 KB each, near 30 MB; a book with traded prices (8 markets of 300
    // runners, 350 price steps each) comes to some 25 MB. A body past twice
    // that is damaged or hostile.
    static constexpr qint64 MaxReplySize = 64 * 1024 * 1024;

    // The reply body, inflated when the server declared exactly "gzip" for a
    // request that asked for it itself.
    static QByteArray ReadReply(QNetworkReply* reply);

    // Makes the reply fail as a network error once no data has moved for
    // TransferTimeout milliseconds, so a hung server cannot stall its sender,
    // or once more than MaxReplySize bytes have come, whatever the server
    // declared.
    static void LimitTransfer(QNetworkReply* reply);
    static int TransferTimeout;
    // Why LimitTransfer aborted the reply, for the user; empty when it did not.
    static QString AbortReason(const QNetworkReply* reply);
    // Why a failed reply failed, for the user: the limit it passed, or Qt's text.
    static QString ErrorText(const QNetworkReply* reply);

public slots:
    void requestFinished(QNetworkReply* reply);
};
