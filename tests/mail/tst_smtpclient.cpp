#include "EmailAddress.h"
#include "MailReferee.h"
#include "MimeHtml.h"
#include "MimeMessage.h"
#include "ScriptedSmtpServer.h"
#include "SmtpClient.h"
#include "SmtpTestServers.h"

#include <QJsonArray>
#include <QSslConfiguration>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(ServerScript)

namespace {

using S = ServerStep;

QList<QSslCertificate> trusted;

void trustTestAuthority(SmtpClient&, QSslConfiguration& tls)
{
    tls.addCaCertificates(trusted);
}

// A real message that keeps the text it handed to the client.
class KeptMessage : public MimeMessage
{
public:
    QString toMimeString() override
    {
        sent = MimeMessage::toMimeString();
        return sent;
    }
    QString sent;
};

// A message whose text is given, to see exactly what DATA carries.
class FixedMessage : public MimeMessage
{
public:
    explicit FixedMessage(const QString& text)
        : text(text)
    {
    }
    QString toMimeString() override { return text; }
    const QString text;
};

const QByteArray Greeting = "220 mail.test ready\r\n";
const QByteArray Hello = "250-mail.test\r\n250 HELP\r\n";
const QByteArray Ok = "250 ok\r\n";

// The server reads one line and answers it.
ServerScript answer(const QByteArray& reply)
{
    return { S::readLine(), S::send(reply) };
}

ServerScript greeted(const QByteArray& hello = Hello)
{
    return ServerScript { S::send(Greeting) } + answer(hello);
}

ServerScript acceptsMail(const QByteArray& mailReply = Ok, const QByteArray& rcptReply = Ok)
{
    return greeted() + answer(mailReply) + answer(rcptReply) + answer("354 go ahead\r\n")
        + ServerScript { S::readData(), S::send("250 stored\r\n") };
}

const QString Sender = QStringLiteral("sender@example.com");
const QString Recipient = QStringLiteral("to@example.org");
const QStringList Envelope
    = { "MAIL FROM:<sender@example.com>", "RCPT TO:<to@example.org>", "DATA", "<data>", "QUIT" };

// Connects, then takes the steps in turn until one fails; QUIT after a
// successful connection, as the mail thread does.
QString RunClient(quint16 port, const QStringList& steps, MimeMessage& message, bool* ok)
{
    SmtpClient client(QStringLiteral("127.0.0.1"), port, SmtpClient::TcpConnection);
    client.setResponseTimeout(2000);
    *ok = client.connectToServer();
    if (!*ok)
        return client.lastError();
    for (const QString& step : steps) {
        if (step == QLatin1String("AUTH LOGIN"))
            *ok = client.login(QStringLiteral("user"), QStringLiteral("pass"), SmtpClient::AuthLogin);
        else if (step == QLatin1String("send"))
            *ok = client.sendMail(message);
        if (!*ok)
            break;
    }
    client.quit();
    return client.lastError();
}

} // namespace

class tst_SmtpClient : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void deliversOverEveryConnection_data();
    void deliversOverEveryConnection();
    void refusesUnverifiedTls_data();
    void refusesUnverifiedTls();

    void scriptedConversations_data();
    void scriptedConversations();
    void authPlainCarriesTheCredentials_data();
    void authPlainCarriesTheCredentials();
    void dataIsTransparent_data();
    void dataIsTransparent();
    void refusesPortsOutOfRange_data();
    void refusesPortsOutOfRange();

private:
    std::unique_ptr<SmtpTestServers> servers;
};

void tst_SmtpClient::initTestCase()
{
    servers = std::make_unique<SmtpTestServers>();
    QVERIFY2(servers->error().isEmpty(), qPrintable(servers->error()));
    SmtpClient::setTestSetup(&trustTestAuthority);
}

void tst_SmtpClient::cleanupTestCase()
{
    SmtpClient::setTestSetup(nullptr);
    servers.reset();
}

void tst_SmtpClient::init()
{
    trusted = { servers->authority() };
    servers->clear();
}

void tst_SmtpClient::deliversOverEveryConnection_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("method"); // -1: no login
    QTest::addColumn<QStringList>("opening");
    QTest::addColumn<bool>("encrypted");

    const int none = -1, plain = SmtpClient::AuthPlain, login = SmtpClient::AuthLogin;
    const QStringList hello { "EHLO localhost" };
    const QStringList upgraded { "EHLO localhost", "STARTTLS", "<tls>", "EHLO localhost" };
    QTest::newRow("plain, no login") << "plain"
                                     << "127.0.0.1" << int(SmtpClient::TcpConnection) << none << hello
                                     << false;
    QTest::newRow("plain, AUTH PLAIN") << "plain"
                                       << "127.0.0.1" << int(SmtpClient::TcpConnection) << plain
                                       << hello + QStringList { "AUTH PLAIN" } << false;
    QTest::newRow("plain, AUTH LOGIN") << "plain"
                                       << "127.0.0.1" << int(SmtpClient::TcpConnection) << login
                                       << hello + QStringList { "AUTH LOGIN" } << false;
    QTest::newRow("TLS, AUTH LOGIN") << "tls"
                                     << "127.0.0.1" << int(SmtpClient::SslConnection) << login
                                     << hello + QStringList { "AUTH LOGIN" } << true;
    QTest::newRow("TLS by host name") << "tls"
                                      << "localhost" << int(SmtpClient::SslConnection) << plain
                                      << hello + QStringList { "AUTH PLAIN" } << true;
    QTest::newRow("STARTTLS, AUTH PLAIN") << "starttls"
                                          << "127.0.0.1" << int(SmtpClient::TlsConnection) << plain
                                          << upgraded + QStringList { "AUTH PLAIN" } << true;
    QTest::newRow("plain, upgraded when offered") << "starttls"
                                                  << "127.0.0.1" << int(SmtpClient::TcpConnection) << login
                                                  << upgraded + QStringList { "AUTH LOGIN" } << true;
}

void tst_SmtpClient::deliversOverEveryConnection()
{
    QFETCH(QString, server);
    QFETCH(QString, host);
    QFETCH(int, type);
    QFETCH(int, method);
    QFETCH(QStringList, opening);
    QFETCH(bool, encrypted);

    const QString html = QStringLiteral(".leading period\n<p>Ставки</p>\n.\n..\r\nend");
    EmailAddress from(Sender, QStringLiteral("Tarnwickstone"));
    EmailAddress to(Recipient);
    EmailAddress cc(QStringLiteral("cc@example.org"), QStringLiteral("Copy"));
    EmailAddress bcc(QStringLiteral("bcc@example.net"));
    KeptMessage message;
    message.setSender(&from);
    message.addTo(&to);
    message.addCc(&cc);
    message.addBcc(&bcc);
    message.setSubject(QStringLiteral("Отбор на сегодня"));
    MimeHtml part(html);
    message.addPart(&part);
    {
        SmtpClient client(host, servers->port(server), SmtpClient::ConnectionType(type));
        QVERIFY2(client.connectToServer(), qPrintable(client.lastError()));
        if (method >= 0)
            QVERIFY(client.login(
                SmtpTestServers::User, SmtpTestServers::Password, SmtpClient::AuthMethod(method)));
        QVERIFY2(client.sendMail(message), qPrintable(client.lastError()));
        client.quit();
        QCOMPARE(client.lastError(), QString());
    }

    const QList<QJsonObject> conversation = servers->waitForConversation(server);
    const QStringList envelope { "MAIL FROM:<sender@example.com>", "RCPT TO:<to@example.org>",
        "RCPT TO:<cc@example.org>", "RCPT TO:<bcc@example.net>", "DATA", "QUIT" };
    QCOMPARE(SmtpTestServers::commands(conversation), opening + envelope);
    if (method >= 0)
        QVERIFY(SmtpTestServers::only(conversation, "auth").value("success").toBool());

    const QJsonObject stored = SmtpTestServers::only(conversation, "message");
    QCOMPARE(stored.value("mail_from").toString(), Sender);
    QCOMPARE(stored.value("rcpt_tos").toArray(),
        QJsonArray({ "to@example.org", "cc@example.org", "bcc@example.net" }));
    QCOMPARE(stored.value("tls").toBool(), encrypted);
    const QByteArray content = QByteArray::fromBase64(stored.value("content").toString().toLatin1());
    QVERIFY(!message.sent.isEmpty());
    QCOMPARE(content, message.sent.toUtf8());

    const QJsonObject report = referee(content);
    QVERIFY2(!report.contains("error"), qPrintable(report.value("error").toString()));
    QCOMPARE(report.value("bareLineEnds").toInt(-1), 0);
    QCOMPARE(report.value("defects").toArray(), QJsonArray());
    QCOMPARE(report.value("subject").toString(), message.subject());
    QCOMPARE(report.value("to").toArray(), QJsonArray { QJsonArray({ "", "to@example.org" }) });
    QCOMPARE(report.value("tree").toArray(), QJsonArray({ "multipart/related", "text/html" }));
    QCOMPARE(report.value("parts").toArray().at(0).toObject().value("text").toString(),
        QString(html).replace("\r\n", "\n").replace("\n", "\r\n"));
    QVERIFY(!QString::fromUtf8(content).contains("bcc@example.net"));
}

void tst_SmtpClient::refusesUnverifiedTls_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("trust");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QStringList>("commands");

    const QString unknownIssuer = QStringLiteral("issuer certificate");
    QTest::newRow("TLS, unknown authority")
        << "tls" << int(SmtpClient::SslConnection) << false << unknownIssuer << QStringList();
    QTest::newRow("TLS, certificate for another host")
        << "wrongname" << int(SmtpClient::SslConnection) << true << "host name" << QStringList();
    QTest::newRow("STARTTLS, unknown authority")
        << "starttls" << int(SmtpClient::TlsConnection) << false << unknownIssuer
        << QStringList { "EHLO localhost", "STARTTLS" };
    QTest::newRow("plain upgraded, unknown authority")
        << "starttls" << int(SmtpClient::TcpConnection) << false << unknownIssuer
        << QStringList { "EHLO localhost", "STARTTLS" };
}

void tst_SmtpClient::refusesUnverifiedTls()
{
    QFETCH(QString, server);
    QFETCH(int, type);
    QFETCH(bool, trust);
    QFETCH(QString, reason);
    QFETCH(QStringList, commands);

    if (!trust)
        trusted.clear();
    {
        SmtpClient client(
            QStringLiteral("127.0.0.1"), servers->port(server), SmtpClient::ConnectionType(type));
        QVERIFY(!client.connectToServer());
        QVERIFY2(client.lastError().contains(reason), qPrintable(client.lastError()));
    }
    // A failed handshake on a TLS port never becomes a conversation there.
    if (!commands.isEmpty())
        QCOMPARE(SmtpTestServers::commands(servers->waitForConversation(server)), commands);
}

void tst_SmtpClient::scriptedConversations_data()
{
    QTest::addColumn<ServerScript>("script");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("sender");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QStringList>("lines");

    const QStringList hello { "EHLO localhost" };
    const QStringList sending { "send" };
    const QString invalidSender = QStringLiteral("sender@example.com>\r\nRCPT TO:<victim@example.net");

    QTest::newRow("greeting of two lines")
        << ServerScript { S::send("220-mail.test first\r\n"), S::pause(300),
               S::send("220 mail.test second\r\n") }
            + answer(Hello)
        << QStringList() << Sender << true << "" << QStringList { "EHLO localhost", "QUIT" };
    QTest::newRow("greeting 554") << ServerScript { S::send("554 no service here\r\n") } << QStringList()
                                  << Sender << false << "Server returned an error" << QStringList();
    QTest::newRow("bare 250 ends the EHLO reply") << greeted("250-mail.test\r\n250\r\n") << QStringList()
                                                  << Sender << true << "" << hello + QStringList { "QUIT" };
    QTest::newRow("reply in pieces") << ServerScript { S::send("22"), S::pause(100), S::send("0 ready\r\n") }
            + answer("250-a\r\n") + ServerScript { S::pause(100), S::send("250 b\r\n") }
                                     << QStringList() << Sender << true << ""
                                     << hello + QStringList { "QUIT" };
    QTest::newRow("silent server") << ServerScript() << QStringList() << Sender << false << "Response timeout"
                                   << QStringList();
    QTest::newRow("closed after 535")
        << greeted() + answer("334 VXNlcm5hbWU6\r\n") + answer("334 UGFzc3dvcmQ6\r\n")
            + answer("535 5.7.8 rejected\r\n") + ServerScript { S::close() }
        << QStringList { "AUTH LOGIN", "send" } << Sender << false << "Authentication failed"
        << hello + QStringList { "AUTH LOGIN", "dXNlcg==", "cGFzcw==" };
    QTest::newRow("RCPT answered 251")
        << acceptsMail(Ok, "251 will forward\r\n") << sending << Sender << true << "" << hello + Envelope;
    QTest::newRow("MAIL answered 299")
        << greeted() + answer("299 odd but not an error\r\n") << sending << Sender << false
        << "Unexpected server reply: 299 odd but not an error"
        << hello + QStringList { "MAIL FROM:<sender@example.com>", "QUIT" };
    QTest::newRow("MAIL answered 451")
        << greeted() + answer("451 try later\r\n") << sending << Sender << false << "Server returned an error"
        << hello + QStringList { "MAIL FROM:<sender@example.com>", "QUIT" };
    QTest::newRow("RCPT answered 550")
        << greeted() + answer(Ok) + answer("550 no such user\r\n") << sending << Sender << false
        << "SMTP client error"
        << hello + QStringList { "MAIL FROM:<sender@example.com>", "RCPT TO:<to@example.org>", "QUIT" };
    QTest::newRow("unusable sender never reaches the envelope")
        << greeted() << sending << invalidSender << false << EmailAddress(invalidSender).validationError()
        << hello + QStringList { "QUIT" };
    QTest::newRow("text slipped in after the STARTTLS answer")
        << greeted("250-mail.test\r\n250 STARTTLS\r\n") + answer("220 go ahead\r\n250 injected\r\n")
        << QStringList() << Sender << false << "Unexpected server reply: 250 injected"
        << QStringList { "EHLO localhost", "STARTTLS" };
}

void tst_SmtpClient::scriptedConversations()
{
    QFETCH(ServerScript, script);
    QFETCH(QStringList, steps);
    QFETCH(QString, sender);
    QFETCH(bool, ok);
    QFETCH(QString, error);
    QFETCH(QStringList, lines);

    EmailAddress from(sender);
    EmailAddress to(Recipient);
    MimeMessage message;
    message.setSender(&from);
    message.addTo(&to);
    MimeHtml part(QStringLiteral("<p>x</p>"));
    message.addPart(&part);

    ScriptedSmtpServer server(script);
    bool succeeded = false;
    QCOMPARE(RunClient(server.port(), steps, message, &succeeded), error);
    QCOMPARE(succeeded, ok);
    QVERIFY(server.waitForHangUp(20000));
    QCOMPARE(server.clientLines(), lines);
}

void tst_SmtpClient::authPlainCarriesTheCredentials_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("line");
    QTest::newRow("empty") << ""
                           << ""
                           << "AUTH PLAIN AAA=";
    QTest::newRow("ASCII") << "user"
                           << "pass"
                           << "AUTH PLAIN AHVzZXIAcGFzcw==";
    QTest::newRow("UTF-8") << "ü"
                           << "п"
                           << "AUTH PLAIN AMO8ANC/";
}

void tst_SmtpClient::authPlainCarriesTheCredentials()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, line);

    ScriptedSmtpServer server(greeted() + answer("235 welcome\r\n"));
    {
        SmtpClient client(QStringLiteral("127.0.0.1"), server.port(), SmtpClient::TcpConnection);
        QVERIFY(client.connectToServer());
        QVERIFY(client.login(user, password, SmtpClient::AuthPlain));
    }
    QVERIFY(server.waitForHangUp(20000));
    QCOMPARE(server.clientLines(), QStringList({ "EHLO localhost", line }));
}

void tst_SmtpClient::dataIsTransparent_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("periods and bare line ends")
        << ".first\nsecond\r\n.\r\nthird\r..x\n.."
        << QByteArray("..first\r\nsecond\r\n..\r\nthird\r\n...x\r\n...\r\n.\r\n");
    QTest::newRow("ends with CR LF") << "a\r\n" << QByteArray("a\r\n.\r\n");
    QTest::newRow("lone period") << "." << QByteArray("..\r\n.\r\n");
}

void tst_SmtpClient::dataIsTransparent()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, data);

    EmailAddress from(Sender);
    EmailAddress to(Recipient);
    FixedMessage message(text);
    message.setSender(&from);
    message.addTo(&to);

    ScriptedSmtpServer server(acceptsMail());
    bool ok = false;
    QCOMPARE(RunClient(server.port(), { "send" }, message, &ok), QString());
    QVERIFY(ok);
    QVERIFY(server.waitForHangUp(20000));
    QCOMPARE(server.data(), data);
}

void tst_SmtpClient::refusesPortsOutOfRange_data()
{
    QTest::addColumn<int>("offset"); // added to the server's own port, 0 for none
    QTest::addColumn<int>("port");
    QTest::newRow("negative") << 0 << -25;
    QTest::newRow("zero") << 0 << 0;
    QTest::newRow("one past the last") << 0 << 65536;
    QTest::newRow("would wrap onto a listening port") << 65536 << 0;
}

void tst_SmtpClient::refusesPortsOutOfRange()
{
    QFETCH(int, offset);
    QFETCH(int, port);

    ScriptedSmtpServer server(greeted());
    if (offset)
        port = offset + server.port();
    SmtpClient client(QStringLiteral("127.0.0.1"), port, SmtpClient::TcpConnection);
    QVERIFY(!client.connectToServer());
    QCOMPARE(client.lastError(), QStringLiteral("Invalid SMTP port: %1").arg(port));
    QCOMPARE(server.connectionCount(), 0);
}

QTEST_GUILESS_MAIN(tst_SmtpClient)
#include "tst_smtpclient.moc"
