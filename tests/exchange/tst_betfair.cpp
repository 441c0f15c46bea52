#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "MessageCapture.h"
#include "QBetFair.h"
#include "QBetFairRequest.h"
#include "QKeepAlive.h"
#include "RequestOutcome.h"

#include <QJsonDocument>
#include <QtTest>

namespace {

const QString Json = QStringLiteral("application/json");
const QByteArray Token = "token-7f3a9c";

QJsonObject Object(const char* json)
{
    return QJsonDocument::fromJson(json).object();
}

} // namespace

class tst_BetFair : public QObject
{
    Q_OBJECT

    HttpTestServer server;
    LocalExchange exchange { server };
    QBetFair sender;

private slots:
    void init()
    {
        server.clearRequests();
        server.setReply("GET", "/held", ScriptedReply::text("{}").held());
    }
    void cleanup()
    {
        QBetFair::SessionToken.clear();
        QBetFair::Currency = QStringLiteral("???");
        server.releaseAll();
        QTRY_VERIFY_WITH_TIMEOUT(sender.IsIdle(), Patience);
    }

    void minimumStake()
    {
        for (const auto& [currency, stake] : QList<QPair<QString, int>> {
                 { "GBP", 2 }, { "SEK", 30 }, { "HKD", 25 }, { "AUD", 5 }, { "???", 4 }, { "gbp", 4 } }) {
            QBetFair::Currency = currency;
            QCOMPARE(QBetFair::MinimumStake(), stake);
        }
    }

    // The keep-alive object is made once for the whole run and runs while
    // a token is held; a valid session needs the account's currency too.
    void session()
    {
        QBetFair::SetSessionToken(QStringLiteral("first"));
        QKeepAlive* worker = QBetFair::KeepAliveWorker;
        QVERIFY(worker->isActive() && QBetFair::HasSession() && !QBetFair::IsSessionValid());
        QBetFair::Currency = QStringLiteral("EUR");
        QVERIFY(QBetFair::IsSessionValid());
        QBetFair::SetSessionToken(QString());
        QVERIFY(QBetFair::KeepAliveWorker == worker && !worker->isActive() && !QBetFair::IsSessionValid());
        QCOMPARE(QBetFair::GetCurrency(), QStringLiteral("EUR"));
    }

    void addresses()
    {
        const QString chart
            = server.url("/%1/betting/LoadRunnerInfoChartAction.do?marketId=%2&selectionId=%3");
        QCOMPARE(QBetFair::ChartUrl("1.123", 456), chart.arg("uk", "123", "456"));
        QCOMPARE(QBetFair::ChartUrl("2.987", 4), chart.arg("au", "987", "4"));
        QCOMPARE(QBetFair::ChartUrl("1.2.3", 7), chart.arg("uk", "2.3", "7"));
        QCOMPARE(QBetFair::ChartUrl("1.1", 9007199254740993LL), chart.arg("uk", "1", "9007199254740993"));
        QCOMPARE(QBetFair::MarketUrl("2.17", "Rugby  Union "),
            "http://www.betfair.com/exchange/rugby--union-/market?id=2.17");
    }

    void headersAndEnvelope_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("session"); // a session token and an application key
        QTest::addColumn<QString>("service");
        const QString betting = QBetFair::BettingUrl.arg("api");
        QTest::newRow("betting") << betting << true << "SportsAPING";
        QTest::newRow("betting, no session, no key") << betting << false << "SportsAPING";
        QTest::newRow("account") << QBetFair::AccountUrl << true << "AccountAPING";
        QTest::newRow("identity") << QBetFair::IdentityUrl.arg("keepAlive") << true << "";
    }

    // The exact header set (names and values, not order) and the envelope.
    void headersAndEnvelope()
    {
        QFETCH(QString, url);
        QFETCH(bool, session);
        QFETCH(QString, service);
        QBetFair::SessionToken = session ? Token : QByteArray();
        const QJsonObject params = Object(R"({"filter":{"marketIds":["1.2"]}})");
        sender.CreateRequest(url, session ? QBetFair::AppKey : QString(), Json, QVariant())
            ->Call("listMarketBook", params);
        QTRY_COMPARE_WITH_TIMEOUT(server.requestCount(), 1, Patience);

        const RecordedRequest received = server.lastRequest();
        QStringList expected { "accept: application/json", "accept-encoding: gzip", "connection: keep-alive",
            "content-type: application/json", "user-agent: Quillory HTTP Client 2.0" };
        if (session)
            expected += "x-application: " + QBetFair::AppKey;
        if (session && !service.isEmpty())
            expected += "x-authentication: " + Token;
        QStringList actual;
        for (const auto& header : received.headers)
            actual += QString(header.first.toLower() + ": " + header.second);
        actual = actual.filter(QRegularExpression("^(?!host|content-length|accept-language)"));
        actual.sort();
        expected.sort();
        QCOMPARE(actual, expected);
        const QJsonObject envelope { { "jsonrpc", "2.0" }, { "method", service + "/v1.0/listMarketBook" },
            { "params", params } };
        QCOMPARE(received.json(), envelope);
        QVERIFY2(received.body.count('\n') > 3, "the call is sent indented");
    }

    void replyHandling_data()
    {
        QTest::addColumn<ScriptedReply>("reply");
        QTest::addColumn<QString>("report");
        QTest::addColumn<QJsonObject>("payload");
        const auto json = [](const char* text) { return ScriptedReply::text(text, "application/json"); };
        const char* list = R"({"result":[{"marketId":"1.2"}]})";
        const char* object = R"({"result":{"balance":12.5}})";
        const QJsonObject balance = Object(R"({"balance":12.5})");
        QTest::newRow("object result") << json(object) << "^Success $" << balance;
        QTest::newRow("list result") << json(list) << "^Success $" << Object(list);
        QTest::newRow("top-level array") << json("[1,2]") << "^Success $" << Object(R"({"result":[1,2]})");
        QTest::newRow("gzip in chunks") << json(object).gzipped().inChunks() << "^Success $" << balance;
        QTest::newRow("exchange error")
            << json(R"({"error":{"code":-32099,"data":{"APINGException":{"errorCode":"INVALID_APP_KEY"}}}})")
            << "^Error INVALID_APP_KEY$" << QJsonObject();
        QTest::newRow("not JSON") << ScriptedReply::text("<html/>") << "^Error Server response error$"
                                  << QJsonObject();
        QTest::newRow("HTTP 500") << ScriptedReply::error(500) << "^Error Network error: " << QJsonObject();
        QTest::newRow("cancelled") << json(object).held() << "^Cancelled Cancelled$" << QJsonObject();
    }

    // A held reply is cancelled. Whatever the outcome, the session token
    // stays out of the error text and every message.
    void replyHandling()
    {
        QFETCH(ScriptedReply, reply);
        QFETCH(QString, report);
        QFETCH(QJsonObject, payload);
        QBetFair::SessionToken = Token;
        server.enqueueReply("POST", LocalExchange::bettingPath(), reply);
        RequestOutcome outcome;
        const MessageCapture capture;
        QBetFairRequest* request
            = sender.CreateRequest(QBetFair::BettingUrl.arg("api"), QBetFair::AppKey, Json, 42);
        outcome.watch(request);
        request->Call(QStringLiteral("listMarketBook"), QJsonObject());
        if (reply.hold) {
            QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, Patience);
            emit request->Canceled();
        }
        QTRY_VERIFY_WITH_TIMEOUT(outcome.ended(), Patience);
        QCOMPARE(outcome.reports.first(), "finishedOrCancelled");
        QVERIFY_MATCHES(report, outcome.reports.last());
        QCOMPARE(outcome.reply, payload);
        QCOMPARE(outcome.tag, QVariant(42));
        QCOMPARE(server.lastRequest().header("X-Authentication"), Token);
        for (const QString& text : capture.messages() + outcome.reports)
            QVERIFY2(!text.contains(QString(Token)), qPrintable(text));
    }

    void parseError_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("error");
        for (const QStringList& row : QList<QStringList> { { "null", R"({"error":null})", "" },
                 { "empty", R"({"error":""})", "" }, { "text", R"({"error":"X"})", "X" },
                 { "betting", R"({"error":{"data":{"APINGException":{"errorCode":"A"}}}})", "A" },
                 { "account", R"({"error":{"data":{"AccountAPINGException":{"errorCode":"B"}}}})", "B" },
                 { "code only", R"({"error":{"code":-32700,"message":"M"}})", "ERROR_CODE: -32700" },
                 // Errors the rules cannot name must not pass as success.
                 { "other data, code", R"({"error":{"code":-3,"data":{"x":1}}})", "ERROR_CODE: -3" },
                 { "other data, message", R"({"error":{"message":"M","data":{}}})", "M" },
                 { "empty object", R"({"error":{}})", "Server response error" },
                 { "number", R"({"error":5})", "Server response error" } })
            QTest::newRow(qPrintable(row[0])) << row[1] << row[2];
    }

    void parseError()
    {
        QFETCH(QString, reply);
        QFETCH(QString, error);
        QCOMPARE(QBetFair::ParseError(QJsonDocument::fromJson(reply.toUtf8()).object()), error);
    }

    // The fourth request of a sender waits until one of its three in flight
    // is answered, another sender is not held back; a sender is idle only in
    // the slot of its last reply.
    void throttle()
    {
        QList<bool> idleInSlot;
        QObject scope;
        const auto send = [&](QBetFair* from) {
            QBetFairRequest* request = from->CreateRequest(server.url("/held"), QString(), Json, QVariant());
            if (from == &sender)
                connect(request, &QBetFairRequest::finished, &scope, [&] { idleInSlot += sender.IsIdle(); });
            return request;
        };
        for (int i = 0; i < 3; ++i)
            send(&sender)->Send(QByteArray());
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 3, Patience);
        bool waited = false;
        QTimer::singleShot(0, this, [&] { waited = true; });
        QBetFair other;
        send(&other)->Send(QByteArray());
        QVERIFY(!waited);
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 4, Patience);

        QTimer::singleShot(0, this, [&] {
            waited = true;
            server.release(1);
        });
        QBetFairRequest* fourth = send(&sender);
        QVERIFY(waited);
        QCOMPARE(idleInSlot, QList<bool> { false });
        fourth->Send(QByteArray());
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 4, Patience);
        server.releaseAll();
        QTRY_COMPARE_WITH_TIMEOUT(idleInSlot.size(), 4, Patience);
        QCOMPARE(idleInSlot, QList<bool>({ false, false, false, true }));
        QTRY_VERIFY_WITH_TIMEOUT(other.IsIdle(), Patience);
    }
};

QTEST_GUILESS_MAIN(tst_BetFair)
#include "tst_betfair.moc"
