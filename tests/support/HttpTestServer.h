#pragma once

#include "RecordedRequest.h"
#include "ScriptedReply.h"

#include <QByteArray>
#include <QList>
#include <QSslCertificate>
#include <QSslKey>
#include <QString>

#include <functional>
#include <memory>

class QThread;

// A local HTTP/1.1 server for tests. It runs on a thread of its own, so it
// keeps answering while the test's thread sleeps or waits in a nested loop,
// and listens on 127.0.0.1 only, on a port the system picks.
//
// Every request is recorded (method, target, headers, body) and answered by
// a script. The answer to a request is looked up in this order:
//   1. for a POST whose body is a JSON object with a string "method" (a
//      JSON-RPC call): the route of (path, that method);
//   2. the route of (method, path);
//   3. the fallback reply (404 unless set).
// Within a route: the next queued reply, else the handler, else the default
// reply; a route with none of them is skipped. Paths are matched exactly,
// without the query.
//
// Keep-alive connections and pipelined requests are served in order: an
// answer that is held or delayed also keeps back the later answers on the
// same connection, as HTTP/1.1 demands.
//
// All members may be called from the test's thread at any time. Handlers run
// on the server's thread: they may only use their argument and what they own.
//
//     HttpTestServer server;
//     server.setRpcReply("/api/exchange/betting/json-rpc/v1", "SportsAPING/v1.0/listMarketBook",
//                        ScriptedReply::rpcResult(books));
//     ... send to server.url("/api/exchange/betting/json-rpc/v1") ...
//     QTRY_COMPARE(server.requestCount(), 1);
class HttpTestServer
{
public:
    using Handler = std::function<ScriptedReply(const RecordedRequest&)>;

    // Plain HTTP.
    HttpTestServer();
    // HTTPS with the given certificate and private key.
    HttpTestServer(const QSslCertificate& certificate, const QSslKey& key);
    ~HttpTestServer();

    bool isListening() const;
    quint16 port() const;
    // "http://127.0.0.1:<port>" (https for TLS) followed by pathAndQuery.
    QString url(const QString& pathAndQuery = QString()) const;

    // The reply for every request of the route not otherwise scripted.
    void setReply(const QByteArray& method, const QString& path, const ScriptedReply& reply);
    // Replies used once each, in order, before the handler or default reply.
    void enqueueReply(const QByteArray& method, const QString& path, const ScriptedReply& reply);
    void setHandler(const QByteArray& method, const QString& path, Handler handler);
    void setRpcReply(const QString& path, const QString& rpcMethod, const ScriptedReply& reply);
    void enqueueRpcReply(const QString& path, const QString& rpcMethod, const ScriptedReply& reply);
    void setRpcHandler(const QString& path, const QString& rpcMethod, Handler handler);
    void setFallbackReply(const ScriptedReply& reply);

    // Complete requests received so far, in order of arrival.
    QList<RecordedRequest> requests() const;
    int requestCount() const;
    // The latest request; an empty record when there is none.
    RecordedRequest lastRequest() const;
    void clearRequests();
    // TCP (or TLS) connections accepted so far.
    int connectionCount() const;

    // Answers kept back by ScriptedReply::hold and not yet released.
    int heldCount() const;
    // Lets the count oldest held answers go (all of them with -1).
    void release(int count = 1);
    void releaseAll() { release(-1); }

private:
    struct Route;
    struct State;
    class Core;

    Q_DISABLE_COPY(HttpTestServer)

    void start(const QSslCertificate& certificate, const QSslKey& key);
    void addToRoute(const QString& key, const std::function<void(Route&)>& change);
    ScriptedReply replyFor(const RecordedRequest& request);

    std::unique_ptr<State> state;
    std::unique_ptr<QThread> thread;
    Core* core = nullptr;
    quint16 listeningPort = 0;
    bool secure = false;
};
