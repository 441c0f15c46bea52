#pragma once

#include <QByteArray>
#include <QNetworkRequest>
#include <QObject>
#include <QString>

class QNetworkReply;

// A network request that receives its own outcome. It names itself as the
// request's originating object, so the shared QNetwork can route the reply
// back to it; both are deleted once the outcome has been delivered.
class QMarkedRequest : public QObject, public QNetworkRequest
{
    Q_OBJECT
    Q_DISABLE_COPY(QMarkedRequest)

public:
    enum QRequestResult { Success = 0, Error = 1, Cancelled = 2 };
    Q_ENUM(QRequestResult)

    // The URL is parsed leniently. Made without a parent: it deletes itself.
    explicit QMarkedRequest(const QString& url);

    // GET when body is null, POST otherwise (an empty body is still POSTed).
    // The reply may be connected to, but not kept beyond finished().
    static QNetworkReply* Send(QMarkedRequest* request, const QByteArray& body);

signals:
    // The reply is passed only with Success, and lives only during the call.
    void finished(QMarkedRequest::QRequestResult result, const QString& error = QString(),
        QNetworkReply* reply = nullptr);
    // Emitted before finished(), whatever the outcome.
    void finishedOrCancelled();
};
