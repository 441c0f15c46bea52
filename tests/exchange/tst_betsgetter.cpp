#include "CurrentOrders.h"
#include "HeldInTurn.h"
#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "QBetsGetter.h"
#include "RequestOutcome.h"
#include "WorkerWatch.h"

#include <QRegularExpression>
#include <QtTest>

using namespace CurrentOrders;

namespace {

// Replies by "<first market id of the request>@<fromRecord>"; any other
// request gets a page without orders.
using Script = QMap<QString, ScriptedReply>;

QStringList MainIds(int count)
{
    QStringList ids;
    for (int i = 0; i < count; ++i)
        ids << QStringLiteral("1.%1").arg(i);
    return ids;
}

// "api:1.1,1.2", with "@<fromRecord>" for a later page; sorted, as requests
// to two endpoints may arrive in either order.
QStringList DescribeCalls(const QList<RecordedRequest>& requests)
{
    QStringList calls;
    for (const RecordedRequest& request : requests) {
        const QJsonObject params = Params(request);
        QString call = Prefix(request) + ':' + Strings(params.value("marketIds")).join(',');
        if (params.contains("fromRecord"))
            call += '@' + QString::number(params.value("fromRecord").toInt());
        calls << call;
    }
    calls.sort();
    return calls;
}

struct Outcome : QObject
{
    QStringList texts;
    QList<QStringList> tables;

    explicit Outcome(QBetsGetter* getter)
    {
        connect(getter, QOverload<const QString&>::of(&QBetsGetter::Done), this,
            [this](const QString& text) { texts << text; });
        connect(getter, QOverload<const QHash<QString, QList<QBetsGetter::QBet>>&>::of(&QBetsGetter::Done),
            this, [this](const QHash<QString, QList<QBetsGetter::QBet>>& bets) { tables << Describe(bets); });
    }

    int ends() const { return texts.size() + tables.size(); }
};

} // namespace

class tst_BetsGetter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void request_data();
    void request();
    void listing_data();
    void listing();
    void emptyMarketList();

private:
    HttpTestServer server;
    LocalExchange exchange { server };
};

void tst_BetsGetter::init()
{
    server.clearRequests();
    QBetFair::SessionToken = QStringLiteral("tok");
    QBetFair::Currency = QStringLiteral("GBP");
    server.setRpcReply(LocalExchange::bettingPath("api"), ListMethod, Page({}));
    server.setRpcReply(LocalExchange::bettingPath("api-au"), ListMethod, Page({}));
}

void tst_BetsGetter::cleanup()
{
    QBetFair::SessionToken.clear();
    QBetFair::Currency = QStringLiteral("???");
}

void tst_BetsGetter::request_data()
{
    QTest::addColumn<bool>("matched");
    QTest::addColumn<bool>("unmatched");
    QTest::addColumn<QString>("projection");
    QTest::newRow("both") << true << true << "ALL";
    QTest::newRow("matched alone") << true << false << "EXECUTION_COMPLETE";
    QTest::newRow("unmatched alone") << false << true << "EXECUTABLE";
    QTest::newRow("neither") << false << false << "EXECUTABLE";
}

// The call as the exchange gets it: nothing but the projection and the markets.
void tst_BetsGetter::request()
{
    QFETCH(bool, matched);
    QFETCH(bool, unmatched);
    QFETCH(QString, projection);

    auto* getter = new QBetsGetter;
    WorkerWatch watch(getter);
    getter->GetBets({ "1.10", "1.2" }, matched, unmatched);
    QTRY_VERIFY_WITH_TIMEOUT(watch.deleted(), Patience);

    QCOMPARE(server.requestCount(), 1);
    const RecordedRequest call = server.lastRequest();
    QCOMPARE(call.path(), LocalExchange::bettingPath("api"));
    QCOMPARE(call.rpcMethod(), ListMethod);
    QCOMPARE(call.header("X-Authentication"), QByteArray("tok"));
    QCOMPARE(Params(call),
        QJsonObject({ { "orderProjection", projection }, { "marketIds", QJsonArray { "1.10", "1.2" } } }));
}

void tst_BetsGetter::listing_data()
{
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<Script>("script");
    QTest::addColumn<QStringList>("calls");
    // The orders table it ends with; empty when it ends with a text.
    QTest::addColumn<QStringList>("table");
    // A pattern for that text.
    QTest::addColumn<QString>("text");

    QTest::newRow("status and side compared exactly")
        << QStringList { "1.1" }
        << Script { { "1.1@0",
               Page({ Order("1.1", "b1", 47972, "BACK", "EXECUTABLE"),
                   Order("1.1", "b2", 47973, "LAY", "EXECUTION_COMPLETE"), Order("1.1", "b3", 1, "back"),
                   Order("1.1", "b4", 2, "LAY", "execution_complete") }) } }
        << QStringList { "api:1.1" }
        << QStringList { "1.1/b1:47972:B:U", "1.1/b2:47973:L:M", "1.1/b3:1:L:U", "1.1/b4:2:L:U" } << "";
    QTest::newRow("missing keys still count")
        << QStringList { "1.1" }
        << Script { { "1.1@0", Page({ QJsonObject {}, QJsonObject { { "betId", "b9" } }, 3 }) } }
        << QStringList { "api:1.1" } << QStringList { "/:0:L:U", "/b9:0:L:U", "/:0:L:U" } << "";
    // Written out: the JSON writer itself would round the first id to a double.
    const ScriptedReply wide = ScriptedReply::text(R"({"jsonrpc": "2.0", "id": 1, "result": {"currentOrders": [
        {"marketId": "1.1", "betId": "b1", "selectionId": 12345678901234567, "side": "BACK"},
        {"marketId": "1.1", "betId": "b2", "selectionId": 4294967297, "side": "BACK"},
        {"marketId": "1.1", "betId": "b3", "selectionId": 47972.9, "side": "BACK"},
        {"marketId": "1.1", "betId": "b4", "selectionId": -3.7, "side": "BACK"},
        {"marketId": "1.1", "betId": "b5", "selectionId": "47972", "side": "BACK"},
        {"marketId": "1.1", "betId": "b6", "selectionId": 1e30, "side": "BACK"}]}})",
        "application/json");
    QTest::newRow("64-bit selection ids")
        << QStringList { "1.1" } << Script { { "1.1@0", wide } } << QStringList { "api:1.1" }
        << QStringList { "1.1/b1:12345678901234567:B:U", "1.1/b2:4294967297:B:U", "1.1/b3:47972:B:U",
               "1.1/b4:-3:B:U", "1.1/b5:0:B:U", "1.1/b6:0:B:U" }
        << "";
    QTest::newRow("no orders anywhere")
        << QStringList { "1.1", "2.1" }
        << Script { { "1.1@0", ScriptedReply::rpcResult(QJsonObject {}) },
               { "2.1@0", Page({}).held() } }
        << QStringList { "api-au:2.1", "api:1.1" } << QStringList {} << "^No bets$";

    const QStringList many = MainIds(251);
    QTest::newRow("251 markets in batches of 250")
        << many << Script { { "1.250@0", Page({ Order("1.250", "b1", 7) }) } }
        << QStringList { "api:" + many.mid(0, 250).join(','), "api:1.250" } << QStringList { "1.250/b1:7:B:U" }
        << "";
    QTest::newRow("jurisdiction by id prefix")
        << QStringList { "2.5", "10.1", "1.7" }
        << Script { { "2.5@0", Page({ Order("2.5", "b1", 1) }) }, { "1.7@0", Page({ Order("1.7", "b2", 2) }) } }
        << QStringList { "api-au:2.5,10.1", "api:1.7" } << QStringList { "1.7/b2:2:B:U", "2.5/b1:1:B:U" } << "";
    const QJsonArray three { Order("1.1", "b1", 1), Order("1.2", "b2", 2), Order("1.1", "b3", 3) };
    QTest::newRow("3 orders, then an empty reply")
        << QStringList { "1.1", "1.2", "2.1" }
        << Script { { "1.1@0", Page(three) }, { "2.1@0", Page({}).held() } }
        << QStringList { "api-au:2.1", "api:1.1,1.2" } << QStringList { "1.1/b1:1:B:U", "1.1/b3:3:B:U", "1.2/b2:2:B:U" }
        << "";
    QTest::newRow("an empty reply, then 3 orders")
        << QStringList { "1.1", "1.2", "2.1" } << Script { { "1.1@0", Page(three).held() } }
        << QStringList { "api-au:2.1", "api:1.1,1.2" } << QStringList { "1.1/b1:1:B:U", "1.1/b3:3:B:U", "1.2/b2:2:B:U" }
        << "";
    QTest::newRow("failure after orders drops them")
        << QStringList { "1.1", "2.1" }
        << Script { { "1.1@0", Page(three) }, { "2.1@0", ScriptedReply::error(500).held() } }
        << QStringList { "api-au:2.1", "api:1.1" } << QStringList {} << "^Network error: ";
    QTest::newRow("refused by the exchange")
        << QStringList { "1.1" }
        << Script { { "1.1@0",
               ScriptedReply::json(QJsonDocument::fromJson(R"({"jsonrpc": "2.0", "id": 1, "error": {"code": -32099,
                   "data": {"APINGException": {"errorCode": "INVALID_SESSION_INFORMATION"}}}})")) } }
        << QStringList { "api:1.1" } << QStringList {} << "^INVALID_SESSION_INFORMATION$";

    QTest::newRow("more orders asked for from the next record")
        << QStringList { "1.1", "1.2" }
        << Script { { "1.1@0", Page({ Order("1.1", "b1", 1), Order("1.2", "b2", 2) }, true) },
               { "1.1@2", Page({ Order("1.1", "b3", 3) }, true) }, { "1.1@3", Page({ Order("1.2", "b4", 4) }) } }
        << QStringList { "api:1.1,1.2", "api:1.1,1.2@2", "api:1.1,1.2@3" }
        << QStringList { "1.1/b1:1:B:U", "1.1/b3:3:B:U", "1.2/b2:2:B:U", "1.2/b4:4:B:U" } << "";
    QTest::newRow("each batch pages on its own")
        << QStringList { "1.1", "2.1" }
        << Script { { "1.1@0", Page({ Order("1.1", "b1", 1) }, true) }, { "1.1@1", Page({ Order("1.1", "b2", 2) }) },
               { "2.1@0", Page({ Order("2.1", "b3", 3), Order("2.1", "b4", 4) }, true) },
               { "2.1@2", Page({ Order("2.1", "b5", 5) }) } }
        << QStringList { "api-au:2.1", "api-au:2.1@2", "api:1.1", "api:1.1@1" }
        << QStringList { "1.1/b1:1:B:U", "1.1/b2:2:B:U", "2.1/b3:3:B:U", "2.1/b4:4:B:U", "2.1/b5:5:B:U" } << "";
    QTest::newRow("more claimed, none given")
        << QStringList { "1.1" } << Script { { "1.1@0", Page({}, true) } } << QStringList { "api:1.1" }
        << QStringList {} << "^Server response error$";
    QTest::newRow("next page fails")
        << QStringList { "1.1" }
        << Script { { "1.1@0", Page({ Order("1.1", "b1", 1) }, true) }, { "1.1@1", ScriptedReply::error(503) } }
        << QStringList { "api:1.1", "api:1.1@1" } << QStringList {} << "^Network error: ";
}

// One end, with every order of every page, or a text and no table.
void tst_BetsGetter::listing()
{
    QFETCH(QStringList, ids);
    QFETCH(Script, script);
    QFETCH(QStringList, calls);
    QFETCH(QStringList, table);
    QFETCH(QString, text);
    const auto handler = [script](const RecordedRequest& request) {
        const QJsonObject params = Params(request);
        const QString key = QStringLiteral("%1@%2").arg(
            Strings(params.value("marketIds")).value(0), QString::number(params.value("fromRecord").toInt()));
        return script.value(key, Page({}));
    };
    server.setRpcHandler(LocalExchange::bettingPath("api"), ListMethod, handler);
    server.setRpcHandler(LocalExchange::bettingPath("api-au"), ListMethod, handler);

    auto* getter = new QBetsGetter;
    WorkerWatch watch(getter);
    Outcome outcome(getter);
    const HeldInTurn inTurn(server, calls.filter(QRegularExpression("^[^@]*$")).size());
    getter->GetBets(ids, false, true);
    QTRY_VERIFY_WITH_TIMEOUT(watch.deleted(), Patience);
    // Requests still out when it ended.
    QTRY_VERIFY_WITH_TIMEOUT(inTurn.settled(), Patience);

    QCOMPARE(outcome.ends(), 1);
    if (text.isEmpty()) {
        QCOMPARE(outcome.tables.value(0), table);
    } else {
        QCOMPARE(outcome.texts.size(), 1);
        QVERIFY2(QRegularExpression(text).match(outcome.texts.first()).hasMatch(), qPrintable(outcome.texts.first()));
    }
    QCOMPARE(DescribeCalls(server.requests()), calls);
    for (const RecordedRequest& request : server.requests()) {
        QCOMPARE(request.rpcMethod(), ListMethod);
        QCOMPARE(Params(request).value("orderProjection").toString(), QStringLiteral("EXECUTABLE"));
    }
}

// Nothing to ask about: it ends at once instead of waiting forever.
void tst_BetsGetter::emptyMarketList()
{
    auto* getter = new QBetsGetter;
    WorkerWatch watch(getter);
    Outcome outcome(getter);
    getter->GetBets({}, false, true);
    QCOMPARE(outcome.texts, QStringList { "No bets" });
    QCOMPARE(outcome.tables.size(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(watch.deleted(), Patience);
    QCOMPARE(server.requestCount(), 0);
}

QTEST_GUILESS_MAIN(tst_BetsGetter)
#include "tst_betsgetter.moc"
