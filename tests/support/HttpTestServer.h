#pragma once

#include "ScriptedReply.h"

#include <QHash>
#include <QJsonObject>
#include <QMutex>
#include <QSslCertificate>
#include <QSslKey>
#include <QUrlQuery>

#include <functional>
#include <memory>
#include <optional>

class QThread;

// One request as the local test server received it.
struct RecordedRequest
{
    QByteArray method;
    QByteArray target; // path and query as sent, still percent-encoded
    QList<QPair<QByteArray, QByteArray>> headers; // in order, names spelt as sent
    QByteArray body;

    // Percent-decoded, without the query.
    QString path() const { return QUrl::fromPercentEncoding(target.split('?').first()); }
    QUrlQuery query() const { return QUrlQuery(QUrl::fromEncoded(target)); }
    // Any case of the name; null when missing.
    QByteArray header(const QByteArray& name) const
    {
        for (const auto& [key, value] : headers)
            if (key.compare(name, Qt::CaseInsensitive) == 0)
                return value;
        return QByteArray();
    }
    bool hasHeader(const QByteArray& name) const { return !header(name).isNull(); }
    // Empty unless the body is a JSON object.
    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
    QString rpcMethod() const { return json().value(QLatin1String("method")).toString(); }
};

// A local HTTP/1.1 server on 127.0.0.1, on a thread of its own so it answers while the test waits
// in a nested loop. Routes: (path, JSON-RPC "method") of a POST, else (method, path), else the
// fallback (404); in a route the next queued reply, else the handler, else the set reply. A held
// answer keeps back the later ones on its connection. Handlers run on the server's thread.
class HttpTestServer
{
public:
    using Handler = std::function<ScriptedReply(const RecordedRequest&)>;

    // HTTPS with the given identity, plain HTTP without one.
    HttpTestServer(const QSslCertificate& certificate = QSslCertificate(), const QSslKey& key = QSslKey());
    ~HttpTestServer();

    quint16 port() const { return listeningPort; }
    // "http://127.0.0.1:<port>" (https for TLS) followed by pathAndQuery.
    QString url(const QString& pathAndQuery = QString()) const
    {
        return QString("%1://127.0.0.1:%2%3")
            .arg(QLatin1String(secure ? "https" : "http"), QString::number(listeningPort), pathAndQuery);
    }

    void setReply(const QByteArray& method, const QString& path, const ScriptedReply& reply)
    {
        locked([&] { routes[routeKey(method, path)].reply = reply; });
    }
    // Each used once, in order, before the handler or set reply.
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

    // Complete requests so far, in order of arrival.
    QList<RecordedRequest> requests() const { return locked([this] { return recorded; }); }
    int requestCount() const { return locked([this] { return recorded.size(); }); }
    RecordedRequest lastRequest() const
    {
        return locked([this] { return recorded.value(recorded.size() - 1); });
    }
    void clearRequests() { locked([this] { recorded.clear(); }); }
    int connectionCount() const { return locked([this] { return accepted; }); }

    // Answers held and not yet released.
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
    static QString routeKey(const QByteArray& method, const QString& path, const QString& rpc = QString())
    {
        return method + ' ' + path + '\n' + rpc;
    }

    // Shared with the server's thread, under the mutex.
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
