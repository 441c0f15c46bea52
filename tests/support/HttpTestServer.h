#pragma once

#include "ScriptedReply.h"

#include <QByteArray>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QMutex>
#include <QPair>
#include <QSslCertificate>
#include <QSslKey>
#include <QString>
#include <QUrl>
#include <QUrlQuery>

#include <functional>
#include <memory>
#include <optional>

class QThread;

// One request as the local test server received it.
struct RecordedRequest
{
    QByteArray method;
    // Path and query as sent, still percent-encoded.
    QByteArray target;
    // In the order received, names spelt as sent.
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;

    // Percent-decoded, without the query.
    QString path() const { return QUrl::fromPercentEncoding(target.split('?').first()); }
    QUrlQuery query() const { return QUrlQuery(QUrl::fromEncoded(target)); }
    // Names match without regard to case; a missing header is null.
    QByteArray header(const QByteArray& name) const;
    bool hasHeader(const QByteArray& name) const { return !header(name).isNull(); }
    // The body as a JSON object; empty when it is not one.
    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
    // The "method" member of a JSON-RPC body; empty when there is none.
    QString rpcMethod() const { return json().value(QLatin1String("method")).toString(); }
};

// A local HTTP/1.1 server for tests, on a thread of its own (it keeps
// answering while the test waits in a nested loop), listening on 127.0.0.1
// only, on a port the system picks.
//
// Every request is recorded and answered by a script, looked up in order:
// the route of (path, JSON-RPC "method") for a POST with such a body; the
// route of (method, path); the fallback reply (404 unless set). Within a
// route: the next queued reply, else the handler, else the set reply. Paths
// match exactly, without the query.
//
// Answers on one keep-alive connection go out in the order of the requests:
// a held answer keeps back the later ones on its connection.
//
// Members may be called from the test's thread at any time. Handlers run on
// the server's thread: they may only use their argument and what they own.
class HttpTestServer
{
public:
    using Handler = std::function<ScriptedReply(const RecordedRequest&)>;

    HttpTestServer();
    // HTTPS with the given identity (plain HTTP when it is null).
    HttpTestServer(const QSslCertificate& certificate, const QSslKey& key);
    ~HttpTestServer();

    quint16 port() const { return listeningPort; }
    // "http://127.0.0.1:<port>" (https for TLS) followed by pathAndQuery.
    QString url(const QString& pathAndQuery = QString()) const;

    void setReply(const QByteArray& method, const QString& path, const ScriptedReply& reply)
    {
        locked([&] { routes[routeKey(method, path)].reply = reply; });
    }
    // Replies used once each, in order, before the handler or set reply.
    void enqueueReply(const QByteArray& method, const QString& path, const ScriptedReply& reply)
    {
        locked([&] { routes[routeKey(method, path)].queue.append(reply); });
    }
    void setHandler(const QByteArray& method, const QString& path, Handler handler)
    {
        locked([&] { routes[routeKey(method, path)].handler = std::move(handler); });
    }
    void setRpcReply(const QString& path, const QString& rpcMethod, const ScriptedReply& reply)
    {
        locked([&] { routes[routeKey("POST", path, rpcMethod)].reply = reply; });
    }
    void setRpcHandler(const QString& path, const QString& rpcMethod, Handler handler)
    {
        locked([&] { routes[routeKey("POST", path, rpcMethod)].handler = std::move(handler); });
    }
    void setFallbackReply(const ScriptedReply& reply) { locked([&] { fallback = reply; }); }

    // Complete requests received so far, in order of arrival.
    QList<RecordedRequest> requests() const { return locked([this] { return recorded; }); }
    int requestCount() const { return locked([this] { return recorded.size(); }); }
    // The latest request; an empty record when there is none.
    RecordedRequest lastRequest() const { return locked([this] { return recorded.value(recorded.size() - 1); }); }
    void clearRequests() { locked([this] { recorded.clear(); }); }
    // TCP (or TLS) connections accepted so far.
    int connectionCount() const { return locked([this] { return accepted; }); }

    // Answers kept back by ScriptedReply::held and not yet released.
    int heldCount() const { return locked([this] { return held; }); }
    // Lets the count oldest held answers go (all of them with -1).
    void release(int count = 1);
    void releaseAll() { release(-1); }

private:
    class Core;
    struct Route
    {
        QList<ScriptedReply> queue;
        Handler handler;
        std::optional<ScriptedReply> reply;
    };

    Q_DISABLE_COPY(HttpTestServer)

    template<typename Use>
    auto locked(Use use) const -> decltype(use())
    {
        QMutexLocker lock(&mutex);
        return use();
    }
    static QString routeKey(
        const QByteArray& method, const QString& path, const QString& rpcMethod = QString())
    {
        return QString::fromLatin1(method) + ' ' + path + '\n' + rpcMethod;
    }

    // What the server's thread shares with the test's, under the mutex.
    mutable QMutex mutex;
    QHash<QString, Route> routes;
    ScriptedReply fallback = ScriptedReply::error(404);
    QList<RecordedRequest> recorded;
    int held = 0;
    int accepted = 0;

    std::unique_ptr<QThread> thread;
    Core* core = nullptr;
    quint16 listeningPort = 0;
    bool secure = false;
};
