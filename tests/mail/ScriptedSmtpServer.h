#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QSemaphore>
#include <QStringList>
#include <QThread>

#include <atomic>

class QTcpSocket;

// One step of a scripted SMTP conversation, seen from the server.
struct ServerStep
{
    enum Kind { Send, ReadLine, ReadData, Pause, Close };
    Kind kind = Send;
    QByteArray bytes;
    int msecs = 0;

    static ServerStep send(const QByteArray& bytes) { return { Send, bytes, 0 }; }
    static ServerStep readLine() { return { ReadLine, {}, 0 }; }
    // Reads the mail data up to and including the line with the single period.
    static ServerStep readData() { return { ReadData, {}, 0 }; }
    // Waits, and notes when the client spoke during the wait.
    static ServerStep pause(int msecs) { return { Pause, {}, msecs }; }
    static ServerStep close() { return { Close, {}, 0 }; }
};
using ServerScript = QList<ServerStep>;

// A server on 127.0.0.1 that plays a script to each connection in turn and
// records what the client wrote. After its script it reads and records lines
// until the client goes away, so an empty script is a server that never says
// a word.
class ScriptedSmtpServer : public QThread
{
    Q_OBJECT

public:
    explicit ScriptedSmtpServer(const ServerScript& script);
    ~ScriptedSmtpServer() override;

    quint16 port() const { return m_port; }
    int connectionCount() const { return m_connections; }
    // The client's lines without their CR LF, "<data>" for mail data,
    // "<early>" where it spoke during a pause.
    QStringList clientLines() const;
    // The raw bytes of the last mail data, the final period line included.
    QByteArray data() const;
    // Waits until the client of the last connection has gone away.
    bool waitForHangUp(int msecs) const;

protected:
    void run() override;

private:
    void serve(QTcpSocket& socket);
    bool waitForLine(QTcpSocket& socket);
    void record(const QString& line);

    const ServerScript m_script;
    std::atomic<quint16> m_port { 0 };
    std::atomic_int m_connections { 0 };
    std::atomic_bool m_hungUp { false };
    std::atomic_bool m_stop { false };
    QSemaphore m_listening;
    mutable QMutex m_lock;
    QStringList m_clientLines;
    QByteArray m_data;
};
