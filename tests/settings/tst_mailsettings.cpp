#include "SettingsTab.h"

#include "HttpTestServer.h"
#include "LanguageSetup.h"
#include "LocalExchange.h"
#include "MailRules.h"
#include "ProgramTranslation.h"
#include "QCipher.h"
#include "QLog.h"
#include "SMTPThread.h"
#include "SmtpClient.h"
#include "TestCertificate.h"

#include <QJsonArray>
#include <QPushButton>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

constexpr int Patience = 30000;

const QString User = QStringLiteral("trader@example.org");
const QString Password = QStringLiteral("s3cret-Pass");

const QStringList Greeted { "220 ready\r\n", "<", "250 hello\r\n" };
const QStringList LoggingIn { "<", "334 VXNlcm5hbWU6\r\n", "<", "334 UGFzc3dvcmQ6\r\n" };
const QStringList Accepting { "<", "250 ok\r\n", "<", "250 ok\r\n", "<", "354 go\r\n", "<.", "250 stored\r\n" };

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

} // namespace

class tst_MailSettings : public QObject
{
    Q_OBJECT

    HttpTestServer server;
    LocalExchange exchange { server };
    QLog log;
    QList<QPair<int, QString>> records;
    QTemporaryDir folder;
    QProcess servers;
    TestCertificate authority;

    // The port of a new scripted server that plays script to one client.
    int scripted(const QStringList& script)
    {
        servers.write(QJsonDocument(QJsonObject { { "script", QJsonArray::fromStringList(script) } })
                          .toJson(QJsonDocument::Compact)
            + '\n');
        return next("port").value("port").toInt();
    }

    QJsonObject next(const QString& key)
    {
        while (servers.canReadLine() || servers.waitForReadyRead(Patience)) {
            const QJsonObject record = servers.canReadLine() ? QJsonDocument::fromJson(servers.readLine()).object()
                                                             : QJsonObject();
            if (record.contains(key))
                return record;
        }
        return {};
    }

    // A page filled for a plain test message to the relay.
    static void fillForTest(SettingsTab& t, quint16 port)
    {
        t.find<QComboBox>("SMTPserver")->setEditText("127.0.0.1");
        t.edit("SMTPport")->setText(QString::number(port));
        t.edit("SMTPfrom")->setText("from@example.com");
        t.edit("SMTPto")->setText("to@example.org");
        t.edit("SMTPusername")->setText(User);
        t.edit("SMTPpassword")->setText(Password);
        if (t.box("SMTPssl")->isChecked())
            t.box("SMTPssl")->setChecked(false);
        t.edit("SMTPport")->setText(QString::number(port));
    }

private slots:
    void initTestCase()
    {
        LoadLanguageTable();
        connect(&log, &QLog::Logged, this,
            [this](QLog::QLogType type, const QString& text) { records << qMakePair(int(type), text); });
        authority = TestCertificate::createAuthority(folder.path());
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

    void init()
    {
        records.clear();
        SetInteractiveLevel(0);
    }

    void portForSsl_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("ssl");
        QTest::addColumn<QString>("shown");
        QTest::newRow("25 to SSL") << "25" << true << "465";
        QTest::newRow("465 to plain") << "465" << false << "25";
        QTest::newRow("587 to plain stays") << "587" << false << "587";
        QTest::newRow("587 to SSL stays") << "587" << true << "587";
        QTest::newRow("empty to SSL") << "" << true << "465";
        QTest::newRow("0 to SSL") << "0" << true << "465";
        QTest::newRow("letters to plain") << "ab" << false << "25";
        QTest::newRow("2525 to SSL stays") << "2525" << true << "2525";
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
        QTest::newRow("user is an address") << "smtp.example.org" << "bob@other.net" << "bob@example.org";
        QTest::newRow("two @ in the user") << "smtp.example.org" << "a@b@c" << "a@example.org";
        QTest::newRow("upper-case prefix stays") << "SMTP.example.org" << "bob" << "bob@SMTP.example.org";
        QTest::newRow("prefix without its dot") << "smtpx.example.org" << "bob" << "bob@smtpx.example.org";
        QTest::newRow("only the leading prefix") << "smtp.smtp.example.org" << "bob" << "bob@smtp.example.org";
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
        const TempSettings settings;
        SettingsTab t;
        t.tab.Load();
        t.type(t.edit("SMTPusername"), "bob");
        t.find<QComboBox>("SMTPserver")->setEditText("smtp.example.org");
        QCOMPARE(t.edit("SMTPfrom")->text(), "bob@example.org");
        QCOMPARE(settings.store()->value("Options/SMTPfrom").toString(), "bob@example.org");

        // Typed by the user: the field is the user's, also while it is cleared.
        t.edit("SMTPfrom")->clear();
        QCOMPARE(t.edit("SMTPfrom")->text(), "");
        t.showPageOf(t.edit("SMTPfrom"));
        t.edit("SMTPfrom")->setFocus();
        QTest::keyClicks(t.edit("SMTPfrom"), "me@x");
        QCOMPARE(t.edit("SMTPfrom")->text(), "me@x");
        t.find<QComboBox>("SMTPserver")->setEditText("smtp.other.org");
        QCOMPARE(t.edit("SMTPfrom")->text(), "me@x");
    }

    void senderWithoutUser()
    {
        const TempSettings settings;
        SettingsTab t;
        t.tab.Load();
        t.edit("SMTPto")->setText("to@example.org");
        t.find<QComboBox>("SMTPserver")->setEditText("smtp.example.org");
        QCOMPARE(t.edit("SMTPfrom")->text(), "@example.org");
        QVERIFY(!settings.store()->contains("Options/SMTPfrom"));
        QVERIFY(!t.find<QPushButton>("SMTPtest")->isEnabled());
    }

    void testButton_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("all usable") << "smtp.example.org" << "25" << "a@example.org" << "b@example.org" << true;
        QTest::newRow("port 0") << "smtp.example.org" << "0" << "a@example.org" << "b@example.org" << false;
        QTest::newRow("port 1") << "smtp.example.org" << "1" << "a@example.org" << "b@example.org" << true;
        QTest::newRow("no port") << "smtp.example.org" << "" << "a@example.org" << "b@example.org" << false;
        QTest::newRow("blanks for a server") << "   " << "25" << "a@example.org" << "b@example.org" << true;
        QTest::newRow("recipient unusable") << "smtp.example.org" << "25" << "a@example.org" << "b@example.o" << false;
        QTest::newRow("sender unusable") << "smtp.example.org" << "25" << "a@example" << "b@example.org" << false;
    }

    void testButton()
    {
        QFETCH(QString, server);
        QFETCH(QString, port);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, enabled);
        const TempSettings settings;
        SettingsTab t;
        t.tab.Load();
        t.edit("SMTPfrom")->setText(from);
        t.edit("SMTPto")->setText(to);
        t.edit("SMTPport")->setText(port);
        t.find<QComboBox>("SMTPserver")->setEditText(server);
        QCOMPARE(t.find<QPushButton>("SMTPtest")->isEnabled(), enabled);
    }

    // A preset sets port and SSL and stores both; the SSL box moves the port.
    void presetAndSsl()
    {
        const TempSettings settings;
        SettingsTab t;
        t.tab.Load();
        QCOMPARE(t.edit("SMTPport")->text(), "25");
        QCOMPARE(t.box("SMTPssl")->isChecked(), false);
        t.stepDown(t.combo("SMTPserver"));
        QCOMPARE(t.combo("SMTPserver")->currentText(), "smtp.live.com");
        QCOMPARE(t.edit("SMTPport")->text(), "465");
        QVERIFY(t.box("SMTPssl")->isChecked());
        QCOMPARE(settings.store()->value("Options/SMTPport").toString(), "465");
        QCOMPARE(settings.store()->value("Options/SMTPssl").toBool(), true);
        QCOMPARE(settings.store()->value("Options/SMTPserver").toString(), "smtp.live.com");

        t.click(t.box("SMTPssl"));
        QCOMPARE(t.edit("SMTPport")->text(), "25");
        QCOMPARE(settings.store()->value("Options/SMTPport").toString(), "25");
        QCOMPARE(settings.store()->value("Options/SMTPssl").toBool(), false);
        t.type(t.edit("SMTPport"), "587");
        t.click(t.box("SMTPssl"));
        QCOMPARE(t.edit("SMTPport")->text(), "587");
    }

    // The page shows what is stored, also a port the SSL box would change.
    void storedPortShown_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("ssl");
        QTest::newRow("465 without SSL") << "465" << false;
        QTest::newRow("25 with SSL") << "25" << true;
        QTest::newRow("587 with SSL") << "587" << true;
    }

    void storedPortShown()
    {
        QFETCH(QString, port);
        QFETCH(bool, ssl);
        const TempSettings settings;
        settings.store()->setValue("Options/SMTPport", port);
        settings.store()->setValue("Options/SMTPssl", ssl);
        SettingsTab t;
        t.tab.Load();
        QCOMPARE(t.edit("SMTPport")->text(), port);
        QCOMPARE(t.box("SMTPssl")->isChecked(), ssl);
    }

    void testMessage_data()
    {
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("record");

        const QStringList sent = Greeted + LoggingIn + QStringList { "<", "235 ok\r\n" } + Accepting;
        QTest::newRow("sent") << sent << 0 << "Information: Message succesfully sent" << "1 Message succesfully sent";
        QTest::newRow("sent, level 2") << sent << 2 << "" << "1 Message succesfully sent";
        QTest::newRow("login refused") << Greeted + LoggingIn + QStringList { "<", "535 no <b>\r\n", "!" } << 0
                                       << "Critical: Authentication failed" << "2 Authentication failed";
    }

    void testMessage()
    {
        QFETCH(QStringList, script);
        QFETCH(int, level);
        QFETCH(QString, box);
        QFETCH(QString, record);
        Relay relay;
        QVERIFY(relay.open(quint16(scripted(script))));
        const TempSettings settings;
        Boxes boxes;
        SettingsTab t;
        t.tab.Load();
        fillForTest(t, relay.listener.serverPort());
        QVERIFY(t.find<QPushButton>("SMTPtest")->isEnabled());
        SetInteractiveLevel(level);
        records.clear();

        t.showPageOf(t.find<QPushButton>("SMTPtest"));
        QTest::mouseClick(t.find<QPushButton>("SMTPtest"), Qt::LeftButton);
        QVERIFY(!t.tab.isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(t.tab.isEnabled(), Patience);

        const QStringList question {
            "Question: I'm going to send a test e-mail message using the credentials you provided on this "
            "page.<br>Are you sure?" };
        QCOMPARE(boxes.shown.mid(0, 1), question);
        QCOMPARE(boxes.shown.size(), box.isEmpty() ? 1 : 2);
        if (!box.isEmpty())
            QVERIFY2(QRegExp(box, Qt::CaseSensitive, QRegExp::Wildcard).exactMatch(boxes.shown.last()),
                qPrintable(boxes.shown.last()));
        QCOMPARE(boxes.topics, box.startsWith("Critical") ? "SMTP" : "");
        QCOMPARE(records.size(), 1);
        QVERIFY2(QRegExp(record, Qt::CaseSensitive, QRegExp::Wildcard)
                     .exactMatch(QString::number(records.first().first) + ' ' + records.first().second),
            qPrintable(records.first().second));

        const QJsonObject conversation = next("lines");
        const QString lines = conversation.value("lines").toString();
        QVERIFY2(lines.startsWith("EHLO localhost|AUTH LOGIN|" + User.toUtf8().toBase64()), qPrintable(lines));
        if (box.isEmpty() || box.startsWith("Information")) {
            const QString data = conversation.value("data").toString();
            QVERIFY(data.contains("Subject: Test message"));
            QVERIFY(data.contains("This is a test message you (or somebody else) sent from"));
            QVERIFY(data.contains("Tarnwickstone"));
        }
        SetInteractiveLevel(0);
    }

    void testDeclined()
    {
        const TempSettings settings;
        Boxes boxes;
        boxes.answer = QMessageBox::No;
        SettingsTab t;
        t.tab.Load();
        fillForTest(t, 2525);
        records.clear();
        QTest::mouseClick(t.find<QPushButton>("SMTPtest"), Qt::LeftButton);
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(t.tab.isEnabled());
        QVERIFY(records.isEmpty());
    }

    // A result from outside is shown as it came, never rendered.
    void resultShownAsTyped()
    {
        const TempSettings settings;
        Boxes boxes;
        SettingsTab t;
        t.tab.Load();
        t.tab.SMTPtestDone("550 <b>no</b> & \"bye\"");
        QCOMPARE(boxes.shown, QStringList { "Critical: 550 &lt;b&gt;no&lt;/b&gt; &amp; &quot;bye&quot;" });
    }

    void needEmail()
    {
        const TempSettings settings;
        Boxes boxes;
        SettingsTab t;
        t.tab.Load();
        int pageWhenAsked = -1;
        boxes.onShow = [&] { pageWhenAsked = t.tab.currentIndex(); };
        t.tab.NeedEmail();
        QCOMPARE(pageWhenAsked, int(Settings::MailPage));
        QCOMPARE(boxes.shown, QStringList { "Warning: Please fill e-mail settings" });
        QCOMPARE(boxes.topics, "settings_email");
    }

    // Run with TW_SHOT_DIR set: the E-mail page filled in.
    void screenshots_data() { AddShotLanguages(); }

    void screenshots()
    {
        QFETCH(QString, language);
        SKIP_WITHOUT_SHOT_FOLDER();
        const ProgramTranslation translation(language);
        const TempSettings settings;
        SettingsTab t;
        t.tab.setStyleSheet(
            "*[isError=\"true\"] { background: #FF9999 url(:/icons/error.png) no-repeat right center; }");
        t.tab.resize(835, 500);
        t.tab.Load();
        t.type(t.edit("SMTPusername"), "trader");
        t.stepDown(t.combo("SMTPserver"));
        t.stepDown(t.combo("SMTPserver"));
        t.edit("SMTPto")->setText("me@example");
        t.edit("SMTPpassword")->setText("secret");
        t.tab.setCurrentIndex(Settings::MailPage);
        t.tab.show();
        QTest::qWait(50);
        QVERIFY(t.tab.grab().save(ShotPath("mail", language)));
    }
};

QTEST_MAIN(tst_MailSettings)
#include "tst_mailsettings.moc"
