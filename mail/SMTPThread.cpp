#include "SMTPThread.h"

#include "EmailAddress.h"
#include "MimeHtml.h"
#include "MimeMessage.h"
#include "SmtpClient.h"

#include <QDeadlineTimer>
#include <QMutex>
#include <QSet>

namespace {

// Every mail thread alive, so that the program can end them at exit. Never
// destroyed: a thread that outlives the wait at exit may still reach it.
struct Registry
{
    QMutex lock;
    QSet<SMTPThread*> threads;
};

Registry& registry()
{
    static auto* const instance = new Registry;
    return *instance;
}

} // namespace

SMTPThread::SMTPThread(const QString& server, int port, bool ssl, const QString& fromAddress,
    const QString& fromName, const QString& toAddress, const QString& toName, const QString& subject,
    const QString& html, const QString& user, const QString& password, const QStringList& extras)
    : m_server(server)
    , m_port(port)
    , m_ssl(ssl)
    , m_fromAddress(fromAddress)
    , m_fromName(fromName)
    , m_toAddress(toAddress)
    , m_toName(toName)
    , m_subject(subject)
    , m_html(html)
    , m_user(user)
    , m_password(password)
    , m_extras(extras)
{
    const QMutexLocker lock(&registry().lock);
    registry().threads.insert(this);
}

SMTPThread::~SMTPThread()
{
    const QMutexLocker lock(&registry().lock);
    registry().threads.remove(this);
}

bool SMTPThread::ShutdownAll(int msecs)
{
    QList<SMTPThread*> threads;
    {
        const QMutexLocker lock(&registry().lock);
        for (SMTPThread* thread : qAsConst(registry().threads)) {
            thread->m_abortRequested = true;
            if (thread->m_client)
                thread->m_client->requestAbort();
            threads.append(thread);
        }
    }
    // The threads are deleted only on this thread, so they outlive the wait.
    const QDeadlineTimer deadline(msecs);
    bool allEnded = true;
    for (SMTPThread* thread : qAsConst(threads))
        allEnded = thread->wait(deadline) && allEnded;
    return allEnded;
}

void SMTPThread::attachClient(SmtpClient* client)
{
    const QMutexLocker lock(&registry().lock);
    m_client = client;
    if (client && m_abortRequested)
        client->requestAbort();
}

void SMTPThread::run()
{
    // An exception leaving run() would end the program, and the creator waits
    // for exactly one result.
    QString result;
    try {
        result = send();
    } catch (...) {
    }
    if (result.isEmpty())
        result = QStringLiteral("Unknown SMTP error");
    emit resultReady(result);
}

QString SMTPThread::send()
{
    SmtpClient client(m_server, m_port, m_ssl ? SmtpClient::SslConnection : SmtpClient::TcpConnection);
    attachClient(&client);
    struct Detach
    {
        SMTPThread* thread;
        ~Detach() { thread->attachClient(nullptr); }
    } detach { this };

    EmailAddress from(m_fromAddress, m_fromName);
    EmailAddress to(m_toAddress, m_toName);
    MimeMessage message(true);
    message.setSender(&from);
    message.setSubject(m_subject);
    message.addRecipient(&to, MimeMessage::To);
    MimeHtml part;
    part.setHtml(m_html);
    message.addPart(&part);

    client.setResponseTimeout(10000);
    if (!client.connectToServer())
        return client.lastError();
    QString result = QStringLiteral("OK");
    if (!m_user.isEmpty() && !client.login(m_user, m_password, SmtpClient::AuthLogin))
        result = client.lastError();
    else if (!client.sendMail(message))
        result = client.lastError();
    client.quit();
    return result;
}
