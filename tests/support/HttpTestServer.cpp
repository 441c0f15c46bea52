#include "HttpTestServer.h"

#include <QEventLoop>
#include <QMap>
#include <QSemaphore>
#include <QSet>
#include <QSslSocket>
#include <QTcpServer>
#include <QThread>
#include <QTimer>

#ifdef Q_OS_LINUX
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

namespace {

enum class Parsed { Incomplete, Complete, Malformed };

// Takes one request off the front of buffer. Bodies by Content-Length only:
// Qt sends every body with one.
Parsed TakeRequest(QByteArray& buffer, RecordedRequest& request)
{
    const int headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return buffer.size() > 64 * 1024 ? Parsed::Malformed : Parsed::Incomplete;
    QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> start = lines.takeFirst().trimmed().split(' ');
    if (start.size() != 3 || !start.at(2).startsWith("HTTP/1."))
        return Parsed::Malformed;
    request = RecordedRequest { start.at(0), start.at(1), {}, {} };
    for (const QByteArray& line : qAsConst(lines)) {
        const int colon = line.indexOf(':');
        if (colon <= 0)
            return Parsed::Malformed;
        const QByteArray value = line.mid(colon + 1).trimmed();
        request.headers.append({ line.left(colon).trimmed(), value.isNull() ? QByteArray("") : value });
    }
    bool valid = true;
    const int length
        = request.hasHeader("Content-Length") ? request.header("Content-Length").toInt(&valid) : 0;
    const int bodyStart = headerEnd + 4;
    if (!valid || length < 0 || request.hasHeader("Transfer-Encoding"))
        return Parsed::Malformed;
    if (buffer.size() - bodyStart < length)
        return Parsed::Incomplete;
    request.body = buffer.mid(bodyStart, length);
    buffer.remove(0, bodyStart + length);
    return Parsed::Complete;
}

// Acknowledges what came at once. A client that writes a request's head and
// body apart waits with the body for the acknowledgement of the head, which a
// delayed acknowledgement holds back for tens of milliseconds: on loopback
// that, not the work, would be most of a run's time.
void AcknowledgeAtOnce(QTcpSocket& socket)
{
#ifdef TCP_QUICKACK
    const int on = 1;
    setsockopt(int(socket.socketDescriptor()), IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
#else
    Q_UNUSED(socket)
#endif
}

} // namespace

// Lives on the server's thread and owns the sockets as its children, which
// go only after QObject's destructor has cut their signals to it.
class HttpTestServer::Core : public QTcpServer
{
public:
    Core(HttpTestServer& owner, const QSslCertificate& certificate, const QSslKey& key)
        : owner(owner)
        , certificate(certificate)
        , key(key)
    {
        listen(QHostAddress::LocalHost, 0);
    }

    void release(int count)
    {
        for (; count != 0 && !heldOrder.isEmpty(); --count)
            flush(heldOrder.take(heldOrder.firstKey()));
        owner.locked([this] { owner.held = heldOrder.size(); });
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

    void incomingConnection(qintptr descriptor) override
    {
        QTcpSocket* socket = certificate.isNull() ? new QTcpSocket(this) : new QSslSocket(this);
        if (!socket->setSocketDescriptor(descriptor))
            return delete socket;
        owner.locked([this] { ++owner.accepted; });
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { forget(socket); });
        if (auto* tls = qobject_cast<QSslSocket*>(socket)) {
            tls->setLocalCertificate(certificate);
            tls->setPrivateKey(key);
            tls->startServerEncryption();
        }
    }

    void read(QTcpSocket* socket)
    {
        Connection& connection = connections[socket];
        connection.buffer += socket->readAll();
        AcknowledgeAtOnce(*socket);
        RecordedRequest request;
        Parsed parsed;
        while ((parsed = TakeRequest(connection.buffer, request)) == Parsed::Complete) {
            const ScriptedReply reply = replyFor(request);
            connection.queue.append(
                { ++nextSerial, reply, request.header("Connection").toLower() == "close" });
            if (reply.hold)
                heldOrder.insert(nextSerial, socket);
            if (reply.delayMs > 0) {
                delayed.insert(nextSerial);
                QTimer::singleShot(reply.delayMs, this, [this, socket, serial = nextSerial] {
                    if (delayed.remove(serial) && connections.contains(socket))
                        flush(socket);
                });
            }
            owner.locked([&] {
                owner.recorded.append(request);
                owner.held = heldOrder.size();
            });
        }
        if (parsed == Parsed::Malformed) {
            connection.buffer.clear();
            connection.queue.append({ ++nextSerial, ScriptedReply::error(400), true });
        }
        flush(socket);
    }

    ScriptedReply replyFor(const RecordedRequest& request)
    {
        const QString rpcMethod = request.method == "POST" ? request.rpcMethod() : QString();
        QMutexLocker lock(&owner.mutex);
        for (const QString& key : { routeKey(request.method, request.path(), rpcMethod),
                 routeKey(request.method, request.path()) }) {
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

    // Answers from the front of the queue while the front is neither held nor delayed.
    void flush(QTcpSocket* socket)
    {
        QList<Pending>& queue = connections[socket].queue;
        while (!queue.isEmpty() && !heldOrder.contains(queue.first().serial)
            && !delayed.contains(queue.first().serial)) {
            const Pending next = queue.takeFirst();
            socket->write(next.reply.toWire(next.closing));
            if (next.closing)
                return socket->disconnectFromHost();
        }
    }

    // What a closed connection still owes goes with it.
    void forget(QTcpSocket* socket)
    {
        connections.remove(socket);
        for (auto it = heldOrder.begin(); it != heldOrder.end();)
            it = it.value() == socket ? heldOrder.erase(it) : ++it;
        owner.locked([this] { owner.held = heldOrder.size(); });
        socket->deleteLater();
    }

    HttpTestServer& owner;
    const QSslCertificate certificate;
    const QSslKey key;
    QHash<QTcpSocket*, Connection> connections;
    QMap<qint64, QTcpSocket*> heldOrder; // serial of each held answer -> its connection
    QSet<qint64> delayed; // serials of answers whose delay runs
    qint64 nextSerial = 0;
};

HttpTestServer::HttpTestServer(const QSslCertificate& certificate, const QSslKey& key)
    : secure(!certificate.isNull())
{
    QSemaphore started;
    thread.reset(QThread::create([this, certificate, key, &started] {
        Core server(*this, certificate, key);
        listeningPort = server.serverPort();
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

void HttpTestServer::release(int count)
{
    Core* target = core;
    QMetaObject::invokeMethod(
        target, [target, count] { target->release(count); }, Qt::QueuedConnection);
}
