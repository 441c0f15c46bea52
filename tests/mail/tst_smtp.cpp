#include "EmailAddress.h"
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
const QString Html = QStringLiteral("<p>Рынок</p>\r\n.\r\n..\r\n<p>end</p>");
const QString Hello = "EHLO localhost|", Mail = "MAIL FROM:<from@example.com>|RCPT TO:<to@example.org>|";
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

class FixedMessage : public MimeMessage
{
public:
    QString toMimeString() override { return fixed; }
    QString fixed;
};

// What each mail thread reported, in the order they were started.
QVector<QStringList> results;

// A mail thread started the way the program starts one.
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

    // smtp_server.py, with a certificate for 127.0.0.1 (not for localhost) signed by
    // a test authority that clients trust only when told to.
    QTemporaryDir m_folder;
    QProcess m_servers;
    TestCertificate m_authority;

    // The port of a new server that plays script to one client.
    int scripted(const QStringList& script)
    {
        m_servers.write(QJsonDocument(QJsonObject { { "script", QJsonArray::fromStringList(script) } }).toJson(QJsonDocument::Compact) + '\n');
        return next("port").value("port").toInt();
    }

    // The next record that holds key: a new server's "port", a closed connection's "lines".
    QJsonObject next(const QString& key)
    {
        while (m_servers.canReadLine() || m_servers.waitForReadyRead(30000)) {
            const QJsonObject record = m_servers.canReadLine() ? QJsonDocument::fromJson(m_servers.readLine()).object() : QJsonObject();
            if (record.contains(key))
                return record;
        }
        return {};
    }

private slots:
    void initTestCase()
    {
        m_authority = TestCertificate::createAuthority(m_folder.path());
        const TestCertificate server = TestCertificate::createSigned(m_folder.path(), "server", "IP:127.0.0.1", m_authority);
        m_servers.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_servers.start("/usr/bin/python3", { "-B", SMTP_SERVER_SCRIPT, server.certificatePath, server.keyPath });
        QVERIFY(m_servers.waitForStarted());
        SmtpClient::setTestSetup(&setUpClient);
        logged = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            see(text);
            logged(type, context, text);
        });
    }

    void init()
    {
        trusted = { m_authority.certificate };
        responseTimeout = 2000;
    }

    void cleanupTestCase()
    {
        m_servers.closeWriteChannel();
        m_servers.waitForFinished(5000);
        // No credential, in any form, ever reached a log or a result.
        const QStringList secrets { Password, Password.toUtf8().toBase64(), User.toUtf8().toBase64(), "AUTH" };
        const QMutexLocker lock(&seenLock);
        for (const QString& secret : secrets)
            QVERIFY2(seen.filter(secret).isEmpty(), qPrintable(seen.filter(secret).join('\n')));
    }

    void dataIsTransparent()
    {
        EmailAddress from("from@example.com"), to("to@example.org");
        FixedMessage message;
        message.fixed = ".first\nsecond\r\n.\r\nthird\r..x\n..";
        message.setSender(&from);
        message.addTo(&to);
        {
            SmtpClient client("127.0.0.1", scripted(QStringList { "~" } + Greeted + Accepting), SmtpClient::TcpConnection);
            QVERIFY(client.connectToServer() && client.sendMail(message)); // a slow greeting is no error
            client.quit();
        }
        // Line ends become CR LF, every leading period is doubled, a final CR LF comes before the lone period.
        QCOMPARE(next("lines").value("data").toString().toLatin1(), QByteArray("..first\r\nsecond\r\n..\r\nthird\r\n...x\r\n...\r\n.\r\n"));
    }

    void threadReportsOneResult_data()
    {
        QTest::addColumn<QStringList>("script"); // see smtp_server.py
        QTest::addColumn<bool>("ssl");
        QTest::addColumn<QString>("password"); // empty: no login
        QTest::addColumn<QString>("result"); // how it starts
        QTest::addColumn<QString>("lines"); // what the client said

        const QStringList loggedIn { "<", "334 VXNlcm5hbWU6\r\n", "<", "334 UGFzc3dvcmQ6\r\n", "<", "235 ok\r\n" };
        const QStringList offer { "220 ready\r\n", "<", "250-x\r\n250 STARTTLS\r\n", "<" };
        const QStringList upgrade = offer + QStringList { "220 go\r\n", "tls" };
        const QString login = "AUTH LOGIN|" + User.toUtf8().toBase64() + '|' + Password.toUtf8().toBase64() + '|';
        const QString sent = Mail + "DATA|<data>|QUIT", upgraded = "EHLO localhost|STARTTLS|<tls>|EHLO localhost|";
        QTest::newRow("TLS") << QStringList { "tls" } + Greeted + loggedIn + Accepting << true << Password << "OK"
                             << "<tls>|" + Hello + login + sent;
        QTest::newRow("plain upgraded") << upgrade + Greeted.mid(1) + loggedIn + Accepting << false << Password << "OK"
                                        << upgraded + login + sent;
        QTest::newRow("plain upgraded, unknown authority")
            << upgrade << false << "" << "The issuer certificate" << "EHLO localhost|STARTTLS|<no tls>";
        QTest::newRow("plain, replies in pieces, a bare 250, RCPT answered 251")
            << QStringList { "220-mail.test first\r\n22", "~", "0 second\r\n", "<", "250-a\r\n", "~", "250\r\n", "<", "250 ok\r\n",
                   "<", "251 forward\r\n", "<", "354 go\r\n", "<.", "250 stored\r\n" }
            << false << "" << "OK" << Hello + sent;
        QTest::newRow("silent server") << QStringList() << false << "" << "Response timeout" << "";
        QTest::newRow("closed after 535") << Greeted + loggedIn.mid(0, 4) + QStringList { "<", "535 no\r\n", "!" } << false << Password
                                          << "Authentication failed" << Hello + login.chopped(1);
        QTest::newRow("MAIL answered 252") << Greeted + QStringList { "<", "252 maybe\r\n" } << false << ""
                                           << "Unexpected server reply: 252 maybe" << Hello + "MAIL FROM:<from@example.com>|QUIT";
        QTest::newRow("text slipped in after the STARTTLS answer")
            << offer + QStringList { "220 go\r\n250 injected\r\n" } << false << "" << "Unexpected server reply: 250 injected"
            << "EHLO localhost|STARTTLS";
    }
    void threadReportsOneResult()
    {
        QFETCH(QStringList, script);
        QFETCH(bool, ssl);
        QFETCH(QString, password);
        QFETCH(QString, result);
        QFETCH(QString, lines);
        if (result.startsWith("The issuer"))
            trusted.clear();
        const QStringList results = runThread(scripted(script), ssl, password);
        QVERIFY2(results.size() == 1 && results.first().startsWith(result), qPrintable(results.join('|')));
        const QJsonObject conversation = next("lines");
        QCOMPARE(conversation.value("lines").toString(), lines);
        if (result != "OK")
            return;
        const QJsonObject report = conversation.value("report").toObject();
        QCOMPARE(report.value("problems").toString(), QString());
        QCOMPARE(report.value("tree").toArray(), QJsonArray({ "multipart/related", "text/html" }));
        QCOMPARE(report.value("parts")[0][1].toString().toLatin1(), Html.toUtf8());
    }

    void refusedBeforeMail()
    {
        SmtpClient wrongName("localhost", scripted({ "tls" }), SmtpClient::SslConnection);
        QVERIFY(!wrongName.connectToServer());
        QVERIFY2(wrongName.lastError().startsWith("The host name did not match"), qPrintable(wrongName.lastError()));
        QCOMPARE(next("lines").value("lines").toString(), "<no tls>");
        // 65536 + p once became port p.
        for (const int port : { 0, 65536 + 25 })
            QCOMPARE(runThread(port), QStringList { QStringLiteral("Invalid SMTP port: %1").arg(port) });
        // An address that would add commands of its own never reaches the envelope.
        const QString bad = "to@example.org>\r\nDATA";
        QCOMPARE(runThread(scripted(Greeted), false, {}, bad), QStringList { EmailAddress(bad).validationError() });
        QCOMPARE(next("lines").value("lines").toString(), Hello + "QUIT");
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
