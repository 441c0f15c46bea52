#include "HttpTestServer.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QMap>
#include <QSemaphore>
#include <QSslSocket>
#include <QTcpServer>
#include <QThread>

#include <iterator>

QByteArray RecordedRequest::header(const QByteArray& name) const
{
    for (const auto& header : headers) {
        if (header.first.compare(name, Qt::CaseInsensitive) == 0)
            return header.second;
    }
    return QByteArray();
}

namespace {

enum class Parsed { Incomplete, Complete, Malformed };

// Takes one request off the front of buffer: request line, headers, and a
// body by Content-Length (Qt sends every body with one; nothing reads chunks).
Parsed TakeRequest(QByteArray& buffer, RecordedRequest& request)
{
    const int headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return buffer.size() > 64 * 1024 ? Parsed::Malformed : Parsed::Incomplete;
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    if (requestLine.size() != 3 || !requestLine.at(2).startsWith("HTTP/1."))
        return Parsed::Malformed;
    request = RecordedRequest { requestLine.at(0), requestLine.at(1), {}, {} };
    for (const QByteArray& line : lines.mid(1)) {
        const int colon = line.indexOf(':');
        if (colon <= 0)
            return Parsed::Malformed;
        const QByteArray value = line.mid(colon + 1).trimmed();
        request.headers.append({ line.left(colon).trimmed(), value.isNull() ? QByteArray("") : value });
    }
    bool valid = true;
    const int length
        = request.hasHeader("Content-Length") ? request.header("Content-Length").toInt(&valid) : 0;
    if (!valid || length < 0 || request.hasHeader("Transfer-Encoding"))
        return Parsed::Malformed;
    const int bodyStart = headerEnd + 4;
    if (buffer.size() - bodyStart < length)
        return Parsed::Incomplete;
    request.body = buffer.mid(bodyStart, length);
    buffer.remove(0, bodyStart + length);
    return Parsed::Complete;
}

// Hands every accepted connection over encrypted when it has an identity.
struct Listener : QTcpServer
{
    using QTcpServer::QTcpServer;

    QSslCertificate certificate;
    QSslKey key;

    void incomingConnection(qintptr descriptor) override
    {
        if (certificate.isNull())
            return QTcpServer::incomingConnection(descriptor);
        auto* socket = new QSslSocket(this);
        if (!socket->setSocketDescriptor(descriptor))
            return delete socket;
        socket->setLocalCertificate(certificate);
        socket->setPrivateKey(key);
        addPendingConnection(socket);
        socket->startServerEncryption();
    }
};

} // namespace

// Lives on the server's thread and owns every socket there (through the
// listener, its child: the sockets go only after their signals to it are cut).
class HttpTestServer::Core : public QObject
{
public:
    Core(HttpTestServer& owner, const QSslCertificate& certificate, const QSslKey& key)
        : owner(owner)
    {
        listener->certificate = certificate;
        listener->key = key;
        connect(listener, &QTcpServer::newConnection, this, &Core::accept);
        listener->listen(QHostAddress::LocalHost, 0);
    }

    quint16 port() const { return listener->serverPort(); }

    void release(int count)
    {
        for (; count != 0 && !heldOrder.isEmpty(); --count) {
            QTcpSocket* socket = heldOrder.take(heldOrder.firstKey());
            countHeld();
            flush(socket);
        }
    }

private:
    struct Pending
    {
        qint64 serial = 0;
        ScriptedReply reply;
        bool closing = false;
    };

    struct Connection
    {
        QByteArray buffer;
        QList<Pending> queue;
    };

    void accept()
    {
        while (QTcpSocket* socket = listener->nextPendingConnection()) {
            connections.insert(socket, Connection());
            owner.locked([this] { ++owner.accepted; });
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] { forget(socket); });
            read(socket);
        }
    }

    void read(QTcpSocket* socket)
    {
        const auto connection = connections.find(socket);
        if (connection == connections.end())
            return;
        connection->buffer += socket->readAll();
        RecordedRequest request;
        Parsed parsed;
        while ((parsed = TakeRequest(connection->buffer, request)) == Parsed::Complete) {
            const ScriptedReply reply = replyFor(request);
            connection->queue.append(
                { ++nextSerial, reply, request.header("Connection").toLower() == "close" });
            if (reply.hold)
                heldOrder.insert(nextSerial, socket);
            owner.locked([&] {
                owner.recorded.append(request);
                owner.held = heldOrder.size();
            });
        }
        if (parsed == Parsed::Malformed) {
            connection->buffer.clear();
            connection->queue.append({ ++nextSerial, ScriptedReply::error(400), true });
        }
        flush(socket);
    }

    ScriptedReply replyFor(const RecordedRequest& request)
    {
        QStringList keys { routeKey(request.method, request.path()) };
        const QString rpcMethod = request.method == "POST" ? request.rpcMethod() : QString();
        if (!rpcMethod.isEmpty())
            keys.prepend(routeKey(request.method, request.path(), rpcMethod));
        QMutexLocker lock(&owner.mutex);
        for (const QString& key : qAsConst(keys)) {
            const auto route = owner.routes.find(key);
            if (route == owner.routes.end())
                continue;
            if (!route->queue.isEmpty())
                return route->queue.takeFirst();
            if (route->handler) {
                const Handler handler = route->handler;
                lock.unlock();
                return handler(request);
            }
            if (route->reply)
                return *route->reply;
        }
        return owner.fallback;
    }

    // Answers from the front of the queue while the front is not held.
    void flush(QTcpSocket* socket)
    {
        QList<Pending>& queue = connections[socket].queue;
        while (!queue.isEmpty() && !heldOrder.contains(queue.first().serial)) {
            const Pending next = queue.takeFirst();
            if (!next.reply.closeWithoutAnswer)
                socket->write(next.reply.toWire(next.closing));
            if (next.closing || next.reply.closeWithoutAnswer) {
                dropQueue(socket);
                socket->disconnectFromHost();
                return;
            }
        }
    }

    void forget(QTcpSocket* socket)
    {
        dropQueue(socket);
        connections.remove(socket);
        socket->deleteLater();
    }

    void dropQueue(QTcpSocket* socket)
    {
        connections[socket].queue.clear();
        for (auto it = heldOrder.begin(); it != heldOrder.end();)
            it = it.value() == socket ? heldOrder.erase(it) : std::next(it);
        countHeld();
    }

    void countHeld()
    {
        owner.locked([this] { owner.held = heldOrder.size(); });
    }

    HttpTestServer& owner;
    Listener* listener = new Listener(this);
    QHash<QTcpSocket*, Connection> connections;
    // The connection of every held answer, oldest first.
    QMap<qint64, QTcpSocket*> heldOrder;
    qint64 nextSerial = 0;
};

HttpTestServer::HttpTestServer()
    : HttpTestServer(QSslCertificate(), QSslKey())
{
}

HttpTestServer::HttpTestServer(const QSslCertificate& certificate, const QSslKey& key)
    : secure(!certificate.isNull())
{
    QSemaphore started;
    thread.reset(QThread::create([this, certificate, key, &started] {
        Core server(*this, certificate, key);
        listeningPort = server.port();
        core = &server;
        started.release();
        QEventLoop().exec();
    }));
    thread->start();
    started.acquire();
}

HttpTestServer::~HttpTestServer()
{
    thread->quit();
    thread->wait();
}

QString HttpTestServer::url(const QString& pathAndQuery) const
{
    return QLatin1String(secure ? "https" : "http") + QLatin1String("://127.0.0.1:")
        + QString::number(listeningPort) + pathAndQuery;
}

void HttpTestServer::release(int count)
{
    Core* target = core;
    QMetaObject::invokeMethod(
        target, [target, count] { target->release(count); }, Qt::QueuedConnection);
}
