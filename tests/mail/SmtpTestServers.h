#pragma once

#include "TestCertificate.h"

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QProcess>
#include <QSslCertificate>
#include <QTemporaryDir>

// aiosmtpd on 127.0.0.1, one server per way of securing the connection
// ("plain", "tls", "starttls", and "wrongname" whose certificate names
// another host), all with AUTH PLAIN and AUTH LOGIN for one user. The server
// certificates are signed by a test authority that clients trust only when
// told to.
class SmtpTestServers
{
public:
    static const QString User;
    static const QString Password;

    SmtpTestServers();
    ~SmtpTestServers();

    // Why the servers could not start; empty when they run.
    const QString& error() const { return m_error; }
    quint16 port(const QString& server) const { return m_ports.value(server); }
    const QSslCertificate& authority() const { return m_authority.certificate; }

    // Everything the servers reported since the last call to clear().
    QList<QJsonObject> events();
    void clear();
    // Waits until a connection to server has closed, then returns what
    // happened on that connection.
    QList<QJsonObject> waitForConversation(const QString& server, int msecs = 20000);

    // The client's command lines of a conversation; "<tls>" where TLS began
    // after STARTTLS.
    static QStringList commands(const QList<QJsonObject>& conversation);
    // The one event of the given kind, or an empty object.
    static QJsonObject only(const QList<QJsonObject>& conversation, const QString& event);

private:
    void readEvents();

    QTemporaryDir m_folder;
    TestCertificate m_authority;
    QProcess m_process;
    QMap<QString, quint16> m_ports;
    QByteArray m_partial;
    QList<QJsonObject> m_events;
    QString m_error;
};
