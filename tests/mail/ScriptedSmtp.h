#pragma once

#include "TestCertificate.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

// What Python's own mail parser makes of a message (mail_referee.py, at
// refereeScript).
inline QJsonObject MailReferee(const QString& refereeScript, const QByteArray& message)
{
    QProcess python;
    python.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    python.start("/usr/bin/python3", { refereeScript });
    python.write(message);
    python.closeWriteChannel();
    python.waitForFinished(60000);
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

// Scripted SMTP servers on 127.0.0.1 (smtp_server.py), with a certificate
// for 127.0.0.1 (not for localhost) signed by a test authority that clients
// trust only when told to.
class ScriptedSmtpServers
{
public:
    ScriptedSmtpServers() = default;
    ~ScriptedSmtpServers() { stop(); }

    // Makes the certificates in folder and starts serverScript.
    bool start(const QString& serverScript, const QString& folder)
    {
        m_authority = TestCertificate::createAuthority(folder);
        const TestCertificate server = TestCertificate::createSigned(folder, "server", "IP:127.0.0.1", m_authority);
        m_servers.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_servers.start("/usr/bin/python3", { "-B", serverScript, server.certificatePath, server.keyPath });
        return m_authority.isValid() && server.isValid() && m_servers.waitForStarted();
    }

    void stop()
    {
        m_servers.closeWriteChannel();
        m_servers.waitForFinished(5000);
    }

    const TestCertificate& authority() const { return m_authority; }

    // The port of a new server that plays script to one client.
    int scripted(const QStringList& script)
    {
        m_servers.write(QJsonDocument(QJsonObject { { "script", QJsonArray::fromStringList(script) } })
                            .toJson(QJsonDocument::Compact)
            + '\n');
        return next("port").value("port").toInt();
    }

    // The next record that holds key: a new server's "port", a closed
    // connection's "lines".
    QJsonObject next(const QString& key)
    {
        while (m_servers.canReadLine() || m_servers.waitForReadyRead(30000)) {
            const QJsonObject record
                = m_servers.canReadLine() ? QJsonDocument::fromJson(m_servers.readLine()).object() : QJsonObject();
            if (record.contains(key))
                return record;
        }
        return {};
    }

private:
    Q_DISABLE_COPY(ScriptedSmtpServers)

    QProcess m_servers;
    TestCertificate m_authority;
};
