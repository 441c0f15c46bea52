#include "SmtpTestServers.h"

#include <QDeadlineTimer>
#include <QJsonDocument>

const QString SmtpTestServers::User = QStringLiteral("trader@example.org");
const QString SmtpTestServers::Password = QStringLiteral("s3cret пароль");

SmtpTestServers::SmtpTestServers()
{
    m_authority = TestCertificate::createAuthority(m_folder.path());
    const TestCertificate server = TestCertificate::createSigned(
        m_folder.path(), QStringLiteral("server"), QStringLiteral("IP:127.0.0.1,DNS:localhost"), m_authority);
    const TestCertificate elsewhere = TestCertificate::createSigned(
        m_folder.path(), QStringLiteral("elsewhere"), QStringLiteral("DNS:mail.invalid"), m_authority);
    for (const TestCertificate* made :
        std::initializer_list<const TestCertificate*> { &m_authority, &server, &elsewhere }) {
        if (!made->isValid()) {
            m_error = made->error;
            return;
        }
    }

    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral("/usr/bin/python3"),
        { QStringLiteral(SMTP_SERVER_SCRIPT), QStringLiteral("--cert"), server.certificatePath,
            QStringLiteral("--key"), server.keyPath, QStringLiteral("--wrong-cert"),
            elsewhere.certificatePath, QStringLiteral("--wrong-key"), elsewhere.keyPath,
            QStringLiteral("--user"), User, QStringLiteral("--password"), Password });
    const QDeadlineTimer deadline(30000);
    while (m_ports.isEmpty() && !deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
        m_process.waitForReadyRead(100);
        readEvents();
        for (const QJsonObject& event : qAsConst(m_events)) {
            if (event.value(QStringLiteral("event")).toString() != QLatin1String("ready"))
                continue;
            const QJsonObject ports = event.value(QStringLiteral("ports")).toObject();
            for (auto it = ports.begin(); it != ports.end(); ++it)
                m_ports.insert(it.key(), quint16(it.value().toInt()));
        }
    }
    m_events.clear();
    if (m_ports.isEmpty())
        m_error = QStringLiteral("aiosmtpd did not start: ") + m_process.errorString();
}

SmtpTestServers::~SmtpTestServers()
{
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

void SmtpTestServers::readEvents()
{
    m_partial += m_process.readAllStandardOutput();
    int end;
    while ((end = m_partial.indexOf('\n')) >= 0) {
        const QByteArray line = m_partial.left(end);
        m_partial.remove(0, end + 1);
        m_events.append(QJsonDocument::fromJson(line).object());
    }
}

QList<QJsonObject> SmtpTestServers::events()
{
    m_process.waitForReadyRead(0);
    readEvents();
    return m_events;
}

void SmtpTestServers::clear()
{
    events();
    m_events.clear();
}

QList<QJsonObject> SmtpTestServers::waitForConversation(const QString& server, int msecs)
{
    const QDeadlineTimer deadline(msecs);
    for (;;) {
        readEvents();
        for (const QJsonObject& event : qAsConst(m_events)) {
            if (event.value(QStringLiteral("server")).toString() != server
                || event.value(QStringLiteral("event")).toString() != QLatin1String("closed"))
                continue;
            const int connection = event.value(QStringLiteral("conn")).toInt();
            QList<QJsonObject> conversation;
            for (const QJsonObject& each : qAsConst(m_events)) {
                if (each.value(QStringLiteral("conn")).toInt() == connection)
                    conversation.append(each);
            }
            return conversation;
        }
        if (deadline.hasExpired())
            return {};
        m_process.waitForReadyRead(100);
    }
}

QStringList SmtpTestServers::commands(const QList<QJsonObject>& conversation)
{
    QStringList lines;
    for (const QJsonObject& event : conversation) {
        const QString kind = event.value(QStringLiteral("event")).toString();
        if (kind == QLatin1String("command"))
            lines.append(event.value(QStringLiteral("line")).toString());
        else if (kind == QLatin1String("tls"))
            lines.append(QStringLiteral("<tls>"));
    }
    return lines;
}

QJsonObject SmtpTestServers::only(const QList<QJsonObject>& conversation, const QString& event)
{
    QJsonObject found;
    int count = 0;
    for (const QJsonObject& each : conversation) {
        if (each.value(QStringLiteral("event")).toString() == event) {
            found = each;
            ++count;
        }
    }
    return count == 1 ? found : QJsonObject();
}
