#include "SmtpClient.h"

#include "EmailAddress.h"
#include "MimeMessage.h"

#include <QDeadlineTimer>
#include <QNetworkProxy>
#include <QSslConfiguration>
#include <QSslSocket>

#include <algorithm>

namespace {

std::atomic<SmtpClient::TestSetup> testSetup { nullptr };

// How often a blocking wait looks whether the program wants it to give up.
constexpr int AbortCheckInterval = 100;

// A reply ends with the first line whose fourth character is not a hyphen;
// a line of the three digits alone ends it as well.
bool isFinalReplyLine(const QString& line)
{
    return line.size() < 4 || line.at(3) != QLatin1Char('-');
}

// The three digits that start a reply line; 0 when it starts otherwise.
int replyCode(const QString& line)
{
    if (line.size() < 3)
        return 0;
    int code = 0;
    for (int i = 0; i < 3; ++i) {
        const char16_t digit = line.at(i).unicode();
        if (digit < u'0' || digit > u'9')
            return 0;
        code = code * 10 + (digit - u'0');
    }
    return code;
}

bool isTlsFailure(QAbstractSocket::SocketError error)
{
    return error == QAbstractSocket::SslHandshakeFailedError || error == QAbstractSocket::SslInternalError
        || error == QAbstractSocket::SslInvalidUserDataError;
}

// The message as DATA carries it: CR LF line ends only (a bare LF is what SMTP
// smuggling rides on), a period doubled at the start of every line, the first
// one included, and a final CR LF so that the terminating period stands alone.
QByteArray dataBlock(const QString& text)
{
    QByteArray data = text.toUtf8();
    data.replace("\r\n", "\n").replace('\r', '\n').replace("\n", "\r\n");
    if (data.startsWith('.'))
        data.prepend('.');
    data.replace("\r\n.", "\r\n..");
    if (!data.isEmpty() && !data.endsWith("\r\n"))
        data += "\r\n";
    return data;
}

} // namespace

SmtpClient::SmtpClient(const QString& host, int port, ConnectionType connectionType)
{
    setConnectionType(connectionType);
    m_host = host;
    m_port = port;
    connect(this, &SmtpClient::smtpError, this, &SmtpClient::onSmtpError);
}

void SmtpClient::setHost(const QString& host)
{
    m_host = host;
}

const QString& SmtpClient::host() const
{
    return m_host;
}

void SmtpClient::setPort(int port)
{
    m_port = port;
}

int SmtpClient::port() const
{
    return m_port;
}

void SmtpClient::setConnectionType(ConnectionType connectionType)
{
    m_connectionType = connectionType;
    delete m_socket;
    // Always a TLS-capable socket: a plain connection is upgraded when the
    // server offers STARTTLS.
    m_socket = new QSslSocket(this);
    m_socket->setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    m_socket->setPeerVerifyMode(QSslSocket::VerifyPeer);
    connect(m_socket, &QAbstractSocket::stateChanged, this, &SmtpClient::socketStateChanged);
    connect(m_socket, &QAbstractSocket::errorOccurred, this, &SmtpClient::socketError);
    connect(m_socket, &QIODevice::readyRead, this, &SmtpClient::socketReadyRead);
}

SmtpClient::ConnectionType SmtpClient::connectionType() const
{
    return m_connectionType;
}

void SmtpClient::setName(const QString& name)
{
    m_name = name;
}

const QString& SmtpClient::name() const
{
    return m_name;
}

void SmtpClient::setUser(const QString& user)
{
    m_user = user;
}

const QString& SmtpClient::user() const
{
    return m_user;
}

void SmtpClient::setPassword(const QString& password)
{
    m_password = password;
}

const QString& SmtpClient::password() const
{
    return m_password;
}

void SmtpClient::setAuthMethod(AuthMethod method)
{
    m_authMethod = method;
}

SmtpClient::AuthMethod SmtpClient::authMethod() const
{
    return m_authMethod;
}

void SmtpClient::setConnectionTimeout(int msecs)
{
    m_connectionTimeout = msecs;
}

int SmtpClient::connectionTimeout() const
{
    return m_connectionTimeout;
}

void SmtpClient::setResponseTimeout(int msecs)
{
    m_responseTimeout = msecs;
}

int SmtpClient::responseTimeout() const
{
    return m_responseTimeout;
}

void SmtpClient::setSendMessageTimeout(int msecs)
{
    m_sendMessageTimeout = msecs;
}

int SmtpClient::sendMessageTimeout() const
{
    return m_sendMessageTimeout;
}

const QString& SmtpClient::responseText() const
{
    return m_responseText;
}

int SmtpClient::responseCode() const
{
    return m_responseCode;
}

QString SmtpClient::lastError() const
{
    return m_lastError;
}

void SmtpClient::requestAbort()
{
    m_abortRequested = true;
}

void SmtpClient::setTestSetup(TestSetup setup)
{
    testSetup = setup;
}

void SmtpClient::applyTestSetup()
{
    const TestSetup setup = testSetup;
    if (!setup)
        return;
    QSslConfiguration tls = m_socket->sslConfiguration();
    setup(*this, tls);
    m_socket->setSslConfiguration(tls);
}

void SmtpClient::socketStateChanged(QAbstractSocket::SocketState state)
{
    Q_UNUSED(state)
}

void SmtpClient::socketError(QAbstractSocket::SocketError error)
{
    // Our own waits time out slice by slice; they report their timeouts
    // themselves when the whole wait has run out.
    if (error == QAbstractSocket::SocketTimeoutError)
        return;
    if (const auto* socket = qobject_cast<QTcpSocket*>(sender()))
        m_lastError = socket->errorString();
}

void SmtpClient::socketReadyRead() { }

void SmtpClient::onSmtpError(SmtpError e)
{
    switch (e) {
    case ConnectionTimeoutError:
        m_lastError = QStringLiteral("Connection timeout");
        break;
    case ResponseTimeoutError:
        m_lastError = QStringLiteral("Response timeout");
        break;
    case SendDataTimeoutError:
        m_lastError = QStringLiteral("Send Data Timeout");
        break;
    case AuthenticationFailedError:
        m_lastError = QStringLiteral("Authentication failed");
        break;
    case ServerError:
        m_lastError = QStringLiteral("Server returned an error");
        break;
    case ClientError:
        m_lastError = QStringLiteral("SMTP client error");
        break;
    default:
        m_lastError = QStringLiteral("Unknown SMTP error");
        break;
    }
}

bool SmtpClient::waitFor(Wait what, int msecs)
{
    const QDeadlineTimer deadline(msecs);
    for (;;) {
        if (m_abortRequested) {
            m_socket->abort();
            return false;
        }
        if (what == Wait::Encrypted && m_socket->isEncrypted())
            return true;
        const qint64 left = deadline.remainingTime();
        const int slice = left < 0 ? AbortCheckInterval : int(std::min<qint64>(left, AbortCheckInterval));
        bool done = false;
        switch (what) {
        case Wait::ReadyRead:
            done = m_socket->waitForReadyRead(slice);
            break;
        case Wait::BytesWritten:
            done = m_socket->waitForBytesWritten(slice);
            break;
        case Wait::Encrypted:
            done = m_socket->waitForEncrypted(slice);
            break;
        }
        if (done)
            return true;
        if (m_socket->state() != QAbstractSocket::ConnectedState || deadline.hasExpired())
            return false;
    }
}

void SmtpClient::sendText(const QString& text)
{
    sendBytes(text.toUtf8() + "\r\n");
}

void SmtpClient::sendBytes(const QByteArray& bytes)
{
    bool written
        = m_socket->state() == QAbstractSocket::ConnectedState && m_socket->write(bytes) == bytes.size();
    while (written && m_socket->bytesToWrite() > 0)
        written = waitFor(Wait::BytesWritten, m_sendMessageTimeout);
    if (!written) {
        emit smtpError(SendDataTimeoutError);
        throw SendMessageTimeoutException();
    }
}

void SmtpClient::readResponse()
{
    m_replyLines.clear();
    for (;;) {
        // Lines already received are read before waiting for more.
        while (m_socket->canReadLine()) {
            const QByteArray line = m_socket->readLine();
            const int nul = line.indexOf('\0');
            m_responseText = QString::fromUtf8(nul < 0 ? line : line.left(nul));
            m_responseCode = replyCode(m_responseText);
            m_replyLines.append(m_responseText);
            if (m_responseCode >= 400 && m_responseCode <= 499)
                emit smtpError(ServerError);
            else if (m_responseCode >= 500 && m_responseCode <= 599)
                emit smtpError(ClientError);
            if (isFinalReplyLine(m_responseText))
                return;
        }
        if (!waitFor(Wait::ReadyRead, m_responseTimeout)) {
            emit smtpError(ResponseTimeoutError);
            throw ResponseTimeoutException();
        }
    }
}

bool SmtpClient::expectReply(std::initializer_list<int> codes)
{
    readResponse();
    if (std::find(codes.begin(), codes.end(), m_responseCode) != codes.end())
        return true;
    // A 4xx or 5xx code has been reported by readResponse; anything else would
    // otherwise leave no reason at all.
    if (m_responseCode < 400 || m_responseCode > 599)
        m_lastError = QStringLiteral("Unexpected server reply: ") + m_responseText.trimmed();
    return false;
}

bool SmtpClient::connectToServer()
{
    applyTestSetup();
    if (m_port < 1 || m_port > 65535) {
        m_lastError = QStringLiteral("Invalid SMTP port: %1").arg(m_port);
        return false;
    }
    const auto port = static_cast<quint16>(m_port);
    if (m_connectionType == SslConnection)
        m_socket->connectToHostEncrypted(m_host, port);
    else
        m_socket->connectToHost(m_host, port);
    if (m_abortRequested || !m_socket->waitForConnected(m_connectionTimeout)) {
        m_socket->abort();
        emit smtpError(ConnectionTimeoutError);
        return false;
    }
    try {
        return greetAndSayHello();
    } catch (const ResponseTimeoutException&) {
        return false;
    } catch (const SendMessageTimeoutException&) {
        return false;
    }
}

bool SmtpClient::greetAndSayHello()
{
    if (m_connectionType == SslConnection && !waitFor(Wait::Encrypted, m_connectionTimeout))
        return failHandshake();
    readResponse();
    if (m_responseCode != 220) {
        emit smtpError(ServerError);
        return false;
    }
    if (!sayHello())
        return false;
    if (m_connectionType == SslConnection)
        return true;
    const bool offered = std::any_of(m_replyLines.cbegin(), m_replyLines.cend(), [](const QString& line) {
        return line.midRef(4).trimmed().compare(QLatin1String("STARTTLS"), Qt::CaseInsensitive) == 0;
    });
    if (m_connectionType == TcpConnection && !offered)
        return true;
    return startTls() && sayHello();
}

bool SmtpClient::sayHello()
{
    sendText(QStringLiteral("EHLO ") + m_name);
    readResponse();
    if (m_responseCode != 250) {
        emit smtpError(ServerError);
        return false;
    }
    return true;
}

bool SmtpClient::startTls()
{
    sendText(QStringLiteral("STARTTLS"));
    readResponse();
    if (m_responseCode != 220) {
        emit smtpError(ServerError);
        return false;
    }
    // Anything the server sent after its 220 came before encryption and
    // would later pass for an encrypted reply.
    if (m_socket->bytesAvailable() > 0) {
        m_lastError = QStringLiteral("Unexpected server reply: ")
            + QString::fromUtf8(m_socket->readLine(512)).trimmed();
        m_socket->abort();
        return false;
    }
    m_socket->startClientEncryption();
    return waitFor(Wait::Encrypted, m_connectionTimeout) || failHandshake();
}

bool SmtpClient::failHandshake()
{
    if (isTlsFailure(m_socket->error())) {
        QStringList reasons;
        for (const QSslError& error : m_socket->sslHandshakeErrors())
            reasons.append(error.errorString());
        reasons.removeDuplicates();
        m_lastError = reasons.isEmpty() ? m_socket->errorString() : reasons.join(QStringLiteral("; "));
    } else {
        emit smtpError(ConnectionTimeoutError);
    }
    m_socket->abort();
    return false;
}

bool SmtpClient::login()
{
    return login(m_user, m_password, m_authMethod);
}

bool SmtpClient::login(const QString& user, const QString& password, AuthMethod method)
{
    try {
        bool accepted = true;
        if (method == AuthPlain) {
            const QByteArray credential = '\0' + user.toUtf8() + '\0' + password.toUtf8();
            sendText(QStringLiteral("AUTH PLAIN ") + QString::fromLatin1(credential.toBase64()));
            readResponse();
            accepted = m_responseCode == 235;
        } else if (method == AuthLogin) {
            sendText(QStringLiteral("AUTH LOGIN"));
            readResponse();
            accepted = m_responseCode == 334;
            if (accepted) {
                sendText(QString::fromLatin1(user.toUtf8().toBase64()));
                readResponse();
                accepted = m_responseCode == 334;
            }
            if (accepted) {
                sendText(QString::fromLatin1(password.toUtf8().toBase64()));
                readResponse();
                accepted = m_responseCode == 235;
            }
        }
        if (!accepted)
            emit smtpError(AuthenticationFailedError);
        return accepted;
    } catch (const ResponseTimeoutException&) {
    } catch (const SendMessageTimeoutException&) {
    }
    emit smtpError(AuthenticationFailedError);
    return false;
}

bool SmtpClient::sendMail(MimeMessage& message)
{
    // Addresses go into SMTP commands as they stand; an unchecked one could
    // carry commands of its own.
    const QString invalid = message.validationError();
    if (!invalid.isEmpty()) {
        m_lastError = invalid;
        return false;
    }
    const QString text = message.toMimeString();
    try {
        sendText(QStringLiteral("MAIL FROM:<") + message.sender()->address() + QLatin1Char('>'));
        if (!expectReply({ 250 }))
            return false;
        for (const auto type : { MimeMessage::To, MimeMessage::Cc, MimeMessage::Bcc }) {
            for (const EmailAddress* recipient : message.recipients(type)) {
                if (!recipient)
                    continue;
                sendText(QStringLiteral("RCPT TO:<") + recipient->address() + QLatin1Char('>'));
                if (!expectReply({ 250, 251 }))
                    return false;
            }
        }
        sendText(QStringLiteral("DATA"));
        if (!expectReply({ 354 }))
            return false;
        sendBytes(dataBlock(text));
        sendText(QStringLiteral("."));
        return expectReply({ 250 });
    } catch (const ResponseTimeoutException&) {
        return false;
    } catch (const SendMessageTimeoutException&) {
        return false;
    }
}

void SmtpClient::quit()
{
    // The outcome is settled by then: a server that has already gone away
    // changes neither it nor its reason.
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    const QString outcome = m_lastError;
    try {
        sendText(QStringLiteral("QUIT"));
    } catch (const SendMessageTimeoutException&) {
    }
    m_lastError = outcome;
}
