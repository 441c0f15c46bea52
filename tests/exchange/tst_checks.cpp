#include "ExchangeTest.h"
#include "ProgramTranslation.h"
#include "QVersionChecker.h"
#include "TrustedHttpsServer.h"

#include <QNetworkProxy>
#include <QTcpServer>
#include <QtTest>

namespace {

const QByteArray VersionFile
    = R"({"MAJOR":2,"URL":{"win":"https://tarnwickstone.com/setup-2.exe"},"description":"<b>x</b>"})";

const ScriptedReply NotTheExchange = ScriptedReply::text("<html>Access denied</html>", "text/html");

ScriptedReply PageWith(const QByteArray& beforeKey)
{
    return ScriptedReply::text("<html>" + beforeKey + QBetFair::AppKey.toUtf8() + "</html>", "text/html");
}

// A port on 127.0.0.1 that nothing listens on.
quint16 ClosedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

} // namespace

// The version check and the connection check, against a local site that
// the process trusts.
class tst_Checks : public QObject
{
    Q_OBJECT

    TrustedHttpsServer tls;
    std::unique_ptr<LocalExchange> exchange;

    HttpTestServer& server() { return tls.server(); }

    // Runs a check to its end: each report as "<error> | <file>". The
    // receiver runs nested event loops, as the settings tab's question and
    // download do: the checker outlives them and goes only afterwards.
    QStringList checkVersion()
    {
        auto* checker = new QVersionChecker;
        QStringList reports;
        QObject scope;
        connect(checker, &QVersionChecker::Done, &scope, [&](const QString& error, const QJsonObject& file) {
            reports += error + " | " + QJsonDocument(file).toJson(QJsonDocument::Compact);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            RunModalBox([] { return false; }, 50);
            if (!checker->IsEnded())
                reports += "not ended";
        });
        return reports + WorkerWatch::run(checker, [&] { checker->Check(); });
    }

    // Runs a check through the proxy to its end; its reports. When asked,
    // cancels it once a reply is held.
    QStringList checkConnection(QNetworkProxy proxy, bool cancel = false)
    {
        auto* worker = new QCheckConnection;
        return WorkerWatch::run(worker, [&] {
            worker->CheckConnection(proxy);
            if (cancel && QTest::qWaitFor([&] { return server().heldCount() > 0; }, Patience))
                worker->Cancel();
        });
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(tls.error().isEmpty(), qPrintable(tls.error()));
        exchange = std::make_unique<LocalExchange>(server());
    }
    void init()
    {
        server().clearRequests();
        QBetFair::SessionToken = QStringLiteral("tok");
    }
    void cleanup()
    {
        QBetFair::SessionToken.clear();
        server().releaseAll();
    }

    void reply_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<ScriptedReply>("answer");
        QTest::addColumn<QString>("report");
        const auto passed = [](const QByteArray& json) {
            const QString file = QJsonDocument::fromJson(json).toJson(QJsonDocument::Compact);
            return "^" + QRegularExpression::escape(" | " + file) + "$";
        };
        QTest::newRow("version file") << "" << ScriptedReply::text(VersionFile) << passed(VersionFile);
        QTest::newRow("Russian site") << "ru_RU" << ScriptedReply::text(VersionFile) << passed(VersionFile);
        QTest::newRow("missing") << "" << ScriptedReply::error(404)
                                 << QString("^Network error: .*Not Found \\| \\{\\}$");
    }

    // The file reaches the receiver unchanged, or the error with an empty
    // object, from the site of the language in use; the program's key and
    // the user's session do not go to the product's site.
    void reply()
    {
        QFETCH(QString, language);
        QFETCH(ScriptedReply, answer);
        QFETCH(QString, report);
        const ProgramTranslation translation(language);
        QVERIFY(translation.isValid());
        const QString path = language.isEmpty() ? "/version.json" : "/ru/version.json";
        server().setReply("GET", path, answer);
        QVERIFY_MATCHES(report, checkVersion().join(" + "));
        const RecordedRequest request = server().lastRequest();
        QCOMPARE(request.method + ' ' + request.path(), "GET " + path);
        QVERIFY(!request.hasHeader("X-Application") && !request.hasHeader("X-Authentication"));
    }

    // The version file chooses the set-up program the user is offered: it
    // is read only over TLS.
    void onlyOverTls()
    {
        ProductSite::English = QStringLiteral("http://127.0.0.1:1");
        const QString reports = checkVersion().join(" + ");
        ProductSite::English = server().url();
        QVERIFY_MATCHES(
            "^The version file's address is not secure: http://127.0.0.1:1/version.json \\| \\{\\}$",
            reports);
    }

    void outcome_data()
    {
        QTest::addColumn<ScriptedReply>("page");
        QTest::addColumn<ScriptedReply>("country");
        QTest::addColumn<QString>("done");
        QTest::addColumn<QString>("asked");

        const QString advice = QRegularExpression::escape(
            "If you think your provider might block BetFair try " + server().url("/help/proxy/") + " ");
        const auto located = [&](const char* code) {
            return "^Network error: Unknown error\\. Your current location is detected as " + QString(code)
                + "\\. " + advice + "$";
        };
        const QString page = QStringLiteral("/view/login"), both = page + " /country";
        const ScriptedReply gb = ScriptedReply::text("GB\n");
        QTest::newRow("the exchange's page") << PageWith("<p>") << gb << QString("^$") << page;
        QTest::newRow("key only after a zero byte")
            << PageWith(QByteArray("<p>\0", 4)) << gb << located("GB") << both;
        QTest::newRow("markup for a country")
            << NotTheExchange << ScriptedReply::text("<a>GB</a>") << located("") << both;
        QTest::newRow("login page fails")
            << ScriptedReply::error(503) << gb << "^Network error: .*Service Unavailable\\. " + advice + "$"
            << page;
        // Cancel aborts the request in flight and the check reports once, as cancelled.
        QTest::newRow("cancelled") << NotTheExchange << gb.held() << QString("^Cancelled$") << both;
    }

    // One report, then the worker is gone; the country is asked only when
    // the page is not the exchange's, and only a short code of letters of
    // its answer goes into the message.
    void outcome()
    {
        QFETCH(ScriptedReply, page);
        QFETCH(ScriptedReply, country);
        QFETCH(QString, done);
        QFETCH(QString, asked);
        server().setReply("GET", "/view/login", page);
        server().setReply("GET", "/country", country);
        const QStringList texts = checkConnection(QNetworkProxy(QNetworkProxy::NoProxy), country.hold);
        QCOMPARE(texts.size(), 1);
        QVERIFY_MATCHES(done, texts.first());
        QStringList paths;
        for (const RecordedRequest& request : server().requests())
            paths += request.method == "GET" && !request.hasHeader("X-Application") ? request.path() : "?";
        QCOMPARE(paths.join(' '), asked);
        QCOMPARE(server().requests().first().query().queryItemValue("product"), QBetFair::AppKey);
    }

    // The page is asked for through the given proxy, never directly.
    void throughTheProxy()
    {
        HttpTestServer proxy;
        proxy.setFallbackReply(PageWith("<p>"));
        const QString direct = QBetFair::LoginUrlTemplate;
        QBetFair::LoginUrlTemplate
            = QStringLiteral("http://127.0.0.1:%1/view/login?product=%2").arg(ClosedPort()).arg("%1");
        const QStringList texts
            = checkConnection(QNetworkProxy(QNetworkProxy::HttpProxy, "127.0.0.1", proxy.port()));
        QBetFair::LoginUrlTemplate = direct;
        QCOMPARE(texts, QStringList { QString() });
        QCOMPARE(proxy.requestCount(), 1);
        QVERIFY(proxy.lastRequest().target.startsWith("http://127.0.0.1:"));
        QCOMPARE(server().requestCount(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_Checks)
#include "tst_checks.moc"
