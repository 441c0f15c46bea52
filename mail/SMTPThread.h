#pragma once

#include <QString>
#include <QStringList>
#include <QThread>

#include <atomic>

class SmtpClient;

// Sends one HTML e-mail on a thread of its own and reports exactly one
// result: "OK" or the reason it failed. The creator connects resultReady and
// finished() -> deleteLater() and starts it; nothing else holds on to it.
class SMTPThread : public QThread
{
    Q_OBJECT
    Q_DISABLE_COPY(SMTPThread)

public:
    SMTPThread(const QString& server, int port, bool ssl, const QString& fromAddress, const QString& fromName,
        const QString& toAddress, const QString& toName, const QString& subject, const QString& html,
        const QString& user, const QString& password, const QStringList& extras);
    ~SMTPThread() override;

    // At program exit: drops the connection of every mail thread still
    // running and waits for them, at most msecs in all. Returns whether they
    // have all ended. Call it from the thread that created them.
    static bool ShutdownAll(int msecs);

signals:
    void resultReady(QString s);

protected:
    void run() override;

private:
    QString send();
    void attachClient(SmtpClient* client);

    const QString m_server;
    const int m_port;
    const bool m_ssl;
    const QString m_fromAddress;
    const QString m_fromName;
    const QString m_toAddress;
    const QString m_toName;
    const QString m_subject;
    const QString m_html;
    const QString m_user;
    const QString m_password;
    const QStringList m_extras;

    // Guarded by the registry's lock.
    SmtpClient* m_client = nullptr;
    bool m_abortRequested = false;
};
