#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "MessageCapture.h"
#include "QKeepAlive.h"
#include "QLogin.h"
#include "RequestOutcome.h"
#include "WorkerWatch.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <QtTest>

namespace {

const QString AccountDetails = QStringLiteral("AccountAPING/v1.0/getAccountDetails");

ScriptedReply Json(const char* json)
{
    return ScriptedReply::json(QJsonDocument::fromJson(json));
}

ScriptedReply Account(const char* result)
{
    return ScriptedReply::rpcResult(QJsonDocument::fromJson(result).object());
}

const ScriptedReply AccountFault = Json(R"({"jsonrpc": "2.0", "id": 1, "error": {"code": -32099,
    "data": {"AccountAPINGException": {"errorCode": "INVALID_SESSION_INFORMATION"}}}})");

// "POST /api/login", "POST /exchange/account/json-rpc/v1 AccountAPING/v1.0/getAccountDetails", ...
QStringList Trail(const QList<RecordedRequest>& requests)
{
    QStringList trail;
    for (const RecordedRequest& request : requests) {
        QString step = QString::fromLatin1(request.method) + QLatin1Char(' ') + request.path();
        if (!request.rpcMethod().isEmpty())
            step += QLatin1Char(' ') + request.rpcMethod();
        trail.append(step);
    }
    return trail;
}

const QString LoginStep = QStringLiteral("POST /api/login");
const QString DetailsStep = QStringLiteral("POST /exchange/account/json-rpc/v1 ") + AccountDetails;
const QString LogoutStep = QStringLiteral("POST /api/logout");

} // namespace

class tst_Login : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void loginChain_data();
    void loginChain();
    void webLogin_data();
    void webLogin();
    void formBody_data();
    void formBody();
    void headers_data();
    void headers();
    void logout_data();
    void logout();
    void secretsStayOutOfMessagesAndErrors();

private:
    HttpTestServer server;
    LocalExchange exchange { server };
};

void tst_Login::init()
{
    server.clearRequests();
    QBetFair::SessionToken.clear();
    QBetFair::Currency = QStringLiteral("???");
}

void tst_Login::cleanup()
{
    QBetFair::SetSessionToken(QString());
    QBetFair::Currency = QStringLiteral("???");
}

void tst_Login::loginChain_data()
{
    QTest::addColumn<ScriptedReply>("login");
    QTest::addColumn<ScriptedReply>("account");
    QTest::addColumn<QString>("done");
    QTest::addColumn<QString>("token");
    QTest::addColumn<QString>("currency");
    QTest::addColumn<QStringList>("trail");

    const ScriptedReply success
        = Json(R"({"token": "T-1", "product": "p", "status": "SUCCESS", "error": ""})");
    const ScriptedReply gbp = Account(R"({"currencyCode": "GBP", "firstName": "A"})");
    const QStringList both { LoginStep, DetailsStep };
    const QStringList loginOnly { LoginStep };

    QTest::newRow("success") << success << gbp << "^$"
                             << "T-1"
                             << "GBP" << both;
    QTest::newRow("status in lower case")
        << Json(R"({"token": "T-1", "status": "success"})") << gbp << "^TOKEN_ERROR$"
        << ""
        << "???" << loginOnly;
    QTest::newRow("no status") << Json(R"({"token": "T-1"})") << gbp << "^TOKEN_ERROR$"
                               << ""
                               << "???" << loginOnly;
    QTest::newRow("success without a token")
        << Json(R"({"token": "", "status": "SUCCESS"})") << gbp << "^TOKEN_ERROR$"
        << ""
        << "???" << loginOnly;
    QTest::newRow("error beside success")
        << Json(R"({"token": "T-1", "status": "SUCCESS", "error": "INVALID_USERNAME_OR_PASSWORD"})") << gbp
        << "^INVALID_USERNAME_OR_PASSWORD$"
        << ""
        << "???" << loginOnly;
    QTest::newRow("error with failure")
        << Json(R"({"token": "", "status": "FAIL", "error": "ACCOUNT_NOW_LOCKED"})") << gbp
        << "^ACCOUNT_NOW_LOCKED$"
        << ""
        << "???" << loginOnly;
    QTest::newRow("identity server error") << ScriptedReply::error(503) << gbp << "^Network error: "
                                           << ""
                                           << "???" << loginOnly;
    QTest::newRow("identity page not JSON")
        << ScriptedReply::text("<html>maintenance</html>", "text/html") << gbp << "^Server response error$"
        << ""
        << "???" << loginOnly;
    QTest::newRow("account details refused") << success << AccountFault << "^INVALID_SESSION_INFORMATION$"
                                             << "T-1"
                                             << "???" << both;
    QTest::newRow("account service down") << success << ScriptedReply::error(502) << "^Network error: "
                                          << "T-1"
                                          << "???" << both;
    QTest::newRow("account without a currency") << success << Account(R"({"firstName": "A"})") << "^$"
                                                << "T-1"
                                                << "" << both;
}

void tst_Login::loginChain()
{
    QFETCH(ScriptedReply, login);
    QFETCH(ScriptedReply, account);
    QFETCH(QString, done);
    QFETCH(QString, token);
    QFETCH(QString, currency);
    QFETCH(QStringList, trail);
    server.setReply("POST", LocalExchange::identityPath("login"), login);
    server.setRpcReply(LocalExchange::accountPath(), AccountDetails, account);

    auto* worker = new QLogin;
    WorkerWatch watch(worker);
    worker->LogIn(QStringLiteral("alice"), QStringLiteral("secret"));
    QTRY_VERIFY_WITH_TIMEOUT(watch.deleted(), Patience);
    const QStringList texts = watch.done;

    QCOMPARE(texts.size(), 1);
    QVERIFY2(QRegularExpression(done).match(texts.first()).hasMatch(), qPrintable(texts.first()));
    QCOMPARE(QBetFair::SessionToken, token);
    QCOMPARE(QBetFair::Currency, currency);
    QCOMPARE(Trail(server.requests()), trail);
    QCOMPARE(QBetFair::IsSessionValid(), done == QLatin1String("^$"));
    // The keep-alive runs exactly while a token is held.
    QCOMPARE(QBetFair::KeepAliveWorker && QBetFair::KeepAliveWorker->isActive(), !token.isEmpty());
}

void tst_Login::webLogin_data()
{
    QTest::addColumn<QString>("session");
    QTest::addColumn<QString>("done");
    QTest::addColumn<QString>("token");
    QTest::addColumn<QString>("currency");
    QTest::addColumn<QStringList>("trail");

    QTest::newRow("cookie token") << "web-77"
                                  << ""
                                  << "web-77"
                                  << "AUD" << QStringList { DetailsStep };
    // The session held so far stays as it was.
    QTest::newRow("empty cookie") << ""
                                  << "TOKEN_ERROR"
                                  << "old"
                                  << "EUR" << QStringList {};
}

// The token from the web page goes straight to the account details.
void tst_Login::webLogin()
{
    QFETCH(QString, session);
    QFETCH(QString, done);
    QFETCH(QString, token);
    QFETCH(QString, currency);
    QFETCH(QStringList, trail);
    server.setRpcReply(LocalExchange::accountPath(), AccountDetails, Account(R"({"currencyCode": "AUD"})"));
    QBetFair::SetSessionToken(QStringLiteral("old"));
    QBetFair::Currency = QStringLiteral("EUR");

    auto* worker = new QLogin;
    WorkerWatch watch(worker);
    worker->LogInFinished(session);
    QTRY_VERIFY_WITH_TIMEOUT(watch.deleted(), Patience);
    QCOMPARE(watch.done, QStringList { done });

    QCOMPARE(QBetFair::SessionToken, token);
    QCOMPARE(QBetFair::Currency, currency);
    QCOMPARE(Trail(server.requests()), trail);
    if (!trail.isEmpty())
        QCOMPARE(server.lastRequest().header("X-Authentication"), session.toUtf8());
}

void tst_Login::formBody_data()
{
    QTest::addColumn<QString>("username");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("plain") << "alice"
                           << "secret" << QByteArray("username=alice&password=secret");
    QTest::newRow("delimiters, blank, accent, percent")
        << "bob" << QStringLiteral("p+ &=\u00e9%")
        << QByteArray("username=bob&password=p%2B%20%26%3D%C3%A9%25");
    QTest::newRow("unreserved stay") << "a.b_c-d~e"
                                     << "AZaz09" << QByteArray("username=a.b_c-d~e&password=AZaz09");
    QTest::newRow("mail address, url characters")
        << "me@example.org"
        << "a;b/c?d#e'f" << QByteArray("username=me%40example.org&password=a%3Bb%2Fc%3Fd%23e%27f");
    QTest::newRow("empty password") << "u"
                                    << "" << QByteArray("username=u&password=");
    QTest::newRow("non-latin") << QStringLiteral("\u0438\u0432\u0430\u043d") << "x"
                               << QByteArray("username=%D0%B8%D0%B2%D0%B0%D0%BD&password=x");
}

// What the user typed arrives unchanged at the identity service.
void tst_Login::formBody()
{
    QFETCH(QString, username);
    QFETCH(QString, password);
    QFETCH(QByteArray, body);
    server.setReply(
        "POST", LocalExchange::identityPath("login"), Json(R"({"status": "FAIL", "error": "X"})"));

    auto* worker = new QLogin;
    WorkerWatch watch(worker);
    worker->LogIn(username, password);
    QTRY_VERIFY_WITH_TIMEOUT(watch.deleted(), Patience);

    const RecordedRequest request = server.lastRequest();
    QCOMPARE(request.body, body);
    QCOMPARE(request.header("Content-Type"), QByteArray("application/x-www-form-urlencoded"));
    const QUrlQuery decoded(QString::fromLatin1(request.body));
    QCOMPARE(decoded.queryItemValue(QStringLiteral("username"), QUrl::FullyDecoded), username);
    QCOMPARE(decoded.queryItemValue(QStringLiteral("password"), QUrl::FullyDecoded), password);
}

void tst_Login::headers_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<bool>("application");
    QTest::addColumn<bool>("authentication");
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("login") << "login" << QByteArray("POST") << true << false << QByteArray();
    QTest::newRow("account details") << "details" << QByteArray("POST") << true << true << QByteArray();
    QTest::newRow("logout") << "logout" << QByteArray("POST") << false << true << QByteArray("{}");
}

// Only the calls that name a session carry it; the login never does.
void tst_Login::headers()
{
    QFETCH(QString, operation);
    QFETCH(QByteArray, method);
    QFETCH(bool, application);
    QFETCH(bool, authentication);
    QFETCH(QByteArray, body);
    server.setReply("POST", LocalExchange::identityPath("login"), Json(R"({"status": "FAIL"})"));
    server.setReply("POST", LocalExchange::identityPath("logout"), Json(R"({"status": "SUCCESS"})"));
    server.setRpcReply(LocalExchange::accountPath(), AccountDetails, Account(R"({"currencyCode": "GBP"})"));
    QBetFair::SetSessionToken(QStringLiteral("held-token"));
    QBetFair::Currency = QStringLiteral("GBP");

    auto* worker = new QLogin;
    WorkerWatch watch(worker);
    if (operation == QLatin1String("login"))
        worker->LogIn(QStringLiteral("u"), QStringLiteral("p"));
    else if (operation == QLatin1String("details"))
        worker->GetAccountDetails();
    else
        worker->Logout();
    QTRY_VERIFY_WITH_TIMEOUT(watch.deleted(), Patience);

    QCOMPARE(server.requestCount(), 1);
    const RecordedRequest request = server.lastRequest();
    QCOMPARE(request.method, method);
    QCOMPARE(request.hasHeader("X-Application"), application);
    if (application)
        QCOMPARE(request.header("X-Application"), QBetFair::AppKey.toUtf8());
    QCOMPARE(request.header("X-Authentication"), authentication ? QByteArray("held-token") : QByteArray());
    QCOMPARE(request.header("Accept"), QByteArray("application/json"));
    if (!body.isNull())
        QCOMPARE(request.body, body);
}

void tst_Login::logout_data()
{
    QTest::addColumn<QString>("token");
    QTest::addColumn<QString>("currency");
    QTest::addColumn<ScriptedReply>("reply");
    QTest::addColumn<QStringList>("trail");

    const QStringList sent { LogoutStep };
    QTest::newRow("confirmed") << "tok"
                               << "GBP" << Json(R"({"status": "SUCCESS"})") << sent;
    QTest::newRow("refused") << "tok"
                             << "GBP" << Json(R"({"status": "FAIL", "error": "NO_SESSION"})") << sent;
    QTest::newRow("server error") << "tok"
                                  << "GBP" << ScriptedReply::error(500) << sent;
    QTest::newRow("no session") << ""
                                << "GBP" << ScriptedReply::error(500) << QStringList {};
    QTest::newRow("token without account") << "tok"
                                           << "???" << ScriptedReply::error(500) << QStringList {};
}

// A logout always ends with an empty text and leaves no token behind.
void tst_Login::logout()
{
    QFETCH(QString, token);
    QFETCH(QString, currency);
    QFETCH(ScriptedReply, reply);
    QFETCH(QStringList, trail);
    server.setReply("POST", LocalExchange::identityPath("logout"), reply);
    QBetFair::SetSessionToken(token);
    QBetFair::Currency = currency;

    auto* worker = new QLogin;
    WorkerWatch watch(worker);
    worker->Logout();
    QTRY_VERIFY_WITH_TIMEOUT(watch.deleted(), Patience);
    QCOMPARE(watch.done, QStringList { QString() });

    QCOMPARE(Trail(server.requests()), trail);
    QVERIFY(!QBetFair::HasSession());
    QVERIFY(!QBetFair::KeepAliveWorker->isActive());
    QCOMPARE(QBetFair::Currency, currency);
}

void tst_Login::secretsStayOutOfMessagesAndErrors()
{
    const QString password = QStringLiteral("Pa55-wOrd-91x");
    const QString token = QStringLiteral("TOKEN-5e1f0c");
    const QByteArray loginOk = QStringLiteral(R"({"status": "SUCCESS", "token": "%1"})").arg(token).toUtf8();
    server.enqueueReply("POST", LocalExchange::identityPath("login"), ScriptedReply::text(loginOk));
    server.enqueueReply("POST", LocalExchange::identityPath("login"), ScriptedReply::text(loginOk));
    server.enqueueReply("POST", LocalExchange::identityPath("login"), ScriptedReply::error(401));
    server.enqueueRpcReply(LocalExchange::accountPath(), AccountDetails, AccountFault);
    server.enqueueRpcReply(
        LocalExchange::accountPath(), AccountDetails, Account(R"({"currencyCode": "GBP"})"));
    server.setReply("POST", LocalExchange::identityPath("logout"), ScriptedReply::error(500));

    QStringList texts;
    QStringList messages;
    {
        const MessageCapture capture;
        for (int i = 0; i < 3; ++i) {
            auto* worker = new QLogin;
            WorkerWatch watch(worker);
            worker->LogIn(QStringLiteral("alice"), password);
            QTRY_VERIFY_WITH_TIMEOUT(watch.deleted(), Patience);
            texts += watch.done;
        }
        auto* worker = new QLogin;
        WorkerWatch watch(worker);
        worker->Logout();
        QTRY_VERIFY_WITH_TIMEOUT(watch.deleted(), Patience);
        texts += watch.done;
        messages = capture.messages();
    }

    QCOMPARE(texts.size(), 4);
    QCOMPARE(Trail(server.requests()),
        QStringList({ LoginStep, DetailsStep, LoginStep, DetailsStep, LoginStep, LogoutStep }));
    for (const QString& text : texts + messages) {
        QVERIFY2(!text.contains(password), qPrintable(text));
        QVERIFY2(!text.contains(token), qPrintable(text));
    }
}

QTEST_GUILESS_MAIN(tst_Login)
#include "tst_login.moc"
