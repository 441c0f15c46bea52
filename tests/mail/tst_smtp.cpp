#include "EmailAddress.h"
#include "MimeHtml.h"
#include "MimeMessage.h"
#include "SMTPThread.h"
#include "SmtpClient.h"
#include "TestCertificate.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QtTest>

namespace {

const QString User = QStringLiteral("trader@example.org"), Password = QStringLiteral("s3cret пароль");
const QString From = QStringLiteral("from@example.com"), To = QStringLiteral("to@example.org");
const QString Html = QStringLiteral("<p>Рынок</p>\r\n.\r\n..\r\n<p>end</p>");
const QString Hello = "EHLO localhost|", Upgraded = "EHLO localhost|STARTTLS|<tls>|EHLO localhost|";
const QString Mail = "MAIL FROM:<from@example.com>|RCPT TO:<to@example.org>|";
const QStringList Greeted { "220 ready\r\n", "<", "250 hello\r\n" };

QString joined(const QJsonValue& lines)
{
    return lines.toVariant().toStringList().join('|');
}

QByteArray fromBase64(const QJsonValue& value)
{
    return QByteArray::fromBase64(value.toString().toLatin1());
}

// What every client gets through the test seam.
QList<QSslCertificate> trusted;
int responseTimeout = 5000;

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

class FixedMessage : public MimeMessage
{
public:
    QString toMimeString() override { return fixed; }
    QString fixed;
};

// What each mail thread reported, in the order they were started.
QVector<QStringList> results;

// A mail thread started the way the program starts one.
QPointer<SMTPThread> startThread(int port, bool ssl = false, const QString& password = {}, const QString& to = To)
{
    auto* thread = new SMTPThread("127.0.0.1", port, ssl, From, "Tarnwickstone", to, QString(), QStringLiteral("Отбор"), Html,
        password.isEmpty() ? QString() : User, password, {});
    QObject::connect(thread, &SMTPThread::resultReady, qApp, [index = results.size()](const QString& s) {
        results[index].append(s);
        see(s);
    });
    results.append(QStringList());
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
    return thread;
}

QStringList runThread(int port, bool ssl = false, const QString& password = {}, const QString& to = To)
{
    const QPointer<SMTPThread> thread = startThread(port, ssl, password, to);
    return QTest::qWaitFor([&thread] { return thread.isNull(); }, 30000) ? results.last() : QStringList { "still running" };
}

} // namespace

class tst_Smtp : public QObject
{
    Q_OBJECT

    // smtp_server.py, with a certificate for 127.0.0.1 (not for localhost) signed by
    // a test authority that clients trust only when told to.
    QTemporaryDir m_folder;
    QProcess m_servers;
    TestCertificate m_authority;
    QJsonObject m_ports;

    int port(const char* server) const { return m_ports.value(server).toInt(); }

    // The port of a new server that plays script to one client.
    int scripted(const QStringList& script)
    {
        m_servers.write(QJsonDocument(QJsonObject { { "script", QJsonArray::fromStringList(script) } }).toJson(QJsonDocument::Compact) + '\n');
        return next("listening").value("port").toInt();
    }

    // What happened on the next connection to server, once it has closed.
    QJsonObject next(const QString& server)
    {
        while (m_servers.canReadLine() || m_servers.waitForReadyRead(30000)) {
            const QJsonObject report = m_servers.canReadLine() ? QJsonDocument::fromJson(m_servers.readLine()).object() : QJsonObject();
            if (report.value("server").toString() == server && !report.isEmpty())
                return report;
        }
        return {};
    }

private slots:
    void initTestCase()
    {
        m_authority = TestCertificate::createAuthority(m_folder.path());
        const TestCertificate server = TestCertificate::createSigned(m_folder.path(), "server", "IP:127.0.0.1", m_authority);
        m_servers.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_servers.start("/usr/bin/python3", { "-B", SMTP_SERVER_SCRIPT, server.certificatePath, server.keyPath, User, Password });
        m_ports = next(QString()).value("ports").toObject();
        QVERIFY2(!m_ports.isEmpty(), "aiosmtpd did not start");
        SmtpClient::setTestSetup(&setUpClient);
        logged = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            see(text);
            logged(type, context, text);
        });
    }

    void init()
    {
        trusted = { m_authority.certificate };
        responseTimeout = 5000;
    }

    void cleanupTestCase()
    {
        m_servers.closeWriteChannel();
        m_servers.waitForFinished(5000);
        // No credential, in any form, ever reached a log or a result.
        const QByteArray password = Password.toUtf8();
        const QStringList secrets { Password, password.toBase64(), ('\0' + User.toUtf8() + '\0' + password).toBase64(), "AUTH" };
        const QMutexLocker lock(&seenLock);
        for (const QString& secret : secrets)
            QVERIFY2(seen.filter(secret).isEmpty(), qPrintable(seen.filter(secret).join('\n')));
    }

    void clientOverStartTls()
    {
        // The certificate names 127.0.0.1 only. AUTH PLAIN, Cc and Bcc: the mail thread uses none of them.
        EmailAddress from(From), to(To), cc("cc@example.org", "Copy"), bcc("bcc@example.net");
        MimeMessage message;
        message.setSender(&from);
        message.addTo(&to);
        message.addCc(&cc);
        message.addBcc(&bcc);
        MimeHtml part(Html);
        message.addPart(&part);
        SmtpClient wrongName("localhost", port("tls"), SmtpClient::SslConnection);
        QVERIFY(!wrongName.connectToServer());
        QVERIFY2(wrongName.lastError().startsWith("The host name did not match"), qPrintable(wrongName.lastError()));
        {
            SmtpClient client("127.0.0.1", port("starttls"), SmtpClient::TlsConnection);
            QVERIFY(client.connectToServer() && client.login(User, Password, SmtpClient::AuthPlain) && client.sendMail(message));
            client.quit();
        }
        QCOMPARE(joined(next("starttls").value("commands")),
            Upgraded + "AUTH PLAIN|" + Mail + "RCPT TO:<cc@example.org>|RCPT TO:<bcc@example.net>|DATA|QUIT");
    }

    void dataIsTransparent()
    {
        EmailAddress from(From), to(To);
        FixedMessage message;
        message.fixed = ".first\nsecond\r\n.\r\nthird\r..x\n..";
        message.setSender(&from);
        message.addTo(&to);
        const QStringList accepting { "<", "250 ok\r\n", "<", "250 ok\r\n", "<", "354 go\r\n", "<.", "250 stored\r\n" };
        {
            SmtpClient client("127.0.0.1", scripted(QStringList { "~" } + Greeted + accepting), SmtpClient::TcpConnection);
            QVERIFY(client.connectToServer() && client.sendMail(message)); // a slow greeting is no error
            client.quit();
        }
        // Line ends become CR LF, every leading period is doubled, a final CR LF comes before the lone period.
        QCOMPARE(fromBase64(next("scripted").value("data")), QByteArray("..first\r\nsecond\r\n..\r\nthird\r\n...x\r\n...\r\n.\r\n"));
    }

    void threadReportsOneResult_data()
    {
        QTest::addColumn<QString>("server"); // of smtp_server.py; "scripted" plays the script
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<bool>("ssl");
        QTest::addColumn<QString>("password"); // empty: no login
        QTest::addColumn<QString>("result"); // how it starts
        QTest::addColumn<QString>("commands"); // as the server saw them

        const QString sent = Mail + "DATA|QUIT", login = Hello + "AUTH LOGIN|";
        QTest::newRow("plain") << "plain" << QStringList() << false << Password << "OK" << login + sent;
        QTest::newRow("TLS") << "tls" << QStringList() << true << Password << "OK" << login + sent;
        QTest::newRow("plain upgraded") << "starttls" << QStringList() << false << Password << "OK" << Upgraded + "AUTH LOGIN|" + sent;
        QTest::newRow("wrong password") << "plain" << QStringList() << false << "wrong" << "Authentication failed" << login + "QUIT";
        QTest::newRow("plain upgraded, unknown authority")
            << "starttls" << QStringList() << false << Password << "The issuer certificate" << "EHLO localhost|STARTTLS";
        QTest::newRow("replies in pieces, a bare 250, RCPT answered 251") << "scripted"
            << QStringList { "220-mail.test first\r\n22", "~", "0 second\r\n", "<", "250-a\r\n", "~", "250\r\n", "<", "250 ok\r\n",
                   "<", "251 forward\r\n", "<", "354 go\r\n", "<.", "250 stored\r\n" }
            << false << "" << "OK" << Hello + Mail + "DATA|<data>|QUIT";
        QTest::newRow("silent server") << "scripted" << QStringList() << false << "" << "Response timeout" << "";
        QTest::newRow("closed after 535") << "scripted"
            << Greeted + QStringList { "<", "334 VXNlcm5hbWU6\r\n", "<", "334 UGFzc3dvcmQ6\r\n", "<", "535 no\r\n", "!" } << false << "secret"
            << "Authentication failed" << Hello + "AUTH LOGIN|dHJhZGVyQGV4YW1wbGUub3Jn|c2VjcmV0";
        QTest::newRow("MAIL answered 252") << "scripted" << Greeted + QStringList { "<", "252 maybe\r\n" } << false << ""
                                           << "Unexpected server reply: 252 maybe" << Hello + "MAIL FROM:<from@example.com>|QUIT";
        QTest::newRow("text slipped in after the STARTTLS answer") << "scripted"
            << QStringList { "220 ready\r\n", "<", "250-mail.test\r\n250 STARTTLS\r\n", "<", "220 go\r\n250 injected\r\n" } << false << ""
            << "Unexpected server reply: 250 injected" << "EHLO localhost|STARTTLS";
    }
    void threadReportsOneResult()
    {
        QFETCH(QString, server);
        QFETCH(QStringList, script);
        QFETCH(bool, ssl);
        QFETCH(QString, password);
        QFETCH(QString, result);
        QFETCH(QString, commands);
        responseTimeout = 2000;
        if (result.startsWith("The issuer"))
            trusted.clear();
        const QStringList results = runThread(server == "scripted" ? scripted(script) : port(qPrintable(server)), ssl, password);
        QVERIFY2(results.size() == 1 && results.first().startsWith(result), qPrintable(results.join('|')));
        const QJsonObject conversation = next(server);
        QCOMPARE(joined(conversation.value("commands")), commands);
        if (result != "OK" || server == "scripted")
            return;
        QCOMPARE(conversation["message"]["tls"].toBool(), server != "plain");
        const QJsonObject report = conversation["message"]["report"].toObject();
        QCOMPARE(joined(report.value("problems")), QString());
        QCOMPARE(report.value("tree").toArray(), QJsonArray({ "multipart/related", "text/html" }));
        QCOMPARE(fromBase64(report.value("parts")[0][1]), Html.toUtf8());
    }

    void threadRefusesBeforeMail()
    {
        // 65536 + p once became port p.
        for (const int refused : { 0, 65536 + port("plain") })
            QCOMPARE(runThread(refused), QStringList { QStringLiteral("Invalid SMTP port: %1").arg(refused) });
        // An address that would add commands of its own never reaches the envelope.
        const QString bad = "to@example.org>\r\nDATA";
        QCOMPARE(runThread(port("plain"), false, {}, bad), QStringList { EmailAddress(bad).validationError() });
        QCOMPARE(joined(next("plain").value("commands")), Hello + "QUIT");
    }

    void shutdownEndsRunningThreads()
    {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        int held = 0;
        connect(&silent, &QTcpServer::newConnection, this, [&] { held += silent.nextPendingConnection() != nullptr; });
        responseTimeout = 120000;
        const QPointer<SMTPThread> first = startThread(silent.serverPort()), second = startThread(silent.serverPort());
        QTRY_COMPARE_WITH_TIMEOUT(held, 2, 30000);
        // Well inside the two minutes the threads would otherwise wait.
        QVERIFY(SMTPThread::ShutdownAll(30000));
        QTRY_VERIFY(first.isNull() && second.isNull());
        for (const QStringList& each : results.mid(results.size() - 2))
            QVERIFY(each.size() == 1 && !each.first().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_Smtp)
#include "tst_smtp.moc"
