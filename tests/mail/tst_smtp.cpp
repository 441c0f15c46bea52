#include "EmailAddress.h"
#include "MimeMessage.h"
#include "SMTPThread.h"
#include "SmtpClient.h"
#include "ScriptedSmtp.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QtTest>

namespace {

const QString User = QStringLiteral("trader@example.org"), Password = QStringLiteral("s3cret пароль");
const QString Html = QStringLiteral("<p>Рынок</p>\r\n.\r\n..\r\n<p>end</p>"), Stuffed = QStringLiteral("<p>Рынок</p>\r\n..\r\n...\r\n<p>end</p>");
const QString Hello = "EHLO localhost|", Sent = "MAIL FROM:<from@example.com>|RCPT TO:<to@example.org>|DATA|<data>|QUIT";
const QStringList Greeted { "220 ready\r\n", "<", "250 hello\r\n" };
const QStringList Accepting { "<", "250 ok\r\n", "<", "250 ok\r\n", "<", "354 go\r\n", "<.", "250 stored\r\n" };

// What every client gets through the test seam.
QList<QSslCertificate> trusted;
int responseTimeout = 2000;

void setUpClient(SmtpClient& client, QSslConfiguration& tls)
{
    tls.addCaCertificates(trusted);
    client.setResponseTimeout(responseTimeout);
}

// Every text the program logged or reported.
QMutex seenLock;
QStringList seen;
QtMessageHandler logged = nullptr;

void see(const QString& text)
{
    const QMutexLocker lock(&seenLock);
    seen.append(text);
}

// What each mail thread reported, in the order they were started.
QVector<QStringList> results;

QPointer<SMTPThread> startThread(int port, bool ssl = false, const QString& password = {}, const QString& to = "to@example.org")
{
    auto* thread = new SMTPThread("127.0.0.1", port, ssl, "from@example.com", "Tarnwickstone", to, QString(), QStringLiteral("Отбор"),
        Html, password.isEmpty() ? QString() : User, password, {});
    QObject::connect(thread, &SMTPThread::resultReady, qApp, [index = results.size()](const QString& s) {
        results[index].append(s);
        see(s);
    });
    results.append(QStringList());
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
    return thread;
}

QStringList runThread(int port, bool ssl = false, const QString& password = {}, const QString& to = "to@example.org")
{
    const QPointer<SMTPThread> thread = startThread(port, ssl, password, to);
    return QTest::qWaitFor([&thread] { return thread.isNull(); }, 30000) ? results.last() : QStringList { "still running" };
}

} // namespace

class tst_Smtp : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    ScriptedSmtpServers m_servers;

private slots:
    void initTestCase()
    {
        QVERIFY(m_servers.start(SMTP_SERVER_SCRIPT, m_folder.path()));
        SmtpClient::setTestSetup(&setUpClient);
        trusted = { m_servers.authority().certificate };
        logged = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            see(text);
            logged(type, context, text);
        });
    }

    // No credential, in any form, ever reached a log or a result.
    void cleanupTestCase()
    {
        m_servers.stop();
        const QStringList secrets { Password, Password.toUtf8().toBase64(), User.toUtf8().toBase64(), "AUTH" };
        const QMutexLocker lock(&seenLock);
        for (const QString& secret : secrets)
            QVERIFY2(seen.filter(secret).isEmpty(), qPrintable(seen.filter(secret).join('\n')));
    }

    void threadReportsOneResult_data()
    {
        QTest::addColumn<QStringList>("script"); // see smtp_server.py; TLS from the start when it starts with "tls"
        QTest::addColumn<QString>("result"); // how it starts
        QTest::addColumn<QString>("lines"); // what the client said

        const QStringList loggedIn { "<", "334 VXNlcm5hbWU6\r\n", "<", "334 UGFzc3dvcmQ6\r\n", "<", "235 ok\r\n" };
        const QStringList offer { "220 ready\r\n", "<", "250-x\r\n250 STARTTLS\r\n", "<" };
        const QStringList upgrade = offer + QStringList { "220 go\r\n", "tls" };
        const QString login = "AUTH LOGIN|" + User.toUtf8().toBase64() + '|' + Password.toUtf8().toBase64() + '|';
        QTest::newRow("TLS") << QStringList { "tls" } + Greeted + loggedIn + Accepting << "OK" << "<tls>|" + Hello + login + Sent;
        QTest::newRow("plain upgraded") << upgrade + Greeted.mid(1) + loggedIn + Accepting << "OK"
                                        << "EHLO localhost|STARTTLS|<tls>|" + Hello + login + Sent;
        QTest::newRow("plain upgraded, unknown authority") << upgrade << "The issuer certificate" << "EHLO localhost|STARTTLS|<no tls>";
        QTest::newRow("text slipped in after the STARTTLS answer")
            << offer + QStringList { "220 go\r\n250 injected\r\n" } << "Unexpected server reply: 250 injected" << "EHLO localhost|STARTTLS";
        QTest::newRow("silent server") << QStringList() << "Response timeout" << "";
        QTest::newRow("closed after 535") << Greeted + loggedIn.mid(0, 4) + QStringList { "<", "535 no\r\n", "!" } << "Authentication failed"
                                          << Hello + login.chopped(1);
        QTest::newRow("AUTH LOGIN refused: no user name sent")
            << Greeted + QStringList { "<", "535 no\r\n" } << "Authentication failed" << Hello + "AUTH LOGIN|QUIT";
        QTest::newRow("user name refused: no password sent") << Greeted + loggedIn.mid(0, 2) + QStringList { "<", "535 no\r\n" }
                                                             << "Authentication failed" << Hello + login.section('|', 0, 1) + "|QUIT";
        // 400 to 599 are refusals by their class; any other unexpected code is shown as it came.
        for (const auto& [reply, shown] : { std::pair<QString, QString> { "399 odd", "Unexpected server reply: 399 odd" },
                 { "400 busy", "Server returned an error" }, { "499 busy", "Server returned an error" }, { "500 no", "SMTP client error" },
                 { "599 no", "SMTP client error" }, { "600 odd", "Unexpected server reply: 600 odd" } })
            QTest::newRow(qPrintable("MAIL FROM answered " + reply)) << Greeted + QStringList { "<", reply + "\r\n" } << shown
                                                                     << Hello + "MAIL FROM:<from@example.com>|QUIT";
    }
    // Exactly one result, OK only when the whole mail was stored; TLS verified before the login.
    void threadReportsOneResult()
    {
        QFETCH(QStringList, script);
        QFETCH(QString, result);
        QFETCH(QString, lines);
        if (result.startsWith("The issuer"))
            trusted.clear();
        const bool login = script.contains("235 ok\r\n") || script.contains("535 no\r\n");
        const QStringList results = runThread(m_servers.scripted(script), script.value(0) == "tls", login ? Password : QString());
        trusted = { m_servers.authority().certificate };
        QVERIFY2(results.size() == 1 && results.first().startsWith(result), qPrintable(results.join('|')));
        const QJsonObject conversation = m_servers.next("lines");
        QCOMPARE(conversation.value("lines").toString(), lines);
        QCOMPARE(conversation.value("data").toString().toLatin1().contains(Stuffed.toUtf8()), result == "OK");
    }

    // A wrong host name, an out-of-range port or an address that adds commands: refused before any mail.
    void refusedBeforeMail()
    {
        SmtpClient wrongName("localhost", m_servers.scripted({ "tls" }), SmtpClient::SslConnection);
        QVERIFY(!wrongName.connectToServer());
        QVERIFY2(wrongName.lastError().startsWith("The host name did not match"), qPrintable(wrongName.lastError()));
        QCOMPARE(m_servers.next("lines").value("lines").toString(), "<no tls>");
        for (const int port : { 0, 65536 + 25 })
            QCOMPARE(runThread(port), QStringList { QStringLiteral("Invalid SMTP port: %1").arg(port) });
        const QString bad = "to@example.org>\r\nDATA";
        QCOMPARE(runThread(m_servers.scripted(Greeted), false, {}, bad), QStringList { EmailAddress(bad).validationError() });
        QCOMPARE(m_servers.next("lines").value("lines").toString(), Hello + "QUIT");
    }

    // The envelope names every recipient, Bcc too: To, Cc, then Bcc, whatever order they were added in. A
    // recipient the server will forward (251) is accepted.
    void everyRecipientGetsTheMail()
    {
        EmailAddress from("from@example.com"), to("to@example.org"), cc("cc@example.org"), bcc("bcc@example.org");
        MimeMessage message;
        message.setSender(&from);
        message.addBcc(&bcc);
        message.addCc(&cc);
        message.addTo(&to);
        const int port
            = m_servers.scripted(Greeted + QStringList { "<", "250 ok\r\n", "<", "250 ok\r\n", "<", "251 will forward\r\n" } + Accepting.mid(2));
        bool sent = false;
        {
            SmtpClient client("127.0.0.1", port, SmtpClient::TcpConnection);
            sent = client.connectToServer() && client.sendMail(message);
            client.quit();
        }
        QVERIFY(sent);
        QCOMPARE(m_servers.next("lines").value("lines").toString(),
            Hello + "MAIL FROM:<from@example.com>|RCPT TO:<to@example.org>|RCPT TO:<cc@example.org>|RCPT TO:<bcc@example.org>|"
                    "DATA|<data>|QUIT");
    }

    // Threads still waiting on a server when the program exits are ended, each with its one result.
    void shutdownEndsRunningThreads()
    {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        int held = 0;
        connect(&silent, &QTcpServer::newConnection, this, [&] { held += silent.nextPendingConnection() != nullptr; });
        responseTimeout = 120000;
        const QPointer<SMTPThread> first = startThread(silent.serverPort()), second = startThread(silent.serverPort());
        QTRY_COMPARE_WITH_TIMEOUT(held, 2, 30000);
        QVERIFY(SMTPThread::ShutdownAll(30000)); // well inside the two minutes the threads would otherwise wait
        QTRY_VERIFY_WITH_TIMEOUT(first.isNull() && second.isNull(), 30000);
        for (const QStringList& each : results.mid(results.size() - 2))
            QVERIFY(each.size() == 1 && !each.first().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_Smtp)
#include "tst_smtp.moc"
