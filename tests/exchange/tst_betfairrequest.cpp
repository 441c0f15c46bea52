#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "MessageCapture.h"
#include "QBetFair.h"
#include "QBetFairRequest.h"
#include "RequestOutcome.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

using Headers = QMap<QByteArray, QByteArray>;

namespace {

const QString Json = QStringLiteral("application/json");
const QString Form = QStringLiteral("application/x-www-form-urlencoded");
const QByteArray Token = "token-7f3a9c";

// Headers the transport adds by itself; the exchange's own set is the rest.
const QList<QByteArray> TransportHeaders = { "host", "content-length", "accept-language" };

QJsonObject Object(const char* json)
{
    return QJsonDocument::fromJson(json).object();
}

} // namespace

class tst_BetFairRequest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void headers_data();
    void headers();
    void envelope_data();
    void envelope();
    void replyHandling_data();
    void replyHandling();
    void failures_data();
    void failures();
    void parseError_data();
    void parseError();
    void secretsStayOutOfMessagesAndErrors();

private:
    // Creates a request through a sender, watches it, and returns it unsent.
    QBetFairRequest* create(const QString& url, const QString& key, const QString& contentType,
        RequestOutcome* outcome, const QVariant& tag = QVariant());

    HttpTestServer server;
    LocalExchange exchange { server };
    QBetFair sender;
};

void tst_BetFairRequest::init()
{
    server.clearRequests();
    QBetFair::SessionToken.clear();
}

void tst_BetFairRequest::cleanup()
{
    QBetFair::SessionToken.clear();
    QTRY_VERIFY_WITH_TIMEOUT(sender.IsIdle(), Patience);
}

QBetFairRequest* tst_BetFairRequest::create(const QString& url, const QString& key,
    const QString& contentType, RequestOutcome* outcome, const QVariant& tag)
{
    QBetFairRequest* request = sender.CreateRequest(url, key, contentType, tag);
    outcome->watch(request);
    return request;
}

void tst_BetFairRequest::headers_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("token");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("contentType");
    QTest::addColumn<bool>("get");
    QTest::addColumn<Headers>("expected");

    const Headers common { { "content-type", "application/json" },
        { "user-agent", "Quillory HTTP Client 2.0" }, { "accept-encoding", "gzip" },
        { "connection", "keep-alive" }, { "accept", "application/json" } };
    auto with = [](Headers headers, const Headers& more) {
        for (auto it = more.cbegin(); it != more.cend(); ++it)
            headers.insert(it.key(), it.value());
        return headers;
    };
    const Headers keyed = with(common, { { "x-application", QBetFair::AppKey.toUtf8() } });
    const Headers authenticated = with(keyed, { { "x-authentication", Token } });

    QTest::newRow("betting with a session") << QBetFair::BettingUrl.arg("api") << QString(Token)
                                            << QBetFair::AppKey << Json << false << authenticated;
    QTest::newRow("australian betting") << QBetFair::BettingUrl.arg("api-au") << QString(Token)
                                        << QBetFair::AppKey << Json << false << authenticated;
    QTest::newRow("betting without a session")
        << QBetFair::BettingUrl.arg("api") << QString() << QBetFair::AppKey << Json << false << keyed;
    QTest::newRow("account with a session")
        << QBetFair::AccountUrl << QString(Token) << QBetFair::AppKey << Json << false << authenticated;
    QTest::newRow("identity login form")
        << QBetFair::IdentityUrl.arg("login") << QString(Token) << QBetFair::AppKey << Form << false
        << with(keyed, { { "content-type", Form.toUtf8() } });
    QTest::newRow("identity without a key")
        << QBetFair::IdentityUrl.arg("logout") << QString(Token) << QString() << Json << false << common;
    QTest::newRow("betting without a key")
        << QBetFair::BettingUrl.arg("api") << QString(Token) << QString() << Json << false
        << with(common, { { "x-authentication", Token } });
    QTest::newRow("scores, a GET") << QBetFair::ScoresUrl.arg("1,2") << QString(Token) << QString() << Json
                                   << true << common;
}

void tst_BetFairRequest::headers()
{
    QFETCH(QString, url);
    QFETCH(QString, token);
    QFETCH(QString, key);
    QFETCH(QString, contentType);
    QFETCH(bool, get);
    QFETCH(Headers, expected);

    QBetFair::SessionToken = token;
    RequestOutcome outcome;
    QBetFairRequest* request = create(url, key, contentType, &outcome);
    if (get)
        request->Send(QByteArray());
    else
        request->Call(QStringLiteral("anything"), QJsonObject());
    QTRY_COMPARE_WITH_TIMEOUT(server.requestCount(), 1, Patience);

    const RecordedRequest received = server.lastRequest();
    QCOMPARE(received.method, QByteArray(get ? "GET" : "POST"));
    Headers actual;
    for (const auto& header : received.headers) {
        const QByteArray name = header.first.toLower();
        QVERIFY2(!actual.contains(name), name.constData());
        if (!TransportHeaders.contains(name))
            actual.insert(name, header.second);
    }
    QCOMPARE(actual, expected);
}

void tst_BetFairRequest::envelope_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("sentMethod");

    QTest::newRow("betting") << QBetFair::BettingUrl.arg("api") << QStringLiteral("listMarketCatalogue")
                             << QStringLiteral("SportsAPING/v1.0/listMarketCatalogue");
    QTest::newRow("account") << QBetFair::AccountUrl << QStringLiteral("getAccountFunds")
                             << QStringLiteral("AccountAPING/v1.0/getAccountFunds");
    QTest::newRow("account before betting")
        << server.url(QStringLiteral("/betting/x/account/y")) << QStringLiteral("getAccountFunds")
        << QStringLiteral("AccountAPING/v1.0/getAccountFunds");
    QTest::newRow("case matters") << server.url(QStringLiteral("/Betting/x"))
                                  << QStringLiteral("listMarketBook")
                                  << QStringLiteral("/v1.0/listMarketBook");
    QTest::newRow("no service") << QBetFair::IdentityUrl.arg("keepAlive") << QStringLiteral("keepAlive")
                                << QStringLiteral("/v1.0/keepAlive");
}

void tst_BetFairRequest::envelope()
{
    QFETCH(QString, url);
    QFETCH(QString, method);
    QFETCH(QString, sentMethod);

    QBetFair::SessionToken = QString(Token);
    const QJsonObject params = Object(R"({"filter":{"marketIds":["1.2","1.3"]},"maxResults":"200"})");
    RequestOutcome outcome;
    create(url, QBetFair::AppKey, Json, &outcome)->Call(method, params);
    QTRY_COMPARE_WITH_TIMEOUT(server.requestCount(), 1, Patience);

    const RecordedRequest received = server.lastRequest();
    QCOMPARE(received.method, QByteArray("POST"));
    const QJsonObject expected { { "jsonrpc", "2.0" }, { "method", sentMethod }, { "params", params } };
    QCOMPARE(received.json(), expected);
    QVERIFY2(received.body.count('\n') > 3, "the call is sent indented");
    // The session goes exactly where a service is named.
    QCOMPARE(received.hasHeader("X-Authentication"), !sentMethod.startsWith(QLatin1Char('/')));
}

void tst_BetFairRequest::replyHandling_data()
{
    QTest::addColumn<ScriptedReply>("reply");
    QTest::addColumn<QMarkedRequest::QRequestResult>("result");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QJsonObject>("payload");

    const char* listResult = R"({"jsonrpc":"2.0","result":[{"marketId":"1.2"}],"id":1})";
    const char* objectResult = R"({"jsonrpc":"2.0","result":{"availableToBetBalance":12.5},"id":1})";
    const char* identityReply = R"({"token":"abc","product":"x","status":"SUCCESS","error":""})";
    const auto json = [](const char* text) { return ScriptedReply::text(text, "application/json"); };

    QTest::newRow("object result") << json(objectResult) << QMarkedRequest::Success << QString()
                                   << Object(R"({"availableToBetBalance":12.5})");
    QTest::newRow("list result") << json(listResult) << QMarkedRequest::Success << QString()
                                 << Object(listResult);
    QTest::newRow("value result") << json(R"({"result":5})") << QMarkedRequest::Success << QString()
                                  << Object(R"({"result":5})");
    QTest::newRow("no result") << json(identityReply) << QMarkedRequest::Success << QString()
                               << Object(identityReply);
    QTest::newRow("top-level array") << json(R"([1,{"a":2}])") << QMarkedRequest::Success << QString()
                                     << Object(R"({"result":[1,{"a":2}]})");
    QTest::newRow("gzip") << json(objectResult).gzipped() << QMarkedRequest::Success << QString()
                          << Object(R"({"availableToBetBalance":12.5})");
    QTest::newRow("gzip in chunks") << json(listResult).gzipped().inChunks() << QMarkedRequest::Success
                                    << QString() << Object(listResult);
    QTest::newRow("exception") << json(R"({"error":{"code":-32099,"data":{"APINGException":)"
                                       R"({"errorCode":"INVALID_APP_KEY"}}}})")
                               << QMarkedRequest::Error << QStringLiteral("INVALID_APP_KEY") << QJsonObject();
    QTest::newRow("error text") << json(R"({"error":"NO_SESSION"})") << QMarkedRequest::Error
                                << QStringLiteral("NO_SESSION") << QJsonObject();
    QTest::newRow("empty body") << json("") << QMarkedRequest::Error
                                << QStringLiteral("Server response error") << QJsonObject();
    QTest::newRow("html page") << ScriptedReply::text("<html><body>Maintenance</body></html>", "text/html")
                               << QMarkedRequest::Error << QStringLiteral("Server response error")
                               << QJsonObject();
    QTest::newRow("json string") << json(R"("text")") << QMarkedRequest::Error
                                 << QStringLiteral("Server response error") << QJsonObject();
    QTest::newRow("corrupt gzip") << json("not really gzip").withHeader("Content-Encoding", "gzip")
                                  << QMarkedRequest::Error << QStringLiteral("Server response error")
                                  << QJsonObject();
}

void tst_BetFairRequest::replyHandling()
{
    QFETCH(ScriptedReply, reply);
    QFETCH(QMarkedRequest::QRequestResult, result);
    QFETCH(QString, error);
    QFETCH(QJsonObject, payload);

    const QString path = LocalExchange::bettingPath();
    server.enqueueRpcReply(path, QStringLiteral("SportsAPING/v1.0/listMarketBook"), reply);
    RequestOutcome outcome;
    create(QBetFair::BettingUrl.arg("api"), QBetFair::AppKey, Json, &outcome, QStringLiteral("tag 7"))
        ->Call(QStringLiteral("listMarketBook"), QJsonObject());
    QTRY_COMPARE_WITH_TIMEOUT(outcome.calls, 1, Patience);

    QCOMPARE(outcome.result, result);
    QCOMPARE(outcome.error, error);
    QCOMPARE(outcome.reply, payload);
    QCOMPARE(outcome.tag, QVariant(QStringLiteral("tag 7")));
    QVERIFY(outcome.cancelledSignalFirst);
}

void tst_BetFairRequest::failures_data()
{
    QTest::addColumn<ScriptedReply>("reply");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QMarkedRequest::QRequestResult>("result");
    QTest::addColumn<QString>("errorStart");

    const ScriptedReply fine = ScriptedReply::rpcResult(QJsonArray());
    QTest::newRow("server error") << ScriptedReply::error(500) << false << QMarkedRequest::Error
                                  << QStringLiteral("Network error: ");
    QTest::newRow("connection closed")
        << ScriptedReply::closed() << false << QMarkedRequest::Error << QStringLiteral("Network error: ");
    QTest::newRow("cancelled") << fine.held() << true << QMarkedRequest::Cancelled
                               << QStringLiteral("Cancelled");
}

void tst_BetFairRequest::failures()
{
    QFETCH(ScriptedReply, reply);
    QFETCH(bool, cancel);
    QFETCH(QMarkedRequest::QRequestResult, result);
    QFETCH(QString, errorStart);

    server.enqueueReply("POST", LocalExchange::bettingPath(), reply);
    RequestOutcome outcome;
    QBetFairRequest* request = create(QBetFair::BettingUrl.arg("api"), QBetFair::AppKey, Json, &outcome, 42);
    request->Call(QStringLiteral("listMarketBook"), QJsonObject());
    if (cancel) {
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, Patience);
        emit request->Canceled();
    }
    QTRY_COMPARE_WITH_TIMEOUT(outcome.calls, 1, Patience);

    QCOMPARE(outcome.result, result);
    QVERIFY2(outcome.error.startsWith(errorStart), qPrintable(outcome.error));
    QVERIFY(outcome.reply.isEmpty());
    QCOMPARE(outcome.tag, QVariant(42));
    server.releaseAll();
}

void tst_BetFairRequest::parseError_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("error");

    const QString unnamed = QStringLiteral("Server response error");
    QTest::newRow("no error member") << QByteArray(R"({"result":[]})") << QString();
    QTest::newRow("error null") << QByteArray(R"({"error":null})") << QString();
    QTest::newRow("error empty text") << QByteArray(R"({"error":""})") << QString();
    QTest::newRow("error text") << QByteArray(R"({"error":"TOO_MANY_REQUESTS"})")
                                << QStringLiteral("TOO_MANY_REQUESTS");
    QTest::newRow("betting exception") << QByteArray(R"({"error":{"code":-32099,"data":{"APINGException":)"
                                                     R"({"errorCode":"INVALID_SESSION_INFORMATION"}}}})")
                                       << QStringLiteral("INVALID_SESSION_INFORMATION");
    QTest::newRow("account exception") << QByteArray(R"({"error":{"data":{"AccountAPINGException":)"
                                                     R"({"errorCode":"INVALID_APP_KEY"}}}})")
                                       << QStringLiteral("INVALID_APP_KEY");
    QTest::newRow("betting exception first")
        << QByteArray(R"({"error":{"data":{"APINGException":{"errorCode":"A"},)"
                      R"("AccountAPINGException":{"errorCode":"B"}}}})")
        << QStringLiteral("A");
    QTest::newRow("code only") << QByteArray(R"({"error":{"code":-32700,"message":"Parse error"}})")
                               << QStringLiteral("ERROR_CODE: -32700");
    QTest::newRow("code that is text")
        << QByteArray(R"({"error":{"code":"x"}})") << QStringLiteral("ERROR_CODE: 0");
    // Errors the rules cannot name must not pass as success.
    QTest::newRow("unknown data, code") << QByteArray(R"({"error":{"code":-32602,"data":{"other":1}}})")
                                        << QStringLiteral("ERROR_CODE: -32602");
    QTest::newRow("exception without code, code")
        << QByteArray(R"({"error":{"code":-32099,"data":{"APINGException":{"errorDetails":"x"}}}})")
        << QStringLiteral("ERROR_CODE: -32099");
    QTest::newRow("unknown data, message")
        << QByteArray(R"({"error":{"message":"Bad params","data":{}}})") << QStringLiteral("Bad params");
    QTest::newRow("message only") << QByteArray(R"({"error":{"message":"Bad params"}})")
                                  << QStringLiteral("Bad params");
    QTest::newRow("empty error object") << QByteArray(R"({"error":{}})") << unnamed;
    QTest::newRow("error number") << QByteArray(R"({"error":5})") << unnamed;
    QTest::newRow("error true") << QByteArray(R"({"error":true})") << unnamed;
    QTest::newRow("error array") << QByteArray(R"({"error":["x"]})") << unnamed;
}

void tst_BetFairRequest::parseError()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, error);
    QCOMPARE(QBetFair::ParseError(QJsonDocument::fromJson(reply).object()), error);
}

void tst_BetFairRequest::secretsStayOutOfMessagesAndErrors()
{
    QBetFair::SessionToken = QString(Token);
    server.enqueueReply("POST", LocalExchange::bettingPath(), ScriptedReply::error(500));
    server.enqueueReply("POST", LocalExchange::bettingPath(), ScriptedReply::rpcResult(QJsonArray()));
    server.enqueueReply("POST", LocalExchange::bettingPath(), ScriptedReply::text("<html/>"));

    QStringList errors;
    QStringList messages;
    {
        const MessageCapture capture;
        for (int i = 0; i < 3; ++i) {
            RequestOutcome outcome;
            create(QBetFair::BettingUrl.arg("api"), QBetFair::AppKey, Json, &outcome)
                ->Call(QStringLiteral("listMarketBook"), QJsonObject());
            QTRY_COMPARE_WITH_TIMEOUT(outcome.calls, 1, Patience);
            errors.append(outcome.error);
        }
        messages = capture.messages();
    }

    QVERIFY(server.lastRequest().header("X-Authentication") == Token);
    for (const QString& text : errors + messages)
        QVERIFY2(!text.contains(QString(Token)), qPrintable(text));
}

QTEST_GUILESS_MAIN(tst_BetFairRequest)
#include "tst_betfairrequest.moc"
