#include "EmailAddress.h"
#include "MailReferee.h"
#include "SMTPThread.h"
#include "ScriptedSmtpServer.h"
#include "SmtpClient.h"
#include "SmtpTestServers.h"

#include <QJsonArray>
#include <QPointer>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(ServerScript)

namespace {

using S = ServerStep;

// What every mail thread's client gets, through the test seam.
QList<QSslCertificate> trusted;
int responseTimeout = 5000;

void setUpClient(SmtpClient& client, QSslConfiguration& tls)
{
    tls.addCaCertificates(trusted);
    client.setResponseTimeout(responseTimeout);
}

// Everything the program wrote to its log while a test ran.
QStringList logged;

void keepMessage(QtMsgType, const QMessageLogContext&, const QString& message)
{
    logged.append(message);
}

const QString From = QStringLiteral("from@example.com");
const QString To = QStringLiteral("to@example.org");
const QString Html = QStringLiteral("<html><table><tr><td>Рынок</td></tr>\n</table></html>");

struct Mail
{
    int port = 0;
    bool ssl = false;
    QString user;
    QString password;
    QString toAddress = To;
};

// Starts a mail thread the way the program does and collects its results
// until the thread object has deleted itself.
class Sending : public QObject
{
    Q_OBJECT

public:
    explicit Sending(const Mail& mail)
    {
        auto* thread = new SMTPThread(QStringLiteral("127.0.0.1"), mail.port, mail.ssl, From,
            QStringLiteral("Tarnwickstone"), mail.toAddress, QString(), QStringLiteral("Отбор"), Html,
            mail.user, mail.password, QStringList());
        connect(thread, &SMTPThread::resultReady, this, [this](const QString& s) { results.append(s); });
        connect(thread, &QThread::finished, thread, &QObject::deleteLater);
        this->thread = thread;
        thread->start(QThread::InheritPriority);
    }

    bool ended() const { return thread.isNull(); }

    QPointer<SMTPThread> thread;
    QStringList results;
};

} // namespace

class tst_SmtpThread : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void reportsOneResult_data();
    void reportsOneResult();
    void reportsOneResultFromOddServers_data();
    void reportsOneResultFromOddServers();
    void shutdownEndsRunningThreads();

private:
    std::unique_ptr<SmtpTestServers> servers;
    QtMessageHandler previousHandler = nullptr;
};

void tst_SmtpThread::initTestCase()
{
    servers = std::make_unique<SmtpTestServers>();
    QVERIFY2(servers->error().isEmpty(), qPrintable(servers->error()));
    SmtpClient::setTestSetup(&setUpClient);
}

void tst_SmtpThread::cleanupTestCase()
{
    SmtpClient::setTestSetup(nullptr);
    servers.reset();
}

void tst_SmtpThread::init()
{
    trusted = { servers->authority() };
    responseTimeout = 5000;
    servers->clear();
    logged.clear();
    previousHandler = qInstallMessageHandler(keepMessage);
}

void tst_SmtpThread::cleanup()
{
    qInstallMessageHandler(previousHandler);
    // No credential, in any form, ever reaches the log.
    const QByteArray password = SmtpTestServers::Password.toUtf8();
    const QString login
        = QString::fromLatin1(('\0' + SmtpTestServers::User.toUtf8() + '\0' + password).toBase64());
    for (const QString& line : qAsConst(logged)) {
        QVERIFY2(!line.contains(SmtpTestServers::Password)
                && !line.contains(QString::fromLatin1(password.toBase64())) && !line.contains(login)
                && !line.contains(QLatin1String("AUTH")),
            qPrintable(line));
    }
}

void tst_SmtpThread::reportsOneResult_data()
{
    QTest::addColumn<QString>("server"); // empty: a port nothing listens on
    QTest::addColumn<int>("port"); // instead of the server's, when not 0
    QTest::addColumn<bool>("ssl");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("toAddress");
    QTest::addColumn<bool>("trust");
    QTest::addColumn<QString>("result"); // without trust: what the TLS error contains
    QTest::addColumn<QStringList>("commands"); // empty: not looked at

    const QString user = SmtpTestServers::User, password = SmtpTestServers::Password;
    const QStringList envelope { "MAIL FROM:<from@example.com>", "RCPT TO:<to@example.org>", "DATA", "QUIT" };
    const QStringList hello { "EHLO localhost" };
    const QStringList upgraded { "EHLO localhost", "STARTTLS", "<tls>", "EHLO localhost" };
    const QString untrusted = QStringLiteral("The issuer certificate");
    const QString badAddress = QStringLiteral("to@example.org>\r\nDATA");

    QTest::newRow("plain, no login") << "plain" << 0 << false << ""
                                     << "" << To << true << "OK" << hello + envelope;
    QTest::newRow("plain, AUTH LOGIN") << "plain" << 0 << false << user << password << To << true << "OK"
                                       << hello + QStringList { "AUTH LOGIN" } + envelope;
    QTest::newRow("wrong password still says QUIT")
        << "plain" << 0 << false << user << "wrong" << To << true << "Authentication failed"
        << hello + QStringList { "AUTH LOGIN", "QUIT" };
    QTest::newRow("TLS") << "tls" << 0 << true << user << password << To << true << "OK"
                         << hello + QStringList { "AUTH LOGIN" } + envelope;
    QTest::newRow("TLS, unknown authority")
        << "tls" << 0 << true << user << password << To << false << untrusted << QStringList();
    QTest::newRow("plain, upgraded by STARTTLS")
        << "starttls" << 0 << false << user << password << To << true << "OK"
        << upgraded + QStringList { "AUTH LOGIN" } + envelope;
    QTest::newRow("STARTTLS, unknown authority")
        << "starttls" << 0 << false << user << password << To << false << untrusted
        << QStringList { "EHLO localhost", "STARTTLS" };
    QTest::newRow("unusable recipient")
        << "plain" << 0 << false << ""
        << "" << badAddress << true << EmailAddress(badAddress).validationError()
        << hello + QStringList { "QUIT" };
    QTest::newRow("nothing listening") << "" << 0 << false << ""
                                       << "" << To << true << "Connection timeout" << QStringList();
    QTest::newRow("port out of range") << "plain" << 70000 << false << ""
                                       << "" << To << true << "Invalid SMTP port: 70000" << QStringList();
}

void tst_SmtpThread::reportsOneResult()
{
    QFETCH(QString, server);
    QFETCH(int, port);
    QFETCH(bool, ssl);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, toAddress);
    QFETCH(bool, trust);
    QFETCH(QString, result);
    QFETCH(QStringList, commands);

    if (!trust)
        trusted.clear();
    Mail mail;
    if (port)
        mail.port = port;
    else if (!server.isEmpty())
        mail.port = servers->port(server);
    else {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        mail.port = closed.serverPort();
    }
    mail.ssl = ssl;
    mail.user = user;
    mail.password = password;
    mail.toAddress = toAddress;

    Sending sending(mail);
    QTRY_VERIFY_WITH_TIMEOUT(sending.ended(), 30000);
    QCOMPARE(sending.results.size(), 1);
    if (trust)
        QCOMPARE(sending.results.first(), result);
    else
        QVERIFY2(sending.results.first().contains(result), qPrintable(sending.results.first()));
    for (const QString& text : qAsConst(sending.results))
        QVERIFY(!text.contains(SmtpTestServers::Password));
    if (commands.isEmpty())
        return;

    const QList<QJsonObject> conversation = servers->waitForConversation(server);
    QCOMPARE(SmtpTestServers::commands(conversation), commands);
    if (result != QLatin1String("OK"))
        return;
    // One HTML part inside "multipart/related", to the one recipient.
    const QJsonObject stored = SmtpTestServers::only(conversation, "message");
    QCOMPARE(stored.value("rcpt_tos").toArray(), QJsonArray { To });
    const QJsonObject report = referee(QByteArray::fromBase64(stored.value("content").toString().toLatin1()));
    QVERIFY2(!report.contains("error"), qPrintable(report.value("error").toString()));
    QCOMPARE(report.value("from").toArray(), QJsonArray { QJsonArray({ "Tarnwickstone", From }) });
    QCOMPARE(report.value("to").toArray(), QJsonArray { QJsonArray({ "", To }) });
    QCOMPARE(report.value("subject").toString(), QStringLiteral("Отбор"));
    QCOMPARE(report.value("tree").toArray(), QJsonArray({ "multipart/related", "text/html" }));
    QCOMPARE(report.value("parts").toArray().at(0).toObject().value("text").toString(),
        QString(Html).replace("\n", "\r\n"));
}

void tst_SmtpThread::reportsOneResultFromOddServers_data()
{
    QTest::addColumn<ServerScript>("script");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("result");

    const ServerScript greeted { S::send("220 ready\r\n"), S::readLine(), S::send("250 hello\r\n") };
    QTest::newRow("silent server") << ServerScript() << ""
                                   << "Response timeout";
    QTest::newRow("greeting 554") << ServerScript { S::send("554 go away\r\n"), S::close() } << ""
                                  << "Server returned an error";
    QTest::newRow("closed after 535") << greeted
            + ServerScript { S::readLine(), S::send("334 VXNlcm5hbWU6\r\n"), S::readLine(),
                  S::send("334 UGFzc3dvcmQ6\r\n"), S::readLine(), S::send("535 no\r\n"), S::close() }
                                      << "user"
                                      << "Authentication failed";
    QTest::newRow("closed before the mail is taken")
        << greeted + ServerScript { S::readLine(), S::close() } << ""
        << "Response timeout";
    QTest::newRow("odd reply to MAIL")
        << greeted + ServerScript { S::readLine(), S::send("252 maybe\r\n") } << ""
        << "Unexpected server reply: 252 maybe";
}

void tst_SmtpThread::reportsOneResultFromOddServers()
{
    QFETCH(ServerScript, script);
    QFETCH(QString, user);
    QFETCH(QString, result);

    responseTimeout = 1000;
    ScriptedSmtpServer server(script);
    Mail mail;
    mail.port = server.port();
    mail.user = user;
    mail.password = QStringLiteral("secret");
    Sending sending(mail);
    QTRY_VERIFY_WITH_TIMEOUT(sending.ended(), 30000);
    QCOMPARE(sending.results, QStringList { result });
}

void tst_SmtpThread::shutdownEndsRunningThreads()
{
    QVERIFY(SMTPThread::ShutdownAll(0));

    // A server that takes connections and never answers.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    QList<QTcpSocket*> held;
    connect(&silent, &QTcpServer::newConnection, this, [&] {
        while (silent.hasPendingConnections())
            held.append(silent.nextPendingConnection());
    });
    responseTimeout = 120000;
    Mail mail;
    mail.port = silent.serverPort();
    Sending first(mail);
    Sending second(mail);
    QTRY_COMPARE_WITH_TIMEOUT(held.size(), 2, 30000);
    QVERIFY(first.thread && second.thread);

    // Well inside the two minutes the threads would otherwise wait.
    QVERIFY(SMTPThread::ShutdownAll(30000));
    QVERIFY(first.thread->isFinished());
    QVERIFY(second.thread->isFinished());
    QTRY_VERIFY(first.ended() && second.ended());
    QCOMPARE(first.results.size(), 1);
    QCOMPARE(second.results.size(), 1);
    QVERIFY(!first.results.first().isEmpty());
    QVERIFY(!second.results.first().isEmpty());
}

QTEST_GUILESS_MAIN(tst_SmtpThread)
#include "tst_smtpthread.moc"
