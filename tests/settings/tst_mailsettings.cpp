#include "SettingsTab.h"

#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "MailRules.h"
#include "SMTPThread.h"
#include "SmtpClient.h"
#include "TestCertificate.h"

#include <QJsonArray>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

const QString User = QStringLiteral("trader@example.org");

QList<QSslCertificate> trusted;

void TrustTestAuthority(SmtpClient& client, QSslConfiguration& tls)
{
    tls.addCaCertificates(trusted);
    client.setResponseTimeout(5000);
}

// Passes one connection on from a port the page's port field accepts (1 to
// 9999) to a scripted server, whose own port is the system's choice.
class Relay : public QObject
{
public:
    QTcpServer listener;

    bool open(quint16 target)
    {
        connect(&listener, &QTcpServer::newConnection, this, [this, target] {
            QTcpSocket* in = listener.nextPendingConnection();
            auto* out = new QTcpSocket(in);
            connect(in, &QTcpSocket::readyRead, out, [in, out] { out->write(in->readAll()); });
            connect(out, &QTcpSocket::readyRead, in, [in, out] { in->write(out->readAll()); });
            connect(in, &QTcpSocket::disconnected, out, &QTcpSocket::disconnectFromHost);
            connect(out, &QTcpSocket::disconnected, in, &QTcpSocket::disconnectFromHost);
            out->connectToHost(QHostAddress::LocalHost, target);
        });
        for (quint16 port = 2000 + quint16(QCoreApplication::applicationPid() % 7000); port > 1025; --port) {
            if (listener.listen(QHostAddress::LocalHost, port))
                return true;
        }
        return false;
    }
};

// The mail threads started meanwhile. A thread is nobody's child: it is
// noticed by the first event it is sent, as the queued call that deletes it.
struct MailThreads : QObject
{
    QList<QPointer<QObject>> seen;
    MailThreads() { qApp->installEventFilter(this); }
    ~MailThreads() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* object, QEvent*) override
    {
        if (qobject_cast<SMTPThread*>(object) && !seen.contains(object))
            seen << object;
        return false;
    }
    bool gone() const
    {
        for (const QPointer<QObject>& thread : seen) {
            if (thread)
                return false;
        }
        return !seen.isEmpty();
    }
};

// A page filled for a plain test message.
void FillForTest(SettingsTab& t, quint16 port)
{
    t.combo("SMTPserver")->setEditText("127.0.0.1");
    t.edit("SMTPfrom")->setText("from@example.com");
    t.edit("SMTPto")->setText("to@example.org");
    t.edit("SMTPusername")->setText(User);
    t.edit("SMTPpassword")->setText("s3cret-Pass");
    t.edit("SMTPport")->setText(QString::number(port));
}

} // namespace

class tst_MailSettings : public QObject
{
    Q_OBJECT

    HttpTestServer server;
    LocalExchange exchange { server };
    LogRecords records;
    QTemporaryDir folder;
    QProcess servers;

    // The port of a new scripted server that plays script to one client.
    int scripted(const QStringList& script)
    {
        servers.write(QJsonDocument(QJsonObject { { "script", QJsonArray::fromStringList(script) } })
                          .toJson(QJsonDocument::Compact)
            + '\n');
        return next("port").value("port").toInt();
    }

    // Waits with the event loop running: the relay still has to pass on the
    // client's last lines and its leaving, which end the server's conversation.
    QJsonObject next(const QString& key)
    {
        while (QTest::qWaitFor([this] { return servers.canReadLine(); }, Patience)) {
            const QJsonObject record = QJsonDocument::fromJson(servers.readLine()).object();
            if (record.contains(key))
                return record;
        }
        return {};
    }

private slots:
    void initTestCase()
    {
        LoadLanguageTable();
        const TestCertificate authority = TestCertificate::createAuthority(folder.path());
        const TestCertificate identity
            = TestCertificate::createSigned(folder.path(), "server", "IP:127.0.0.1", authority);
        servers.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        servers.start("/usr/bin/python3", { "-B", SMTP_SERVER_SCRIPT, identity.certificatePath, identity.keyPath });
        QVERIFY(servers.waitForStarted());
        trusted = { authority.certificate };
        SmtpClient::setTestSetup(&TrustTestAuthority);
    }

    void cleanupTestCase()
    {
        servers.closeWriteChannel();
        servers.waitForFinished(5000);
        SmtpClient::setTestSetup(nullptr);
    }

    void portForSsl_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("ssl");
        QTest::addColumn<QString>("shown");
        QTest::newRow("25 to SSL") << "25" << true << "465";
        QTest::newRow("465 to plain") << "465" << false << "25";
        QTest::newRow("587 to SSL stays") << "587" << true << "587";
        QTest::newRow("empty to SSL") << "" << true << "465";
        QTest::newRow("0 to plain") << "0" << false << "25";
        QTest::newRow("1 to SSL stays") << "1" << true << "1";
    }

    void portForSsl()
    {
        QFETCH(QString, port);
        QFETCH(bool, ssl);
        QFETCH(QString, shown);
        QCOMPARE(PortForSsl(port, ssl), shown);
    }

    void derivedSender_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("sender");
        QTest::newRow("smtp.") << "smtp.example.org" << "bob" << "bob@example.org";
        QTest::newRow("email.") << "email.example.org" << "bob" << "bob@example.org";
        QTest::newRow("mail.") << "mail.example.org" << "bob" << "bob@example.org";
        QTest::newRow("user is an address") << "smtp.example.org" << "bob@other.net" << "bob@example.org";
        QTest::newRow("upper-case prefix stays") << "SMTP.example.org" << "bob" << "bob@SMTP.example.org";
        QTest::newRow("only the leading prefix") << "mx.smtp.example.org" << "bob" << "bob@mx.smtp.example.org";
        QTest::newRow("empty user") << "smtp.example.org" << "" << "@example.org";
    }

    void derivedSender()
    {
        QFETCH(QString, server);
        QFETCH(QString, user);
        QFETCH(QString, sender);
        QCOMPARE(DerivedSender(server, user), sender);
    }

    // The page fills an empty From, stores it when usable, and never overwrites a typed one.
    void senderOnThePage()
    {
        TabOnStore t;
        t.edit("SMTPto")->setText("to@example.org");
        t.combo("SMTPserver")->setEditText("smtp.example.org");
        QCOMPARE(t.edit("SMTPfrom")->text(), "@example.org");
        QVERIFY(!SettingsStore()->contains("Options/SMTPfrom"));
        QVERIFY(!t.button("SMTPtest")->isEnabled());

        t.edit("SMTPfrom")->clear();
        t.type(t.edit("SMTPusername"), "bob");
        t.combo("SMTPserver")->setEditText("smtp.example.net");
        QCOMPARE(t.edit("SMTPfrom")->text(), "bob@example.net");
        QCOMPARE(SettingsStore()->value("Options/SMTPfrom").toString(), "bob@example.net");

        // Typed by the user: the field is the user's, also while it is cleared.
        t.type(t.edit("SMTPfrom"), "me@x", false);
        QCOMPARE(t.edit("SMTPfrom")->text(), "me@x");
        t.combo("SMTPserver")->setEditText("smtp.other.org");
        QCOMPARE(t.edit("SMTPfrom")->text(), "me@x");
    }

    // A field is marked while its value is unusable, and the test message waits for usable ones.
    void fields_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("usable");
        QTest::newRow("port 0") << "SMTPport" << "0" << "0" << false;
        QTest::newRow("port 1") << "SMTPport" << "1" << "1" << true;
        QTest::newRow("port 9999") << "SMTPport" << "9999" << "9999" << true;
        QTest::newRow("port 10000 cannot be typed") << "SMTPport" << "10000" << "1000" << true;
        QTest::newRow("address") << "SMTPto" << "a.b@mail.example.co" << "a.b@mail.example.co" << true;
        QTest::newRow("one-letter top domain") << "SMTPto" << "a@example.c" << "a@example.c" << false;
        QTest::newRow("no dotted domain") << "SMTPfrom" << "a@example" << "a@example" << false;
        QTest::newRow("a comma cannot be typed") << "SMTPfrom" << "a@x.org,b@y.org" << "a@x.orgby.org" << true;
    }

    void fields()
    {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(bool, usable);
        TabOnStore t({ { "SMTPserver", "smtp.example.org" }, { "SMTPfrom", "a@example.org" }, { "SMTPto", "b@example.org" } });
        QVERIFY(t.button("SMTPtest")->isEnabled());
        t.type(t.edit(qPrintable(name)), typed, false);
        QCOMPARE(t.edit(qPrintable(name))->text(), shown);
        QCOMPARE(t.edit(qPrintable(name))->property("isError").toBool(), !usable);
        QCOMPARE(t.button("SMTPtest")->isEnabled(), usable);
    }

    // A preset sets port and SSL and stores both; the SSL box moves the port.
    void presetAndSsl()
    {
        TabOnStore t;
        t.step(t.combo("SMTPserver"));
        QCOMPARE(t.combo("SMTPserver")->currentText(), "smtp.live.com");
        QCOMPARE(t.edit("SMTPport")->text(), "465");
        QVERIFY(t.box("SMTPssl")->isChecked());
        QCOMPARE(SettingsStore()->value("Options/SMTPport").toString(), "465");
        QCOMPARE(SettingsStore()->value("Options/SMTPssl").toBool(), true);
        QCOMPARE(SettingsStore()->value("Options/SMTPserver").toString(), "smtp.live.com");

        t.click(t.box("SMTPssl"));
        QCOMPARE(t.edit("SMTPport")->text(), "25");
        QCOMPARE(SettingsStore()->value("Options/SMTPport").toString(), "25");
        QCOMPARE(SettingsStore()->value("Options/SMTPssl").toBool(), false);
    }

    // The page shows the stored port, also one the SSL box would change.
    void storedPortShown_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("ssl");
        QTest::newRow("465 without SSL") << "465" << false;
        QTest::newRow("25 with SSL") << "25" << true;
    }

    void storedPortShown()
    {
        QFETCH(QString, port);
        QFETCH(bool, ssl);
        TabOnStore t({ { "SMTPport", port }, { "SMTPssl", ssl } });
        QCOMPARE(t.edit("SMTPport")->text(), port);
        QCOMPARE(SettingsStore()->value("Options/SMTPport").toString(), port);
    }

    // The test message, asked for first; the tab waits for its result.
    void testMessage_data()
    {
        QTest::addColumn<QStringList>("script"); // empty: declined
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("record");

        const QStringList greeted { "220 ready\r\n", "<", "250 hello\r\n", "<", "334 VXNlcm5hbWU6\r\n", "<",
            "334 UGFzc3dvcmQ6\r\n" };
        const QStringList sent = greeted
            + QStringList { "<", "235 ok\r\n", "<", "250 ok\r\n", "<", "250 ok\r\n", "<", "354 go\r\n", "<.",
                  "250 stored\r\n" };
        QTest::newRow("sent") << sent << "Information: Message succesfully sent" << "1 Message succesfully sent";
        QTest::newRow("login refused") << greeted + QStringList { "<", "535 no\r\n", "!" }
                                       << "Critical: Authentication failed" << "2 Authentication failed";
        QTest::newRow("declined") << QStringList() << "" << "";
    }

    void testMessage()
    {
        QFETCH(QStringList, script);
        QFETCH(QString, box);
        QFETCH(QString, record);
        Relay relay;
        QVERIFY(relay.open(quint16(script.isEmpty() ? 1 : scripted(script))));
        Boxes boxes { script.isEmpty() ? QMessageBox::No : QMessageBox::Yes };
        MailThreads threads;
        TabOnStore t;
        FillForTest(t, relay.listener.serverPort());
        records.clear();

        t.click(t.button("SMTPtest"));
        QCOMPARE(t.tab.isEnabled(), script.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(t.tab.isEnabled(), Patience);

        QCOMPARE(boxes.shown.value(0), "Question: I'm going to send a test e-mail message using the credentials you "
                                       "provided on this page.<br>Are you sure?");
        QVERIFY2(Matches(boxes.shown.value(1), box), qPrintable(boxes.shown.value(1)));
        QCOMPARE(boxes.topics, box.startsWith("Critical") ? "SMTP" : "");
        QCOMPARE(records.types.isEmpty() ? "" : QString::number(records.types.first()) + ' ' + records.texts.first(), record);
        if (script.isEmpty())
            return;
        const QJsonObject conversation = next("lines");
        const QString lines = conversation.value("lines").toString();
        QVERIFY2(lines.startsWith("EHLO localhost|AUTH LOGIN|" + User.toUtf8().toBase64()), qPrintable(lines));
        if (!box.startsWith("Critical")) {
            const QString data = conversation.value("data").toString();
            QVERIFY(data.contains("Subject: Test message"));
            // From the page's sender to its recipient, the product named as the sender.
            QVERIFY2(lines.contains("|MAIL FROM:<from@example.com>|RCPT TO:<to@example.org>|"),
                qPrintable(lines));
            QVERIFY(data.contains("From: Tarnwickstone <from@example.com>\r\nTo: <to@example.org>\r\n"));
        }
        // The thread goes once it has reported.
        QTRY_VERIFY_WITH_TIMEOUT(threads.gone(), Patience);
    }

    // A result from outside is shown as it came, never rendered.
    void resultShownAsTyped()
    {
        Boxes boxes;
        TabOnStore t;
        t.tab.SMTPtestDone("550 <b>no</b> & \"bye\"");
        QCOMPARE(boxes.shown, QStringList { "Critical: 550 &lt;b&gt;no&lt;/b&gt; &amp; &quot;bye&quot;" });
    }

    void needEmail()
    {
        Boxes boxes;
        TabOnStore t;
        int pageWhenAsked = -1;
        boxes.onShow = [&] { pageWhenAsked = t.tab.currentIndex(); };
        t.tab.NeedEmail();
        QCOMPARE(pageWhenAsked, int(Settings::MailPage));
        QCOMPARE(boxes.shown, QStringList { "Warning: Please fill e-mail settings" });
        QCOMPARE(boxes.topics, "settings_email");
    }
};

QTEST_MAIN(tst_MailSettings)
#include "tst_mailsettings.moc"
