#include "HttpTestServer.h"

#include "HttpRequestParser.h"

#include <QEventLoop>
#include <QHash>
#include <QHostAddress>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QSemaphore>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <algorithm>

struct HttpTestServer::Route
{
    QList<ScriptedReply> queue;
    Handler handler;
    bool hasDefault = false;
    ScriptedReply defaultReply;
};

struct HttpTestServer::State
{
    mutable QMutex mutex;
    QHash<QString, Route> routes;
    ScriptedReply fallback = ScriptedReply::error(404);
    QList<RecordedRequest> requests;
    int held = 0;
    int connections = 0;
};

namespace {

QString PlainKey(const QByteArray& method, const QString& path)
{
    return QString::fromLatin1(method) + QLatin1Char(' ') + path;
}

QString RpcKey(const QString& path, const QString& rpcMethod)
{
    return PlainKey("POST", path) + QLatin1Char('\n') + rpcMethod;
}

// Hands every accepted connection over encrypted with the given identity.
class TlsServer : public QTcpServer
{
public:
    TlsServer(const QSslCertificate& certificate, const QSslKey& key, QObject* parent)
        : QTcpServer(parent)
        , certificate(certificate)
        , key(key)
    {
    }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto* socket = new QSslSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        socket->setLocalCertificate(certificate);
        socket->setPrivateKey(key);
        socket->setPeerVerifyMode(QSslSocket::VerifyNone);
        addPendingConnection(socket);
        socket->startServerEncryption();
    }

private:
    QSslCertificate certificate;
    QSslKey key;
};

} // namespace

// Lives on the server's thread and owns every socket there.
class HttpTestServer::Core : public QObject
{
public:
    Core(HttpTestServer& owner, State& state)
        : owner(owner)
        , state(state)
    {
    }

    ~Core() override
    {
        for (QTcpSocket* socket : connections.keys())
            socket->disconnect(this);
        connections.clear();
        delete server;
    }

    bool listen(const QSslCertificate& certificate, const QSslKey& key)
    {
        server = certificate.isNull() ? new QTcpServer(this) : new TlsServer(certificate, key, this);
        connect(server, &QTcpServer::newConnection, this, &Core::accept);
        return server->listen(QHostAddress::LocalHost, 0);
    }

    quint16 port() const { return server->serverPort(); }

    void release(int count)
    {
        QList<QPair<qint64, QTcpSocket*>> held;
        for (auto it = connections.begin(); it != connections.end(); ++it) {
            for (const Pending& pending : qAsConst(it->queue)) {
                if (pending.held)
                    held.append({ pending.serial, it.key() });
            }
        }
        std::sort(held.begin(), held.end());
        if (count >= 0 && count < held.size())
            held.erase(held.begin() + count, held.end());

        for (const auto& entry : qAsConst(held)) {
            for (Pending& pending : connections[entry.second].queue) {
                if (pending.serial == entry.first)
                    pending.held = false;
            }
            QMutexLocker lock(&state.mutex);
            --state.held;
        }
        for (const auto& entry : qAsConst(held))
            flush(entry.second);
    }

private:
    struct Pending
    {
        qint64 serial = 0;
        ScriptedReply reply;
        bool held = false;
        bool delayed = false;
        bool closing = false;
    };

    struct Connection
    {
        int serial = 0;
        QByteArray buffer;
        QList<Pending> queue;
    };

    void accept()
    {
        while (QTcpSocket* socket = server->nextPendingConnection()) {
            Connection connection;
            {
                QMutexLocker lock(&state.mutex);
                connection.serial = ++state.connections;
            }
            connections.insert(socket, connection);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] { forget(socket); });
            if (socket->bytesAvailable() > 0)
                read(socket);
        }
    }

    void read(QTcpSocket* socket)
    {
        auto found = connections.find(socket);
        if (found == connections.end())
            return;
        Connection& connection = *found;
        connection.buffer += socket->readAll();
        for (;;) {
            RecordedRequest request;
            int consumed = 0;
            const auto outcome = HttpRequestParser::parse(connection.buffer, &request, &consumed);
            if (outcome == HttpRequestParser::Outcome::Incomplete)
                break;
            if (outcome == HttpRequestParser::Outcome::Malformed) {
                Pending bad;
                bad.reply = ScriptedReply::error(400);
                bad.closing = true;
                connection.queue.append(bad);
                connection.buffer.clear();
                break;
            }
            connection.buffer.remove(0, consumed);
            request.connection = connection.serial;

            Pending pending;
            pending.serial = ++nextSerial;
            pending.reply = owner.replyFor(request);
            pending.held = pending.reply.hold;
            pending.delayed = pending.reply.delayMs > 0;
            pending.closing = request.header("Connection").toLower() == "close";
            {
                QMutexLocker lock(&state.mutex);
                state.requests.append(request);
                if (pending.held)
                    ++state.held;
            }
            if (pending.delayed)
                startDelay(socket, pending.serial, pending.reply.delayMs);
            connection.queue.append(pending);
        }
        flush(socket);
    }

    void startDelay(QTcpSocket* socket, qint64 serial, int delayMs)
    {
        // A child of the socket, so it never fires for a connection that is gone.
        auto* timer = new QTimer(socket);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, timer, [this, socket, serial, timer] {
            timer->deleteLater();
            auto found = connections.find(socket);
            if (found == connections.end())
                return;
            for (Pending& pending : found->queue) {
                if (pending.serial == serial)
                    pending.delayed = false;
            }
            flush(socket);
        });
        timer->start(delayMs);
    }

    // Answers from the front of the queue while the front is ready.
    void flush(QTcpSocket* socket)
    {
        auto found = connections.find(socket);
        if (found == connections.end())
            return;
        QList<Pending>& queue = found->queue;
        while (!queue.isEmpty() && !queue.first().held && !queue.first().delayed) {
            const Pending pending = queue.takeFirst();
            if (pending.reply.closeWithoutAnswer) {
                close(socket);
                return;
            }
            socket->write(pending.reply.toWire(pending.closing));
            if (pending.closing) {
                close(socket);
                return;
            }
        }
    }

    void close(QTcpSocket* socket)
    {
        dropQueue(socket);
        socket->disconnectFromHost();
    }

    void forget(QTcpSocket* socket)
    {
        dropQueue(socket);
        connections.remove(socket);
        socket->deleteLater();
    }

    void dropQueue(QTcpSocket* socket)
    {
        auto found = connections.find(socket);
        if (found == connections.end())
            return;
        const int held = static_cast<int>(std::count_if(
            found->queue.cbegin(), found->queue.cend(), [](const Pending& p) { return p.held; }));
        found->queue.clear();
        QMutexLocker lock(&state.mutex);
        state.held -= held;
    }

    HttpTestServer& owner;
    State& state;
    QTcpServer* server = nullptr;
    QHash<QTcpSocket*, Connection> connections;
    qint64 nextSerial = 0;
};

HttpTestServer::HttpTestServer()
{
    start(QSslCertificate(), QSslKey());
}

HttpTestServer::HttpTestServer(const QSslCertificate& certificate, const QSslKey& key)
{
    secure = true;
    start(certificate, key);
}

HttpTestServer::~HttpTestServer()
{
    thread->quit();
    thread->wait();
}

void HttpTestServer::start(const QSslCertificate& certificate, const QSslKey& key)
{
    state = std::make_unique<State>();
    QSemaphore started;
    thread.reset(QThread::create([this, certificate, key, &started] {
        Core server(*this, *state);
        listeningPort = server.listen(certificate, key) ? server.port() : 0;
        core = &server;
        started.release();
        QEventLoop loop;
        loop.exec();
        core = nullptr;
    }));
    thread->setObjectName(QStringLiteral("HttpTestServer"));
    thread->start();
    started.acquire();
}

bool HttpTestServer::isListening() const
{
    return listeningPort != 0;
}

quint16 HttpTestServer::port() const
{
    return listeningPort;
}

QString HttpTestServer::url(const QString& pathAndQuery) const
{
    return QLatin1String(secure ? "https" : "http") + QLatin1String("://127.0.0.1:")
        + QString::number(listeningPort) + pathAndQuery;
}

void HttpTestServer::addToRoute(const QString& key, const std::function<void(Route&)>& change)
{
    QMutexLocker lock(&state->mutex);
    change(state->routes[key]);
}

void HttpTestServer::setReply(const QByteArray& method, const QString& path, const ScriptedReply& reply)
{
    addToRoute(PlainKey(method, path), [&](Route& route) {
        route.hasDefault = true;
        route.defaultReply = reply;
    });
}

void HttpTestServer::enqueueReply(const QByteArray& method, const QString& path, const ScriptedReply& reply)
{
    addToRoute(PlainKey(method, path), [&](Route& route) { route.queue.append(reply); });
}

void HttpTestServer::setHandler(const QByteArray& method, const QString& path, Handler handler)
{
    addToRoute(PlainKey(method, path), [&](Route& route) { route.handler = std::move(handler); });
}

void HttpTestServer::setRpcReply(const QString& path, const QString& rpcMethod, const ScriptedReply& reply)
{
    addToRoute(RpcKey(path, rpcMethod), [&](Route& route) {
        route.hasDefault = true;
        route.defaultReply = reply;
    });
}

void HttpTestServer::enqueueRpcReply(
    const QString& path, const QString& rpcMethod, const ScriptedReply& reply)
{
    addToRoute(RpcKey(path, rpcMethod), [&](Route& route) { route.queue.append(reply); });
}

void HttpTestServer::setRpcHandler(const QString& path, const QString& rpcMethod, Handler handler)
{
    addToRoute(RpcKey(path, rpcMethod), [&](Route& route) { route.handler = std::move(handler); });
}

void HttpTestServer::setFallbackReply(const ScriptedReply& reply)
{
    QMutexLocker lock(&state->mutex);
    state->fallback = reply;
}

QList<RecordedRequest> HttpTestServer::requests() const
{
    QMutexLocker lock(&state->mutex);
    return state->requests;
}

int HttpTestServer::requestCount() const
{
    QMutexLocker lock(&state->mutex);
    return state->requests.size();
}

RecordedRequest HttpTestServer::lastRequest() const
{
    QMutexLocker lock(&state->mutex);
    return state->requests.isEmpty() ? RecordedRequest() : state->requests.last();
}

void HttpTestServer::clearRequests()
{
    QMutexLocker lock(&state->mutex);
    state->requests.clear();
}

int HttpTestServer::connectionCount() const
{
    QMutexLocker lock(&state->mutex);
    return state->connections;
}

int HttpTestServer::heldCount() const
{
    QMutexLocker lock(&state->mutex);
    return state->held;
}

void HttpTestServer::release(int count)
{
    Core* target = core;
    QMetaObject::invokeMethod(
        target, [target, count] { target->release(count); }, Qt::QueuedConnection);
}

ScriptedReply HttpTestServer::replyFor(const RecordedRequest& request)
{
    const QString path = request.path();
    QStringList keys;
    const QString rpcMethod = request.method == "POST" ? request.rpcMethod() : QString();
    if (!rpcMethod.isEmpty())
        keys.append(RpcKey(path, rpcMethod));
    keys.append(PlainKey(request.method, path));

    Handler handler;
    {
        QMutexLocker lock(&state->mutex);
        for (const QString& key : qAsConst(keys)) {
            auto route = state->routes.find(key);
            if (route == state->routes.end())
                continue;
            if (!route->queue.isEmpty())
                return route->queue.takeFirst();
            if (route->handler) {
                handler = route->handler;
                break;
            }
            if (route->hasDefault)
                return route->defaultReply;
        }
        if (!handler)
            return state->fallback;
    }
    return handler(request);
}
