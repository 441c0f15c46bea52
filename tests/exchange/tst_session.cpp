#include "ExchangeTest.h"
#include "QGetFunds.h"
#include "QKeepAlive.h"
#include "QLogin.h"
#include "QVersionChecker.h"
#include "TrustedHttpsServer.h"

#include <QNetworkProxy>
#include <QtTest>

namespace {

const QString Token = QStringLiteral("TOKEN-5e1f0c");
const QString Password = QStringLiteral("p+ &=\u00e9%");

ScriptedReply Json(const QString& json)
{
    return ScriptedReply::json(QJsonDocument::fromJson(QString(json).replace("%1", Token).toUtf8()));
}

ScriptedReply PageWith(const QByteArray& beforeKey)
{
    return ScriptedReply::text("<html>" + beforeKey + QBetFair::AppKey.toUtf8() + "</html>", "text/html");
}

ScriptedReply Funds(const char* wallet, double amount)
{
    return ScriptedReply::rpcResult(
        QJsonObject { { "wallet", wallet }, { "availableToBetBalance", amount } });
}

} // namespace

// Session, funds, version and connection checks, against a local site the process trusts.
class tst_Session : public QObject
{
    Q_OBJECT

    TrustedHttpsServer tls;
    HttpTestServer& server = tls.server();
    LocalExchange exchange { server };
    const int interval = QKeepAlive::IntervalMs;

    // Runs a worker to its end; no text the user or a log sees holds the password or the token.
    QStringList run(QActionWorker* worker, const std::function<void()>& start)
    {
        const MessageCapture capture;
        const QStringList done = WorkerWatch::run(worker, start);
        return done + capture.leaks({ Password, Token }, done);
    }

    // Runs a check through the proxy to its end; cancels it once a reply is held when asked.
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
        const ScriptedReply gbp = ScriptedReply::rpcResult(QJsonObject { { "currencyCode", "GBP" } });
        const ScriptedReply fails = ScriptedReply::error(500);
        row("success", "login", success, gbp, "old ???", " | T GBP | login getAccountDetails");
        row("success without a token", "login", Json(R"({"token": "", "status": "SUCCESS"})"), gbp, "old ???",
            "TOKEN_ERROR | old ??? | login");
        row("error beside success", "login",
            Json(R"({"token": "%1", "status": "SUCCESS", "error": "LOCKED"})"), gbp, "old ???",
            "LOCKED | old ??? | login");
        // A failed account lookup leaves no earlier account's currency (and minimum stake) behind.
        row("account refused, an earlier currency", "login", success,
            Json(R"({"error":{"data":{"AccountAPINGException":{"errorCode":"NO_SESSION"}}}})"), "old GBP",
            "NO_SESSION | T ??? | login getAccountDetails");
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
                worker->LogInFinished(operation);
        });
        for (const RecordedRequest& request : server.requests()) {
            const QString step
                = (request.rpcMethod().isEmpty() ? request.path() : request.rpcMethod()).section('/', -1);
            steps += step;
            // Only the login never names the session; what was typed arrives unchanged.
            QCOMPARE(request.header("X-Authentication"), step == "login" ? QByteArray() : Token.toUtf8());
            if (step == "login")
                QCOMPARE(request.body, "username=bob&password=p%2B%20%26%3D%C3%A9%25");
        }
        QCOMPARE(done.join(" + ") + " | " + QString(QBetFair::SessionToken).replace(Token, "T") + ' '
                + QBetFair::Currency + " | " + steps.join(' '),
            outcome);
        QCOMPARE(QBetFair::KeepAliveWorker->isActive(), QBetFair::HasSession());
    }

    // Each interval a GET naming the session; a failed one does not end the object.
    // A new login counts as valid only once its own account has answered, not on an earlier currency.
    void noValidSessionBeforeTheAccount()
    {
        server.setRpcReply(LocalExchange::accountPath(), "AccountAPING/v1.0/getAccountDetails",
            ScriptedReply::rpcResult(QJsonObject { { "currencyCode", "SEK" } }).held());
        QBetFair::SetSessionToken(QString());
        QBetFair::Currency = QStringLiteral("GBP");
        auto* worker = new QLogin;
        bool validBefore = true;
        const QStringList done = run(worker, [&] {
            worker->LogInFinished(Token);
            QTest::qWaitFor([&] { return server.heldCount() == 1; }, Patience);
            validBefore = QBetFair::IsSessionValid();
            server.releaseAll();
        });
        QCOMPARE(done, QStringList { QString() });
        QVERIFY(!validBefore && QBetFair::IsSessionValid() && QBetFair::Currency == "SEK");
    }

    void keepAlive()
    {
        QCOMPARE(interval, 15 * 60 * 1000); // in use: a quarter of an hour
        QKeepAlive::IntervalMs = 100;
        QBetFair::Currency = QStringLiteral("GBP");
        QBetFair::SetSessionToken(Token);
        QTRY_VERIFY_WITH_TIMEOUT(server.requestCount() >= 2, Patience);
        QCOMPARE(server.lastRequest().header("X-Authentication"), Token.toUtf8());
    }

    // The receiver of the first wallet waits in a box, in which the second arrives: one Done.
    void funds()
    {
        server.setRpcHandler(LocalExchange::accountPath(), "AccountAPING/v1.0/getAccountFunds",
            [](const RecordedRequest& request) {
                return Params(request)["wallet"] == "UK" ? Funds("UK", 10.25)
                                                         : Funds("AUSTRALIAN", 5.5).held();
            });
        QBetFair::Currency = QStringLiteral("GBP");
        QBetFair::SetSessionToken(Token);
        const ReleaseInTurn inTurn(server);
        auto* worker = new QGetFunds;
        QStringList reported;
        connect(worker, &QGetFunds::FundsReceived, &inTurn, [&](const QString& wallet, double funds) {
            reported += QStringLiteral("%1=%2").arg(wallet).arg(funds);
            if (reported.size() == 1)
                RunModalBox([&] { return RepliesSettled(server); });
        });
        reported += run(worker, [&] { worker->GetFunds(); });
        QCOMPARE(reported, QStringList({ "UK=10.25", "AUSTRALIAN=5.5", "" }));
    }

    // A worker tied to an owner ends when the owner goes, waiting or inside
    // its own slot: one Done ("Cancelled"), nothing more reaches the owner,
    // its requests are given up, and it deletes itself after its slot.
    void endsWithItsOwner_data()
    {
        QTest::addColumn<bool>("insideSlot");
        QTest::newRow("while it waits") << false;
        QTest::newRow("inside its own slot") << true;
    }

    void endsWithItsOwner()
    {
        QFETCH(bool, insideSlot);
        server.setRpcHandler(LocalExchange::accountPath(), "AccountAPING/v1.0/getAccountFunds",
            [](const RecordedRequest&) { return Funds("UK", 5.5).held(); });
        QBetFair::Currency = QStringLiteral("GBP");
        QBetFair::SetSessionToken(Token);
        auto* owner = new QObject;
        auto* worker = new QGetFunds;
        worker->EndWith(owner);
        const WorkerWatch watch(worker);
        QStringList reachedOwner;
        connect(worker, &QActionWorker::Done, owner, [&](const QString& error) { reachedOwner << error; });
        // Set inside the worker's slot that delivers the funds.
        bool aliveAfterDeletion = false;
        connect(worker, &QGetFunds::FundsReceived, &watch, [&] {
            delete owner;
            aliveAfterDeletion = !watch.worker.isNull();
        });
        worker->GetFunds();
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 2, Patience);
        if (insideSlot)
            server.release(1);
        else
            delete owner;
        QTRY_VERIFY_WITH_TIMEOUT(watch.worker.isNull(), Patience);
        QCOMPARE(watch.done, QStringList { "Cancelled" });
        QCOMPARE(reachedOwner, QStringList());
        QCOMPARE(aliveAfterDeletion, insideSlot);
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 0, Patience);
    }

    // Only over TLS, without key or session; the checker outlives its receiver's nested loops.
    void versionCheck()
    {
        const QByteArray file = R"({"MAJOR":2,"URL":{"win":"https://tarnwickstone.com/setup-2.exe"}})";
        server.setReply("GET", "/version.json", ScriptedReply::text(file));
        QStringList reports;
        for (const QString& site : { server.url(), QStringLiteral("http://127.0.0.1:1") }) {
            ProductSite::English = site;
            auto* checker = new QVersionChecker;
            connect(
                checker, &QVersionChecker::Done, this, [&](const QString& error, const QJsonObject& data) {
                    reports += error + " | " + QJsonDocument(data).toJson(QJsonDocument::Compact);
                    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                    RunModalBox([] { return false; }, 50);
                    if (!checker->IsEnded())
                        reports += "not ended";
                });
            reports += WorkerWatch::run(checker, [&] { checker->Check(); });
        }
        ProductSite::English = server.url();
        QCOMPARE(reports,
            QStringList({ " | " + file,
                "The version file's address is not secure: http://127.0.0.1:1/version.json | {}" }));
        QCOMPARE(server.requestCount(), 1);
        QVERIFY(!server.lastRequest().hasHeader("X-Application")
            && !server.lastRequest().hasHeader("X-Authentication"));
    }

    void connection_data()
    {
        QTest::addColumn<ScriptedReply>("country");
        QTest::addColumn<QString>("done");
        const QString located = "^Network error: Unknown error\\. Your current location is detected as %1\\. "
            + QRegularExpression::escape(
                "If you think your provider might block BetFair try " + server.url("/help/proxy/") + " ")
            + "$";
        QTest::newRow("country") << ScriptedReply::text("GB\n") << located.arg("GB");
        // Only a short code of letters of the answer goes into the message.
        QTest::newRow("markup for a country") << ScriptedReply::text("<a>GB</a>") << located.arg("");
        // Cancel aborts the request in flight and the check reports once, as cancelled.
        QTest::newRow("cancelled") << ScriptedReply::text("GB").held() << QString("^Cancelled$");
    }

    // A key after a zero byte is not the exchange's page: one report, then the worker goes.
    void connection()
    {
        QFETCH(ScriptedReply, country);
        QFETCH(QString, done);
        server.setReply("GET", "/view/login", PageWith(QByteArray("<p>\0", 4)));
        server.setReply("GET", "/country", country);
        const QStringList texts = checkConnection(QNetworkProxy(QNetworkProxy::NoProxy), country.hold);
        QCOMPARE(texts.size(), 1);
        QVERIFY_MATCHES(done, texts.first());
        QCOMPARE(server.requestCount(), 2);
    }

    // The page is asked for through the given proxy, never directly (nothing listens there).
    void throughTheProxy()
    {
        HttpTestServer proxy;
        proxy.setFallbackReply(PageWith("<p>"));
        const QString direct = std::exchange(
            QBetFair::LoginUrlTemplate, QStringLiteral("http://127.0.0.1:1/view/login?product=%1"));
        const QStringList texts
            = checkConnection(QNetworkProxy(QNetworkProxy::HttpProxy, "127.0.0.1", proxy.port()));
        QBetFair::LoginUrlTemplate = direct;
        QCOMPARE(texts, QStringList { QString() });
        QCOMPARE(proxy.requestCount(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_Session)
#include "tst_session.moc"
