#include "ProductSite.h"
#include "ProgramTranslation.h"
#include "QCatalog.h"
#include "QCipher.h"
#include "QConfirm.h"
#include "SMTPThread.h"
#include "SelectionMail.h"
#include "SmtpClient.h"
#include "TickedMarkets.h"

#include "common/TestFiles.h"
#include "mail/ScriptedSmtp.h"

#include <QAbstractButton>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QtTest>

namespace {

const QString User = QStringLiteral("trader@example.org"), Password = QStringLiteral("s3cret пароль");
const QString Sender = QStringLiteral("from@example.com"), Recipient = QStringLiteral("to@example.org");

// The horse race with a name that holds markup and "%1", two runners ticked; the
// football market, its id holding what a link must escape, one ticked.
struct Fixture : TickedMarkets
{
    QMarket* ascot = add("1.234567890", 7, R"({"venue": "Ascot"})", "2m <Hcap> & 'Novices' %1",
        "2026-12-05T15:30:00.000Z", { "11:Alpha & <Co>", "12:Bravo", "13:Charlie" });
    QMarket* football = add("2.100000001&x='y'", 1, R"({"name": "Arsenal v Chelsea"})", "Match Odds",
        "2026-12-06T20:00:00.000Z", { "21:Arsenal", "22:Chelsea", "23:The Draw" });

    explicit Fixture(bool ticked = true)
    {
        if (!ticked)
            return;
        tick(ascot, 0);
        tick(ascot, 1);
        tick(football, 2);
    }
};

// The table's rows with the sports named as the rows show them; the links keep the English names.
QString rows(const QString& horseRacing, const QString& soccer)
{
    const QString ascot = "<tr><td><a href='http://www.betfair.com/exchange/horse-racing/market?id=1.234567890'>" + horseRacing
        + " → Ascot → 2m &lt;Hcap&gt; &amp; 'Novices' %1</a></td>";
    return ascot + "<td>Alpha &amp; &lt;Co&gt;</td></tr>\n" + ascot + "<td>Bravo</td></tr>\n"
        + "<tr><td><a href='http://www.betfair.com/exchange/soccer/market?id=2.100000001&amp;x=&#39;y&#39;'>" + soccer
        + " → Arsenal v Chelsea → Match Odds</a></td><td>The Draw</td></tr>\n</table></html>";
}

const QString Body = "<html><table><tr><th>Market</th><th>Selection</th></tr>" + rows("Horse Racing", "Soccer")
    + "<br>\n<br>\n-- <br>\nYours faithfully,<br>\n Tarnwickstone<br>\nhttp://tarnwickstone.com/";

// The message of an SMTP DATA section, its dots unstuffed.
QByteArray unstuffed(const QByteArray& data)
{
    QList<QByteArray> lines = data.split('\n');
    while (!lines.isEmpty() && (lines.last().isEmpty() || lines.last() == ".\r"))
        lines.removeLast();
    for (QByteArray& line : lines) {
        if (line.startsWith('.'))
            line.remove(0, 1);
    }
    return lines.join('\n') + '\n';
}

QList<QSslCertificate> trusted;

void setUpClient(SmtpClient& client, QSslConfiguration& tls)
{
    tls.addCaCertificates(trusted);
    client.setResponseTimeout(20000);
}

// The boxes shown ("<icon>: <text>"), questions answered by `yes`.
struct Boxes
{
    QStringList shown;
    QString topics;
    bool yes = true;
    QObject context;

    Boxes()
    {
        QConfirm::SetResponder([this](QMessageBox* box) {
            shown << QString(QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(box->icon())) + ": " + box->text();
            for (QAbstractButton* button : box->buttons()) {
                if (box->buttonRole(button) == QMessageBox::HelpRole)
                    return button;
            }
            if (box->icon() == QMessageBox::Question)
                return box->button(yes ? QMessageBox::Yes : QMessageBox::No);
            return box->button(QMessageBox::Ok);
        });
        QObject::connect(QConfirm::Instance(), &QConfirm::showHelp, &context, [this](const QString& topic) { topics += topic; });
    }
    ~Boxes() { QConfirm::SetResponder({}); }
};

// The view's emailNeeded() and ActionDone(), in the order they came.
struct Signals
{
    QStringList seen;
    QObject context;
    explicit Signals(QSearcher& view)
    {
        QObject::connect(&view, &QSearcher::emailNeeded, &context, [this] { seen << "emailNeeded"; });
        QObject::connect(&view, &QSearcher::ActionDone, &context, [this] { seen << "ActionDone"; });
    }
};

void storeMailSettings(QSettings& store, int port, bool ssl = true)
{
    store.setValue("Options/SMTPserver", "127.0.0.1");
    store.setValue("Options/SMTPport", port);
    store.setValue("Options/SMTPssl", ssl);
    store.setValue("Options/SMTPfrom", Sender);
    store.setValue("Options/SMTPto", Recipient);
    store.setValue("Options/SMTPusername", QCipher::EncryptString(User));
    store.setValue("Options/SMTPpassword", QCipher::EncryptString(Password));
}

} // namespace

class tst_Mail : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    ScriptedSmtpServers m_servers;

private slots:
    void initTestCase()
    {
        QCatalog::Init(m_folder.path());
        QConfirm::Init();
        QVERIFY(m_servers.start(SMTP_SERVER_SCRIPT, m_folder.path()));
        trusted = { m_servers.authority().certificate };
        SmtpClient::setTestSetup(&setUpClient);
    }

    void init() { SetInteractiveLevel(QConfirm::All); }

    void settingsChecked_data()
    {
        QTest::addColumn<QString>("missing"); // key removed, or "=key" for an empty text
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QString>("emitted");
        QTest::newRow("no server") << "SMTPserver" << true << "emailNeeded ActionDone";
        QTest::newRow("empty server") << "=SMTPserver" << true << "emailNeeded ActionDone";
        QTest::newRow("no port") << "SMTPport" << true << "emailNeeded ActionDone";
        QTest::newRow("no recipient") << "SMTPto" << true << "emailNeeded ActionDone";
        QTest::newRow("empty recipient") << "=SMTPto" << true << "emailNeeded ActionDone";
        QTest::newRow("no sender") << "SMTPfrom" << true << "emailNeeded ActionDone";
        QTest::newRow("empty sender") << "=SMTPfrom" << true << "emailNeeded ActionDone";
        QTest::newRow("empty sender, nothing ticked") << "=SMTPfrom" << false << "emailNeeded ActionDone";
        QTest::newRow("all set, nothing ticked") << "" << false << "ActionDone";
    }

    // The settings first, then the ticks: neither asks anything.
    void settingsChecked()
    {
        QFETCH(QString, missing);
        const TempSettings settings;
        storeMailSettings(*settings.store(), 25);
        if (missing.startsWith('='))
            settings.store()->setValue("Options/" + missing.mid(1), "");
        else if (!missing.isEmpty())
            settings.store()->remove("Options/" + missing);
        Fixture results(FETCH(bool, ticked));
        Signals seen(results.view);
        const Boxes boxes;
        results.view.Mail("subject");
        QCOMPARE(seen.seen.join(' '), FETCH(QString, emitted));
        QCOMPARE(boxes.shown, QStringList());
    }

    void body_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("body");
        QTest::newRow("English") << "" << Body;
        QTest::newRow("Russian") << "ru_RU"
                                 << "<html><table><tr><th>Рынок</th><th>Участник</th></tr>" + rows("Скачки", "Футбол")
                + "<br>\n<br>\n-- <br>\nС уважением,<br>\n Tarnwickstone<br>\nhttp://tarnwickstone.ru/";
    }

    // The table in row order, every text escaped, the link to the market's sport, the site of the language.
    void body()
    {
        const ProgramTranslation translation(FETCH(QString, language));
        QVERIFY(translation.isValid());
        const Fixture results;
        int rows = 0;
        const QString table = SelectionMail::Table(TickedSelections(results.view), rows);
        QCOMPARE(rows, 3);
        QCOMPARE(SelectionMail::Body(table), FETCH(QString, body));
    }

    // The host of the signature is the product site's own.
    void signatureFollowsTheSite()
    {
        const QString saved = ProductSite::English;
        ProductSite::English = "https://picks.example:8443/base";
        const QString body = SelectionMail::Body("<table></table>");
        ProductSite::English = saved;
        QCOMPARE(body, "<table></table><br>\n<br>\n-- <br>\nYours faithfully,<br>\n Tarnwickstone<br>\nhttp://picks.example/");
    }

    void question_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("ticked");
        QTest::addColumn<QString>("question");
        QTest::newRow("untranslated") << "" << 3 << "Send the selected 3 selection(s) by e-mail?";
        QTest::newRow("English, 1") << "en_GB" << 1 << "Send the selected 1 selection by e-mail?";
        QTest::newRow("English, 2") << "en_GB" << 2 << "Send the selected 2 selections by e-mail?";
        QTest::newRow("Russian, 1") << "ru_RU" << 1 << "Отправить 1 выбранного участника по e-mail?";
        QTest::newRow("Russian, 3") << "ru_RU" << 3 << "Отправить 3 выбранных участника по e-mail?";
    }

    // Declined: nothing is sent, and the panel is released once.
    void question()
    {
        QFETCH(int, ticked);
        const ProgramTranslation translation(FETCH(QString, language));
        QVERIFY(translation.isValid());
        const TempSettings settings;
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        storeMailSettings(*settings.store(), silent.serverPort(), false);
        Fixture results(false);
        for (int row = 0; row < ticked; ++row)
            results.tick(results.ascot, row);
        Signals seen(results.view);
        Boxes boxes;
        boxes.yes = false;
        results.view.Mail("subject");
        // A mail thread, had one started, would end here and report.
        QVERIFY(SMTPThread::ShutdownAll(30000));
        QCoreApplication::sendPostedEvents();
        QCOMPARE(boxes.shown, QStringList { "Question: " + FETCH(QString, question) });
        QCOMPARE(seen.seen.join(' '), "ActionDone");
        QVERIFY(!silent.hasPendingConnections());
    }

    void sent_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("subjectGiven");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("answer"); // to the password
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("topics");
        const QString question = "Question: Send the selected 3 selection(s) by e-mail?";
        QTest::newRow("subject") << 0 << "Ascot picks" << "Ascot picks" << "235 ok"
                                 << QStringList { question, "Information: Message succesfully sent" } << "";
        QTest::newRow("empty subject") << 0 << "" << "Tarnwickstone search results" << "235 ok"
                                       << QStringList { question, "Information: Message succesfully sent" } << "";
        QTest::newRow("level 1: asked and told nothing") << 1 << "x" << "x" << "235 ok" << QStringList() << "";
        QTest::newRow("login refused") << 0 << "x" << "" << "535 no"
                                       << QStringList { question, "Critical: SMTP ERROR: Authentication failed" } << "SMTP";
    }

    // One message through the mail thread to a scripted server, over TLS, with the stored login.
    void sent()
    {
        QFETCH(QString, subject);
        QFETCH(QString, answer);
        SetInteractiveLevel(FETCH(int, level));
        const TempSettings settings;
        const int port = m_servers.scripted({ "tls", "220 ready\r\n", "<", "250 hello\r\n", "<", "334 VXNlcm5hbWU6\r\n", "<",
            "334 UGFzc3dvcmQ6\r\n", "<", answer + "\r\n", "<", "250 ok\r\n", "<", "250 ok\r\n", "<", "354 go\r\n", "<.",
            "250 stored\r\n" });
        storeMailSettings(*settings.store(), port);
        Fixture results;
        Signals seen(results.view);
        QSignalSpy done(&results.view, &QSearcher::ActionDone);
        const Boxes boxes;

        results.view.Mail(FETCH(QString, subjectGiven));
        QVERIFY(done.isEmpty());
        QVERIFY(done.wait(60000));
        QCOMPARE(seen.seen.join(' '), "ActionDone");
        QCOMPARE(boxes.shown, FETCH(QStringList, boxes));
        QCOMPARE(boxes.topics, FETCH(QString, topics));

        const QJsonObject conversation = m_servers.next("lines");
        const QString login = "<tls>|EHLO localhost|AUTH LOGIN|" + User.toUtf8().toBase64() + '|' + Password.toUtf8().toBase64();
        if (subject.isEmpty()) {
            QCOMPARE(conversation.value("lines").toString(), login + "|QUIT");
            return;
        }
        QCOMPARE(conversation.value("lines").toString(),
            login + "|MAIL FROM:<" + Sender + ">|RCPT TO:<" + Recipient + ">|DATA|<data>|QUIT");
        const QJsonObject message = MailReferee(MAIL_REFEREE_SCRIPT, unstuffed(conversation.value("data").toString().toLatin1()));
        QCOMPARE(message.value("problems").toString(), QString());
        QCOMPARE(message.value("subject").toString(), subject);
        QCOMPARE(message.value("from").toArray(), QJsonArray({ QJsonArray { "Tarnwickstone", Sender } }));
        QCOMPARE(message.value("to").toArray(), QJsonArray({ QJsonArray { "", Recipient } }));
        QCOMPARE(message.value("tree").toArray(), QJsonArray({ "multipart/related", "text/html" }));
        const QString html = QString::fromUtf8(message.value("parts").toArray().at(0).toArray().at(1).toString().toLatin1());
        QCOMPARE(QString(html).replace("\r\n", "\n"), Body);
    }

    void result_data()
    {
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("topics");
        QTest::newRow("OK") << "OK" << "Information: Message succesfully sent" << "";
        QTest::newRow("ok") << "ok" << "Critical: SMTP ERROR: ok" << "SMTP";
        QTest::newRow("OK and more") << "OK " << "Critical: SMTP ERROR: OK " << "SMTP";
        QTest::newRow("server text") << "550 <b>no</b> & go" << "Critical: SMTP ERROR: 550 &lt;b&gt;no&lt;/b&gt; &amp; go"
                                     << "SMTP";
    }

    // Only "OK" is success; whatever else the thread says is shown as the server said it.
    void result()
    {
        ResultsView results;
        Signals seen(results.view);
        const Boxes boxes;
        results.view.MailDone(FETCH(QString, result));
        QCOMPARE(boxes.shown, QStringList { FETCH(QString, box) });
        QCOMPARE(boxes.topics, FETCH(QString, topics));
        QCOMPARE(seen.seen.join(' '), "ActionDone");
    }
};

QTEST_MAIN(tst_Mail)
#include "tst_mail.moc"
