#pragma once

#include <QAbstractSocket>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>

class MimeMessage;
class QSslConfiguration;
class QSslSocket;

// A blocking SMTP client: one object talks to one server for one e-mail on
// the thread that made it. Every step returns false on failure and leaves a
// readable reason in lastError().
class SmtpClient : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(SmtpClient)

public:
    enum ConnectionType : qint32 { TcpConnection = 0, SslConnection = 1, TlsConnection = 2 };
    enum AuthMethod : qint32 { AuthPlain = 0, AuthLogin = 1 };
    enum SmtpError : qint32 {
        ConnectionTimeoutError = 0,
        ResponseTimeoutError = 1,
        SendDataTimeoutError = 2,
        AuthenticationFailedError = 3,
        ServerError = 4,
        ClientError = 5
    };

    SmtpClient(const QString& host, int port, ConnectionType connectionType);

    void setHost(const QString& host);
    const QString& host() const;
    void setPort(int port);
    int port() const;
    void setConnectionType(ConnectionType connectionType);
    ConnectionType connectionType() const;
    void setName(const QString& name);
    const QString& name() const;
    void setUser(const QString& user);
    const QString& user() const;
    void setPassword(const QString& password);
    const QString& password() const;
    void setAuthMethod(AuthMethod method);
    AuthMethod authMethod() const;
    void setConnectionTimeout(int msecs);
    int connectionTimeout() const;
    void setResponseTimeout(int msecs);
    int responseTimeout() const;
    void setSendMessageTimeout(int msecs);
    int sendMessageTimeout() const;

    const QString& responseText() const;
    int responseCode() const;
    QString lastError() const;

    // Connects, reads the greeting and says EHLO. TLS is always verified
    // (certificate chain and host name); a plain connection is upgraded with
    // STARTTLS whenever the server offers it.
    bool connectToServer();
    bool login();
    bool login(const QString& user, const QString& password, AuthMethod method);
    bool sendMail(MimeMessage& message);
    void quit();

    // May be called from any thread: the step under way on the client's own
    // thread gives up within a fraction of a second and the connection is
    // dropped. Used when the program exits while a mail is being sent.
    void requestAbort();

    // Test seam: called at the start of every connectToServer(), on the
    // client's thread, with the TLS settings the socket will use, so tests can
    // shorten timeouts and trust a test authority. Never set in production.
    using TestSetup = void (*)(SmtpClient& client, QSslConfiguration& tls);
    static void setTestSetup(TestSetup setup);

signals:
    void smtpError(SmtpError e);

protected slots:
    void socketStateChanged(QAbstractSocket::SocketState state);
    void socketError(QAbstractSocket::SocketError error);
    void socketReadyRead();
    void onSmtpError(SmtpError e);

private:
    // Thrown by the waits, caught by the step that was waiting.
    class ResponseTimeoutException
    {
    };
    class SendMessageTimeoutException
    {
    };
    enum class Wait { ReadyRead, BytesWritten, Encrypted };

    void readResponse();
    void sendText(const QString& text);
    void sendBytes(const QByteArray& bytes);
    bool waitFor(Wait what, int msecs);

    bool greetAndSayHello();
    bool sayHello();
    bool startTls();
    bool failHandshake();
    bool expectReply(std::initializer_list<int> codes);
    void applyTestSetup();

    QSslSocket* m_socket = nullptr;
    QString m_host;
    int m_port = 0;
    ConnectionType m_connectionType = TcpConnection;
    QString m_name = QStringLiteral("localhost");
    QString m_user;
    QString m_password;
    AuthMethod m_authMethod = AuthPlain;
    int m_connectionTimeout = 5000;
    int m_responseTimeout = 5000;
    int m_sendMessageTimeout = 60000;
    QString m_lastError;
    QString m_responseText;
    int m_responseCode = 0;
    // Every line of the last reply, for the extensions listed after EHLO.
    QStringList m_replyLines;
    std::atomic_bool m_abortRequested { false };
};
