#include "ScriptedSmtpServer.h"

#include <QDeadlineTimer>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

constexpr int Slice = 50;
// No test conversation takes this long; it only keeps a broken test from hanging.
constexpr int Patience = 20000;

} // namespace

ScriptedSmtpServer::ScriptedSmtpServer(const ServerScript& script)
    : m_script(script)
{
    start();
    m_listening.acquire();
}

ScriptedSmtpServer::~ScriptedSmtpServer()
{
    m_stop = true;
    wait();
}

QStringList ScriptedSmtpServer::clientLines() const
{
    const QMutexLocker lock(&m_lock);
    return m_clientLines;
}

QByteArray ScriptedSmtpServer::data() const
{
    const QMutexLocker lock(&m_lock);
    return m_data;
}

bool ScriptedSmtpServer::waitForHangUp(int msecs) const
{
    const QDeadlineTimer deadline(msecs);
    while (!m_hungUp && !deadline.hasExpired())
        QThread::msleep(10);
    return m_hungUp;
}

void ScriptedSmtpServer::record(const QString& line)
{
    const QMutexLocker lock(&m_lock);
    m_clientLines.append(line);
}

void ScriptedSmtpServer::run()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    m_port = server.serverPort();
    m_listening.release();
    while (!m_stop) {
        if (!server.waitForNewConnection(Slice))
            continue;
        QTcpSocket* socket = server.nextPendingConnection();
        m_hungUp = false;
        ++m_connections;
        serve(*socket);
        delete socket;
        m_hungUp = true;
    }
}

bool ScriptedSmtpServer::waitForLine(QTcpSocket& socket)
{
    const QDeadlineTimer deadline(Patience);
    while (!socket.canReadLine()) {
        if (m_stop || deadline.hasExpired())
            return false;
        if (!socket.waitForReadyRead(Slice) && socket.state() != QAbstractSocket::ConnectedState)
            return socket.canReadLine();
    }
    return true;
}

void ScriptedSmtpServer::serve(QTcpSocket& socket)
{
    for (const ServerStep& step : m_script) {
        switch (step.kind) {
        case ServerStep::Send:
            socket.write(step.bytes);
            socket.waitForBytesWritten(Patience);
            break;
        case ServerStep::ReadLine:
            if (!waitForLine(socket))
                return;
            record(QString::fromUtf8(socket.readLine()).remove(QStringLiteral("\r\n")));
            break;
        case ServerStep::ReadData: {
            QByteArray data;
            while (!data.endsWith("\r\n.\r\n") && data != ".\r\n") {
                if (!waitForLine(socket))
                    return;
                data += socket.readLine();
            }
            record(QStringLiteral("<data>"));
            const QMutexLocker lock(&m_lock);
            m_data = data;
            break;
        }
        case ServerStep::Pause:
            QThread::msleep(step.msecs);
            socket.waitForReadyRead(0);
            if (socket.bytesAvailable() > 0)
                record(QStringLiteral("<early>"));
            break;
        case ServerStep::Close:
            socket.disconnectFromHost();
            if (socket.state() != QAbstractSocket::UnconnectedState)
                socket.waitForDisconnected(Patience);
            return;
        }
    }
    while (waitForLine(socket))
        record(QString::fromUtf8(socket.readLine()).remove(QStringLiteral("\r\n")));
}
