#include "ExchangeTest.h"
#include "ProgramTranslation.h"
#include "QGetFunds.h"
#include "QKeepAlive.h"
#include "QLogin.h"
#include "QVersionChecker.h"
#include "TrustedHttpsServer.h"

#include <QNetworkProxy>
#include <QTcpServer>
#include <QtTest>

namespace {

const QString Token = QStringLiteral("TOKEN-5e1f0c");
const QString Password = QStringLiteral("p+ &=\u00e9%");

ScriptedReply Json(const QString& json)
{
    return ScriptedReply::json(QJsonDocument::fromJson(json.arg(Token).toUtf8()));
}

ScriptedReply Account(const char* currency)
{
    return ScriptedReply::rpcResult(QJsonObject { { "currencyCode", currency } });
}

QString Wallet(const RecordedRequest& request)
{
    return request.json().value("params")["wallet"].toString();
}

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

// The session (login, logout, keep-alive), funds, and the version and
// connection checks, against a local site that the process trusts.
class tst_Session : public QObject
{
    Q_OBJECT

    TrustedHttpsServer tls;
    HttpTestServer& server = tls.server();
    LocalExchange exchange { server };
    const int interval = QKeepAlive::IntervalMs;

    // Runs a worker to its end, with every message captured; no text the
    // user or a log sees holds the password or the token.
    QStringList run(QActionWorker* worker, const std::function<void()>& start)
    {
        const MessageCapture capture;
        QStringList done = WorkerWatch::run(worker, start);
        for (const QString& text : capture.messages() + done) {
            if (text.contains(Password) || text.contains(Token))
                done += "secret shown: " + text;
        }
        return done;
    }

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
            if (cancel && QTest::qWaitFor([&] { return server.heldCount() > 0; }, Patience))
                worker->Cancel();
        });
    }

private slots:
    void initTestCase() { QVERIFY2(tls.error().isEmpty(), qPrintable(tls.error())); }
    void init()
    {
        server.clearRequests();
        QBetFair::SetSessionToken(QStringLiteral("old"));
        QBetFair::Currency = QStringLiteral("???");
    }
    void cleanup()
    {
        QBetFair::SetSessionToken(QString());
        QKeepAlive::IntervalMs = interval;
        server.releaseAll();
    }

    void logInAndOut_data()
    {
        QTest::addColumn<QString>("operation"); // login, logout, or the web login page's token
        QTest::addColumn<ScriptedReply>("identity");
        QTest::addColumn<ScriptedReply>("account");
        QTest::addColumn<QString>("before"); // token and currency, T for the token
        QTest::addColumn<QString>("outcome"); // Done | token currency | requests
        const auto row = [](const char* name, const char* operation, const ScriptedReply& identity,
                             const ScriptedReply& account, const char* before, const char* outcome) {
            QTest::newRow(name) << QString(operation) << identity << account << QString(before)
                                << QString(outcome);
        };
        const ScriptedReply success = Json(R"({"token": "%1", "status": "SUCCESS", "error": ""})");
        const ScriptedReply gbp = Account("GBP"), fails = ScriptedReply::error(500);
        row("success", "login", success, gbp, "old ???", " | T GBP | login getAccountDetails");
        row("success without a token", "login", Json(R"({"token": "", "status": "SUCCESS"})"), gbp, "old ???",
            "TOKEN_ERROR | old ??? | login");
        row("error beside success", "login",
            Json(R"({"token": "%1", "status": "SUCCESS", "error": "LOCKED"})"), gbp, "old ???",
            "LOCKED | old ??? | login");
        row("account refused, an earlier currency", "login", success,
            Json(R"({"error":{"data":{"AccountAPINGException":{"errorCode":"NO_SESSION"}}}})"), "old GBP",
            "NO_SESSION | T ??? | login getAccountDetails");
        // The web login page's token goes straight to the account details;
        // without one the session held so far stays as it was.
        row("web login", "T", success, Account("AUD"), "old ???", " | T AUD | getAccountDetails");
        row("web login, empty token", "", success, gbp, "old ???", "TOKEN_ERROR | old ??? | ");
        // A logout always succeeds and leaves no token behind.
        row("logout fails", "logout", fails, gbp, "T GBP", " |  GBP | logout");
        row("logout, account unknown", "logout", fails, gbp, "T ???", " |  ??? | ");
    }

    void logInAndOut()
    {
        QFETCH(QString, operation);
        QFETCH(ScriptedReply, identity);
        QFETCH(ScriptedReply, account);
        QFETCH(QString, before);
        QFETCH(QString, outcome);
        server.setReply(
            "POST", LocalExchange::identityPath(operation == "logout" ? "logout" : "login"), identity);
        server.setRpcReply(LocalExchange::accountPath(), "AccountAPING/v1.0/getAccountDetails", account);
        QBetFair::SetSessionToken(before.section(' ', 0, 0).replace("T", Token));
        QBetFair::Currency = before.section(' ', 1);

        auto* worker = new QLogin;
        QStringList steps;
        const QStringList done = run(worker, [&] {
            if (operation == "login")
                worker->LogIn(QStringLiteral("bob"), Password);
            else if (operation == "logout")
                worker->Logout();
            else
                worker->LogInFinished(operation.replace("T", Token));
        });
        for (const RecordedRequest& request : server.requests()) {
            const QString step
                = (request.rpcMethod().isEmpty() ? request.path() : request.rpcMethod()).section('/', -1);
            steps += step;
            // Only the login never names the session; what was typed arrives unchanged.
            QCOMPARE(request.hasHeader("X-Application"), step != "logout");
            QCOMPARE(request.header("X-Authentication"), step == "login" ? QByteArray() : Token.toUtf8());
            if (step != "getAccountDetails")
                QCOMPARE(
                    request.body, step == "login" ? "username=bob&password=p%2B%20%26%3D%C3%A9%25" : "{}");
        }
        QCOMPARE(done.join(" + ") + " | " + QString(QBetFair::SessionToken).replace(Token, "T") + ' '
                + QBetFair::Currency + " | " + steps.join(' '),
            outcome);
        QCOMPARE(QBetFair::KeepAliveWorker->isActive(), QBetFair::HasSession());
    }

    // Every interval one GET naming the session, only while it is valid.
    // Whatever the reply, the object stays and keeps going; only a reply
    // other than SUCCESS is reported.
    void keepAlive()
    {
        const QString path = LocalExchange::identityPath("keepAlive");
        server.setReply("GET", path, Json(R"({"status": "SUCCESS"})"));
        const QPointer<QKeepAlive> keepAlive = QBetFair::KeepAliveWorker;
        QSignalSpy routed(QNetwork::Shared(), &QNetworkAccessManager::finished);
        QStringList texts;
        connect(keepAlive, &QActionWorker::Done, &routed, [&](const QString& error) { texts += error; });
        QKeepAlive::IntervalMs = 100;
        QBetFair::SetSessionToken(QStringLiteral("account not known yet"));
        QTest::qWait(500);
        QCOMPARE(server.requestCount(), 0);
        QBetFair::Currency = QStringLiteral("GBP");
        QBetFair::SetSessionToken(Token);
        QTRY_VERIFY_WITH_TIMEOUT(routed.size() >= 2, Patience);
        QCOMPARE(texts, QStringList());
        const RecordedRequest request = server.lastRequest();
        QCOMPARE(request.method + ' ' + request.path(), "GET /api/keepAlive");
        QCOMPARE(request.header("X-Authentication"), Token.toUtf8());
        QCOMPARE(request.header("X-Application"), QBetFair::AppKey.toUtf8());

        for (const auto& [reply, text] : QList<QPair<ScriptedReply, QString>> {
                 { Json(R"({"status": "LOGIN_RESTRICTED"})"), "LOGIN_RESTRICTED" },
                 { Json(R"({"token": "t"})"), "Server response error" },
                 { ScriptedReply::error(500), "Network error" } }) {
            server.setReply("GET", path, reply);
            QTRY_COMPARE_WITH_TIMEOUT(texts.value(texts.size() - 1), text, Patience);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(keepAlive && !keepAlive->IsEnded() && keepAlive->isActive());
    }

    void funds_data()
    {
        QTest::addColumn<ScriptedReply>("uk");
        QTest::addColumn<ScriptedReply>("australian");
        QTest::addColumn<bool>("modal"); // the first receiver waits in a message box
        QTest::addColumn<QString>("outcome"); // funds received / Done
        const auto funds = [](const char* json) {
            return ScriptedReply::rpcResult(QJsonDocument::fromJson(json).object());
        };
        const ScriptedReply uk = funds(R"({"wallet": "UK", "availableToBetBalance": 10.25, "exposure": -2})");
        const ScriptedReply au = funds(R"({"wallet": "AUSTRALIAN", "availableToBetBalance": 5.5})");
        const ScriptedReply refused
            = Json(R"({"error":{"data":{"AccountAPINGException":{"errorCode":"NO_SESSION"}}}})");
        QTest::newRow("Australian first") << uk.held() << au << false << "^AUSTRALIAN=5.5 UK=10.25 / $";
        QTest::newRow("second fails") << uk << refused.held() << false << "^UK=10.25 / NO_SESSION$";
        QTest::newRow("receiver in a message box")
            << uk << au.held() << true << "^UK=10.25 AUSTRALIAN=5.5 / $";
    }

    // Each wallet as its reply arrives, one Done, nothing after it.
    void funds()
    {
        QFETCH(ScriptedReply, uk);
        QFETCH(ScriptedReply, australian);
        QFETCH(bool, modal);
        QFETCH(QString, outcome);
        server.setRpcHandler(LocalExchange::accountPath(), "AccountAPING/v1.0/getAccountFunds",
            [=](const RecordedRequest& request) { return Wallet(request) == "UK" ? uk : australian; });
        QBetFair::Currency = QStringLiteral("GBP");
        QBetFair::SetSessionToken(Token);
        const ReleaseInTurn inTurn(server);
        auto* worker = new QGetFunds;
        QStringList reported;
        connect(worker, &QGetFunds::FundsReceived, &inTurn, [&](const QString& wallet, double funds) {
            reported += QStringLiteral("%1=%2").arg(wallet).arg(funds);
            // The second reply is handled meanwhile: the worker must end once.
            if (modal && reported.size() == 1)
                RunModalBox([&] { return RepliesSettled(server); });
        });
        const QStringList done = run(worker, [&] { worker->GetFunds(); });
        QVERIFY_MATCHES(outcome, reported.join(' ') + " / " + done.join(" + "));
        QStringList wallets;
        for (const RecordedRequest& request : server.requests())
            wallets += Wallet(request) + ' ' + request.header("X-Authentication");
        wallets.sort();
        QCOMPARE(wallets, QStringList({ "AUSTRALIAN " + Token, "UK " + Token }));
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
        server.setReply("GET", path, answer);
        QVERIFY_MATCHES(report, checkVersion().join(" + "));
        const RecordedRequest request = server.lastRequest();
        QCOMPARE(request.method + ' ' + request.path(), "GET " + path);
        QVERIFY(!request.hasHeader("X-Application") && !request.hasHeader("X-Authentication"));
    }

    // The version file chooses the set-up program the user is offered: it
    // is read only over TLS.
    void onlyOverTls()
    {
        ProductSite::English = QStringLiteral("http://127.0.0.1:1");
        const QString reports = checkVersion().join(" + ");
        ProductSite::English = server.url();
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
            "If you think your provider might block BetFair try " + server.url("/help/proxy/") + " ");
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
        server.setReply("GET", "/view/login", page);
        server.setReply("GET", "/country", country);
        const QStringList texts = checkConnection(QNetworkProxy(QNetworkProxy::NoProxy), country.hold);
        QCOMPARE(texts.size(), 1);
        QVERIFY_MATCHES(done, texts.first());
        QStringList paths;
        for (const RecordedRequest& request : server.requests())
            paths += request.method == "GET" && !request.hasHeader("X-Application") ? request.path() : "?";
        QCOMPARE(paths.join(' '), asked);
        QCOMPARE(server.requests().first().query().queryItemValue("product"), QBetFair::AppKey);
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
        QCOMPARE(server.requestCount(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_Session)
#include "tst_session.moc"
