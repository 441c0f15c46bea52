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
const QStringList Greeted { "220 ready\r\n", "<", "250 hello\r\n" };
const QStringList Accepting { "<", "250 ok\r\n", "<", "250 ok\r\n", "<", "354 go\r\n", "<.", "250 stored\r\n" };

// The servers of smtp_server.py, with certificates signed by a test authority
// that clients trust only when told to.
class Servers
{
public:
    Servers()
    {
        authority = TestCertificate::createAuthority(m_folder.path());
        const auto made = [this](const char* name, const char* hosts) {
            return TestCertificate::createSigned(m_folder.path(), name, hosts, authority);
        };
        const TestCertificate server = made("server", "IP:127.0.0.1,DNS:localhost"), other = made("other", "DNS:mail.invalid");
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start("/usr/bin/python3", { "-B", SMTP_SERVER_SCRIPT, server.certificatePath, server.keyPath,
                                                other.certificatePath, other.keyPath, User, Password });
        ports = next(QString()).value("ports").toObject();
    }
    ~Servers()
    {
        m_process.closeWriteChannel();
        m_process.waitForFinished(5000);
    }

    // The port of a new server that plays script to one client.
    quint16 scripted(const QStringList& script)
    {
        m_process.write(QJsonDocument(QJsonObject { { "script", QJsonArray::fromStringList(script) } }).toJson(QJsonDocument::Compact) + '\n');
        return quint16(next("listening").value("port").toInt());
    }

    // What happened on the next connection to server, once it has closed.
    QJsonObject next(const QString& server)
    {
        while (m_process.canReadLine() || m_process.waitForReadyRead(30000)) {
            const QJsonObject report = m_process.canReadLine() ? QJsonDocument::fromJson(m_process.readLine()).object() : QJsonObject();
            if (report.value("server").toString() == server && !report.isEmpty())
                return report;
        }
        return {};
    }

    TestCertificate authority;
    QJsonObject ports;

private:
    QTemporaryDir m_folder;
    QProcess m_process;
};

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

// Keeps the text it handed to the client, or hands over a given one.
class KeptMessage : public MimeMessage
{
public:
    QString toMimeString() override { return fixed.isNull() ? (sent = MimeMessage::toMimeString()) : fixed; }
    QString fixed, sent;
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

    Servers servers;

private slots:
    void initTestCase()
    {
        QVERIFY2(!servers.ports.isEmpty(), "aiosmtpd did not start");
        SmtpClient::setTestSetup(&setUpClient);
        logged = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            see(text);
            logged(type, context, text);
        });
    }

    void init()
    {
        trusted = { servers.authority.certificate };
        responseTimeout = 5000;
    }

    void cleanupTestCase()
    {
        // No credential, in any form, ever reached a log or a result.
        const QByteArray password = Password.toUtf8();
        const QStringList secrets { Password, password.toBase64(), ('\0' + User.toUtf8() + '\0' + password).toBase64(), "AUTH" };
        const QMutexLocker lock(&seenLock);
        for (const QString& secret : secrets)
            QVERIFY2(seen.filter(secret).isEmpty(), qPrintable(seen.filter(secret).join('\n')));
    }

    void deliversThroughAiosmtpd_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("method");
        QTest::addColumn<QString>("password"); // empty: no login
        QTest::addColumn<QString>("error"); // how lastError() starts; empty for success
        QTest::addColumn<QString>("commands"); // as the server saw them; empty: no conversation

        const int tcp = SmtpClient::TcpConnection, ssl = SmtpClient::SslConnection, tls = SmtpClient::TlsConnection;
        const int plain = SmtpClient::AuthPlain, login = SmtpClient::AuthLogin;
        const QString issuer = "The issuer certificate", failed = "Authentication failed", refused = "EHLO localhost|STARTTLS";
        const QString mail = "MAIL FROM:<from@example.com>|RCPT TO:<to@example.org>|RCPT TO:<cc@example.org>|"
                             "RCPT TO:<bcc@example.net>|DATA|QUIT";
        QTest::newRow("plain, AUTH PLAIN") << "plain" << tcp << plain << Password << "" << Hello + "AUTH PLAIN|" + mail;
        QTest::newRow("plain, AUTH PLAIN, wrong") << "plain" << tcp << plain << "wrong" << failed << Hello + "AUTH PLAIN|QUIT";
        QTest::newRow("plain, AUTH LOGIN, wrong") << "plain" << tcp << login << "wrong" << failed << Hello + "AUTH LOGIN|QUIT";
        QTest::newRow("TLS, AUTH LOGIN") << "tls" << ssl << login << Password << "" << Hello + "AUTH LOGIN|" + mail;
        QTest::newRow("STARTTLS, AUTH PLAIN") << "starttls" << tls << plain << Password << "" << Upgraded + "AUTH PLAIN|" + mail;
        QTest::newRow("plain upgraded, AUTH LOGIN") << "starttls" << tcp << login << Password << "" << Upgraded + "AUTH LOGIN|" + mail;
        QTest::newRow("TLS, unknown authority") << "tls" << ssl << plain << "" << issuer << "";
        QTest::newRow("TLS, another host's certificate") << "wrongname" << ssl << plain << "" << "The host name did not match" << "";
        QTest::newRow("STARTTLS, unknown authority") << "starttls" << tls << plain << "" << issuer << refused;
        QTest::newRow("plain upgraded, unknown authority") << "starttls" << tcp << plain << "" << issuer << refused;
    }
    void deliversThroughAiosmtpd()
    {
        QFETCH(QString, server);
        QFETCH(int, type);
        QFETCH(int, method);
        QFETCH(QString, password);
        QFETCH(QString, error);
        QFETCH(QString, commands);
        if (error.startsWith("The issuer"))
            trusted.clear();
        EmailAddress from(From, "Tarnwickstone"), to(To), cc("cc@example.org", "Copy"), bcc("bcc@example.net");
        KeptMessage message;
        message.setSender(&from);
        message.addTo(&to);
        message.addCc(&cc);
        message.addBcc(&bcc);
        message.setSubject(QStringLiteral("Отбор на сегодня"));
        MimeHtml part(Html);
        message.addPart(&part);
        {
            SmtpClient client("localhost", servers.ports[server].toInt(), SmtpClient::ConnectionType(type));
            const bool sent = client.connectToServer()
                && (password.isEmpty() || client.login(User, password, SmtpClient::AuthMethod(method))) && client.sendMail(message);
            client.quit();
            see(client.lastError());
            QVERIFY2(error.isEmpty() ? sent && client.lastError().isEmpty() : !sent && client.lastError().startsWith(error),
                qPrintable(client.lastError()));
        }
        if (commands.isEmpty())
            return;
        const QJsonObject conversation = servers.next(server);
        QCOMPARE(joined(conversation.value("commands")), commands);
        if (!error.isEmpty())
            return;
        QCOMPARE(conversation.value("auth").toArray(), password.isEmpty() ? QJsonArray() : QJsonArray { true });
        const QJsonObject stored = conversation.value("message").toObject();
        QCOMPARE(stored.value("rcpt_tos").toArray(), QJsonArray({ To, "cc@example.org", "bcc@example.net" }));
        QCOMPARE(stored.value("tls").toBool(), server != "plain");
        QCOMPARE(fromBase64(stored.value("content")), message.sent.toUtf8());
        const QJsonObject report = stored.value("report").toObject();
        QCOMPARE(joined(report.value("problems")), QString());
        QCOMPARE(report.value("subject").toString(), message.subject());
        QCOMPARE(fromBase64(report.value("parts")[0][1]), Html.toUtf8());
    }

    void dataIsTransparent()
    {
        EmailAddress from(From), to(To);
        KeptMessage message;
        message.fixed = ".first\nsecond\r\n.\r\nthird\r..x\n..";
        message.setSender(&from);
        message.addTo(&to);
        {
            SmtpClient client("127.0.0.1", servers.scripted(QStringList { "~" } + Greeted + Accepting), SmtpClient::TcpConnection);
            QVERIFY(client.connectToServer() && client.sendMail(message));
            client.quit();
            QCOMPARE(client.lastError(), QString()); // a slow greeting is no error
        }
        // Line ends become CR LF, every leading period is doubled, a final CR LF comes before the lone period.
        QCOMPARE(fromBase64(servers.next("scripted").value("data")), QByteArray("..first\r\nsecond\r\n..\r\nthird\r\n...x\r\n...\r\n.\r\n"));
    }

    void threadSendsOneHtmlMail()
    {
        QCOMPARE(runThread(servers.ports["tls"].toInt(), true, Password), QStringList { "OK" });
        const QJsonObject conversation = servers.next("tls");
        QCOMPARE(joined(conversation.value("commands")), Hello + "AUTH LOGIN|MAIL FROM:<from@example.com>|RCPT TO:<to@example.org>|DATA|QUIT");
        const QJsonObject report = conversation.value("message")["report"].toObject();
        QCOMPARE(joined(report.value("problems")), QString());
        QCOMPARE(report.value("from").toArray(), QJsonArray({ QJsonArray({ "Tarnwickstone", From }) }));
        QCOMPARE(report.value("subject").toString(), QStringLiteral("Отбор"));
        QCOMPARE(report.value("tree").toArray(), QJsonArray({ "multipart/related", "text/html" }));
        QCOMPARE(fromBase64(report.value("parts")[0][1]), Html.toUtf8());
    }

    void threadReportsOneResult_data()
    {
        QTest::addColumn<QStringList>("script"); // see smtp_server.py
        QTest::addColumn<QString>("password"); // empty: no login
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("lines"); // what the client said

        const QString mail = "MAIL FROM:<from@example.com>|", sent = mail + "RCPT TO:<to@example.org>|DATA|<data>|QUIT";
        QTest::newRow("greeting of two lines, in pieces")
            << QStringList { "220-mail.test first\r\n22", "~", "0 second\r\n", "<", "250-a\r\n", "~", "250 b\r\n" } + Accepting << ""
            << "OK" << Hello + sent;
        QTest::newRow("bare 250 ends the reply")
            << QStringList { "220 ready\r\n", "<", "250-mail.test\r\n250\r\n" } + Accepting << "" << "OK" << Hello + sent;
        QTest::newRow("RCPT answered 251")
            << Greeted + QStringList { "<", "250 ok\r\n", "<", "251 forward\r\n", "<", "354 go\r\n", "<.", "250 stored\r\n" } << ""
            << "OK" << Hello + sent;
        QTest::newRow("greeting 554") << QStringList { "554 go away\r\n", "!" } << "" << "Server returned an error" << "";
        QTest::newRow("silent server") << QStringList() << "" << "Response timeout" << "";
        QTest::newRow("closed after 535")
            << Greeted + QStringList { "<", "334 VXNlcm5hbWU6\r\n", "<", "334 UGFzc3dvcmQ6\r\n", "<", "535 no\r\n", "!" } << "secret"
            << "Authentication failed" << Hello + "AUTH LOGIN|dHJhZGVyQGV4YW1wbGUub3Jn|c2VjcmV0";
        QTest::newRow("MAIL answered 252") << Greeted + QStringList { "<", "252 maybe\r\n" } << ""
                                           << "Unexpected server reply: 252 maybe" << Hello + mail + "QUIT";
        QTest::newRow("text slipped in after the STARTTLS answer")
            << QStringList { "220 ready\r\n", "<", "250-mail.test\r\n250 STARTTLS\r\n", "<", "220 go\r\n250 injected\r\n" } << ""
            << "Unexpected server reply: 250 injected" << "EHLO localhost|STARTTLS";
    }
    void threadReportsOneResult()
    {
        QFETCH(QStringList, script);
        QFETCH(QString, password);
        QFETCH(QString, result);
        QFETCH(QString, lines);
        responseTimeout = 2000;
        QCOMPARE(runThread(servers.scripted(script), false, password), QStringList { result });
        QCOMPARE(joined(servers.next("scripted").value("lines")), lines);
    }

    void threadRefusesBeforeConnecting()
    {
        // 65536 + p once became port p.
        for (const int port : { 0, 65536, 65536 + servers.ports["plain"].toInt() })
            QCOMPARE(runThread(port), QStringList { QStringLiteral("Invalid SMTP port: %1").arg(port) });
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        QCOMPARE(runThread(port), QStringList { "Connection timeout" });
        // An address that would add commands of its own never reaches the envelope.
        const QString bad = "to@example.org>\r\nDATA";
        QCOMPARE(runThread(servers.ports["plain"].toInt(), false, {}, bad), QStringList { EmailAddress(bad).validationError() });
        QCOMPARE(joined(servers.next("plain").value("commands")), Hello + "QUIT");
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
