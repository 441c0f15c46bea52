#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "ProgramTranslation.h"
#include "QCheckConnection.h"
#include "RequestOutcome.h"
#include "WorkerWatch.h"

#include <QNetworkProxy>
#include <QRegularExpression>
#include <QTcpServer>
#include <QtTest>

namespace {

const QString LoginPage = QStringLiteral("/view/login");
const QString Country = QStringLiteral("/country");
const ScriptedReply NotTheExchange = ScriptedReply::text("<html>Access denied</html>", "text/html");

ScriptedReply PageWith(const QByteArray& beforeKey)
{
    return ScriptedReply::text("<html>" + beforeKey + QBetFair::AppKey.toUtf8() + "</html>", "text/html");
}

QString Exactly(const QString& text)
{
    return QLatin1Char('^') + QRegularExpression::escape(text) + QLatin1Char('$');
}

// A port on 127.0.0.1 that nothing listens on.
quint16 ClosedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

} // namespace

class tst_CheckConnection : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void outcome_data();
    void outcome();
    void throughTheProxy();
    void unreachableProxy();
    void cancel_data();
    void cancel();
    void russian();

private:
    // Starts a test through proxy; the watch sees how it ends.
    std::unique_ptr<WorkerWatch> start(QNetworkProxy proxy);
    QString advice(const QString& site) const;

    HttpTestServer server;
    LocalExchange exchange { server };
};

void tst_CheckConnection::init()
{
    server.clearRequests();
}

QString tst_CheckConnection::advice(const QString& site) const
{
    return QStringLiteral("If you think your provider might block BetFair try %1/help/proxy/ ").arg(site);
}

std::unique_ptr<WorkerWatch> tst_CheckConnection::start(QNetworkProxy proxy)
{
    auto* worker = new QCheckConnection;
    auto watch = std::make_unique<WorkerWatch>(worker);
    worker->CheckConnection(proxy);
    return watch;
}

void tst_CheckConnection::outcome_data()
{
    QTest::addColumn<ScriptedReply>("page");
    QTest::addColumn<ScriptedReply>("country");
    QTest::addColumn<QString>("done");
    QTest::addColumn<QStringList>("asked");

    const QString advice = this->advice(server.url());
    const QString located
        = QStringLiteral("Network error: Unknown error. Your current location is detected as %1. ");
    const QStringList both { LoginPage, Country };

    QTest::newRow("the exchange's page")
        << PageWith("<p>") << ScriptedReply::error(500) << QString() << QStringList { LoginPage };
    QTest::newRow("key only after a zero byte")
        << PageWith(QByteArray("<p>\0", 4)) << ScriptedReply::text("GB\n")
        << Exactly(located.arg("GB") + advice) << both;
    QTest::newRow("country with a line break")
        << NotTheExchange << ScriptedReply::text("GB\n") << Exactly(located.arg("GB") + advice) << both;
    QTest::newRow("empty country") << NotTheExchange << ScriptedReply::text("")
                                   << Exactly(located.arg("") + advice) << both;
    QTest::newRow("country in lower case with blanks")
        << NotTheExchange << ScriptedReply::text(" ru \r\n") << Exactly(located.arg("RU") + advice) << both;
    QTest::newRow("markup for a country")
        << NotTheExchange << ScriptedReply::text("<a href=x>GB</a>", "text/html")
        << Exactly(located.arg("") + advice) << both;
    QTest::newRow("sentence for a country")
        << NotTheExchange << ScriptedReply::text("Visit https://evil.example now")
        << Exactly(located.arg("") + advice) << both;
    QTest::newRow("login page fails")
        << ScriptedReply::error(503) << ScriptedReply::text("GB")
        << "^Network error: .*Service Unavailable\\. " + QRegularExpression::escape(advice) + "$"
        << QStringList { LoginPage };
    QTest::newRow("country lookup fails")
        << NotTheExchange << ScriptedReply::error(404)
        << "^Network error: .*/country.*Not Found\\. " + QRegularExpression::escape(advice) + "$" << both;
}

// One report per test, then the worker is gone; the country lookup only
// when the page is not the exchange's.
void tst_CheckConnection::outcome()
{
    QFETCH(ScriptedReply, page);
    QFETCH(ScriptedReply, country);
    QFETCH(QString, done);
    QFETCH(QStringList, asked);
    server.setReply("GET", LoginPage, page);
    server.setReply("GET", Country, country);

    const auto watch = start(QNetworkProxy(QNetworkProxy::NoProxy));
    QTRY_VERIFY_WITH_TIMEOUT(watch->deleted(), Patience);
    QCOMPARE(watch->done.size(), 1);
    if (done.isEmpty())
        QCOMPARE(watch->done.first(), QString());
    else
        QVERIFY2(
            QRegularExpression(done).match(watch->done.first()).hasMatch(), qPrintable(watch->done.first()));

    QStringList paths;
    for (const RecordedRequest& request : server.requests()) {
        paths.append(request.path());
        QCOMPARE(request.method, QByteArray("GET"));
        QVERIFY(!request.hasHeader("X-Application"));
    }
    QCOMPARE(paths, asked);
    QCOMPARE(server.requests().first().query().queryItemValue("product"), QBetFair::AppKey);
}

// The page is asked for through the given proxy, not directly.
void tst_CheckConnection::throughTheProxy()
{
    HttpTestServer proxyServer;
    proxyServer.setFallbackReply(PageWith("<p>"));
    const QString direct = QBetFair::LoginUrlTemplate;
    QBetFair::LoginUrlTemplate
        = QStringLiteral("http://127.0.0.1:%1/view/login?product=").arg(ClosedPort()) + QStringLiteral("%1");

    const auto watch
        = start(QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), proxyServer.port()));
    QTRY_VERIFY_WITH_TIMEOUT(watch->deleted(), Patience);
    QBetFair::LoginUrlTemplate = direct;
    QCOMPARE(watch->done, QStringList { QString() });
    QCOMPARE(proxyServer.requestCount(), 1);
    QVERIFY(proxyServer.lastRequest().target.startsWith("http://127.0.0.1:"));
}

void tst_CheckConnection::unreachableProxy()
{
    server.setReply("GET", LoginPage, PageWith("<p>"));
    const auto watch
        = start(QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), ClosedPort()));
    QTRY_VERIFY_WITH_TIMEOUT(watch->deleted(), Patience);
    QCOMPARE(watch->done.size(), 1);
    const QRegularExpression expected("^Network error: (Proxy connection refused|Connection refused)\\. "
        + QRegularExpression::escape(advice(server.url())) + "$");
    QVERIFY2(expected.match(watch->done.first()).hasMatch(), qPrintable(watch->done.first()));
    QCOMPARE(server.requestCount(), 0);
}

void tst_CheckConnection::cancel_data()
{
    QTest::addColumn<ScriptedReply>("page");
    QTest::addColumn<int>("asked");

    QTest::newRow("while the page loads") << PageWith("<p>").held() << 1;
    QTest::newRow("while the country is looked up") << NotTheExchange << 2;
}

// Cancel aborts the request in flight and the test reports once, as cancelled.
void tst_CheckConnection::cancel()
{
    QFETCH(ScriptedReply, page);
    QFETCH(int, asked);
    server.setReply("GET", LoginPage, page);
    server.setReply("GET", Country, ScriptedReply::text("GB").held());

    auto* worker = new QCheckConnection;
    WorkerWatch watch(worker);
    QNetworkProxy proxy(QNetworkProxy::NoProxy);
    worker->CheckConnection(proxy);
    QTRY_COMPARE_WITH_TIMEOUT(server.requestCount(), asked, Patience);
    QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, Patience);
    worker->Cancel();
    server.releaseAll();

    QTRY_VERIFY_WITH_TIMEOUT(watch.deleted(), Patience);
    QCOMPARE(watch.done, QStringList { "Cancelled" });
    QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 0, Patience);
}

// The texts and the help page follow the language in use.
void tst_CheckConnection::russian()
{
    server.setReply("GET", LoginPage, NotTheExchange);
    server.setReply("GET", Country, ScriptedReply::text("GB\n"));
    const ProgramTranslation russian(QStringLiteral("ru_RU"));
    QVERIFY(russian.isValid());

    const auto watch = start(QNetworkProxy(QNetworkProxy::NoProxy));
    QTRY_VERIFY_WITH_TIMEOUT(watch->deleted(), Patience);
    QCOMPARE(watch->done.size(), 1);
    const QString text = watch->done.first();
    QVERIFY2(text.contains(QStringLiteral("GB")), qPrintable(text));
    QVERIFY2(text.contains(server.url(QStringLiteral("/ru/help/proxy/"))), qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("location")), qPrintable(text));
}

QTEST_GUILESS_MAIN(tst_CheckConnection)
#include "tst_checkconnection.moc"
