#include "HeldInTurn.h"
#include "LocalExchange.h"
#include "QBetsGetter.h"
#include "QCanceller.h"
#include "ReplyScript.h"
#include "RequestOutcome.h"
#include "WorkerWatch.h"

#include <QRegularExpression>
#include <QtTest>

namespace {

const QString ListMethod = QStringLiteral("SportsAPING/v1.0/listCurrentOrders");
const ScriptedReply Cancelled = ScriptedReply::rpcResult(QJsonObject { { "status", "SUCCESS" } });
const ScriptedReply Lapsed = ScriptedReply::rpcResult(
    QJsonObject { { "status", "FAILURE" }, { "errorCode", "BET_TAKEN_OR_LAPSED" } });

// "<projection> <prefix>:<markets>[@<fromRecord>]" for a listing, "cancel <prefix>:<market>:<bets>".
QString Describe(const RecordedRequest& request)
{
    const QJsonObject params = Params(request);
    QStringList items = Strings(params.value("marketIds"));
    items.sort();
    for (const QJsonValue& instruction : params.value("instructions").toArray()) {
        // The bet id alone: the whole unmatched remainder goes.
        const bool betIdAlone = instruction.toObject().keys() == QStringList { "betId" };
        items << instruction.toObject().value("betId").toString() + (betIdAlone ? "" : "!");
    }
    const QString prefix = request.path().section('/', 1, 1) + ':';
    const QString wrong = params.size() == 2 + params.contains("fromRecord") ? "" : "!"; // a member too many
    if (request.rpcMethod() != ListMethod)
        return "cancel " + prefix + params.value("marketId").toString() + ':' + items.join(',') + wrong;
    return params.value("orderProjection").toString() + ' ' + prefix + items.join(',')
        + (params.contains("fromRecord") ? '@' + QString::number(params.value("fromRecord").toInt()) : "")
        + wrong;
}

// Cancelling as the user asks it, and what the exchange holds and answers.
struct Case
{
    QString orders; // "<market> <bet> <selection> [LAY] [MATCHED]; ..."
    QString ticked; // "<market>:<selection>,...; ..."
    bool back = true;
    bool lay = true;
    QStringList calls; // sorted patterns of Describe
    QString done;
    // cancelOrders replies by market id; any other market's cancel succeeds.
    QMap<QString, ScriptedReply> reports = {};
    int pageSize = 1000;
    // "<matched> <unmatched>": the ticked markets listed by the getter alone, with those flags.
    QString getter = {};
};

} // namespace

Q_DECLARE_METATYPE(Case)

class tst_CurrentOrders : public QObject
{
    Q_OBJECT

private slots:
    void cancelling_data();
    void cancelling();

private:
    HttpTestServer server;
    LocalExchange exchange { server };
};

void tst_CurrentOrders::cancelling_data()
{
    QTest::addColumn<Case>("job");
    const QString sides = "1.1 b1 10; 1.1 b2 10 LAY; 1.1 b3 11; 1.1 b4 10 MATCHED";
    const QString refused = "Error in cancelling on market: BET TAKEN OR LAPSED";
    const QString list = "EXECUTABLE api:1.1";
    QString many;
    QStringList sixty;
    for (int i = 0; i < 61; ++i) {
        many += QStringLiteral("1.1 b%1 10; ").arg(i);
        sixty << QStringLiteral("b%1").arg(i);
    }
    sixty.removeLast();
    QString four;
    for (int i = 1; i <= 4; ++i)
        four += QStringLiteral("1.%1 b%1 %1; ").arg(i);
    const QString ticked = "1.1:1; 1.2:2; 1.3:3";
    const QStringList three { "EXECUTABLE api:1.1,1.2,1.3", "cancel api:1.1:b1", "cancel api:1.2:b2",
        "cancel api:1.3:b3" };

    // The listing: the projection and the markets, in batches of 250, each to its market's exchange.
    QStringList markets;
    for (int i = 0; i < 251; ++i)
        markets << QStringLiteral("1.%1").arg(i);
    markets.sort(); // as the getter is given them
    QTest::newRow("listed: matched and unmatched")
        << Case { "", "1.10:1; 1.2:1", true, true, { "ALL api:1.10,1.2" }, "No bets", {}, 0, "1 1" };
    QTest::newRow("listed: matched") << Case { "", "1.10:1", true, true, { "EXECUTION_COMPLETE api:1.10" },
        "No bets", {}, 0, "1 0" };
    QTest::newRow("listed: unmatched")
        << Case { "", "2.1:1", true, true, { "EXECUTABLE api-au:2.1" }, "No bets", {}, 0, "0 1" };
    QTest::newRow("listed: 251 markets") << Case { "", markets.join(":1;") + ":1", true, true,
        { "EXECUTABLE api:" + markets.mid(0, 250).join(','), "EXECUTABLE api:" + markets.last() }, "No bets",
        {}, 0, "0 1" };
    // Only unmatched bets of ticked selections on the chosen sides, listed first.
    QTest::newRow("back side") << Case { sides, "1.1:10", true, false, { list, "cancel api:1.1:b1" }, "" };
    QTest::newRow("lay side") << Case { sides, "1.1:10", false, true, { list, "cancel api:1.1:b2" }, "" };
    QTest::newRow("both sides") << Case { sides, "1.1:10", true, true, { list, "cancel api:1.1:b1,b2" }, "" };
    QTest::newRow("neither side") << Case { sides, "1.1:10", false, false, { list }, "No bets to cancel" };
    QTest::newRow("ids beyond 32 bits") << Case { "1.1 b1 1; 1.1 b2 4294967297; 1.1 b3 4294967296",
        "1.1:4294967297", true, true, { list, "cancel api:1.1:b2" }, "" };
    QTest::newRow("endpoints by market id, a bet listed twice cancelled once")
        << Case { "1.1 b1 10; 2.1 b2 20 LAY; 2.1 b3 21; 2.1 b2 20 LAY", "1.1:10; 2.1:20,21", true, true,
               { "EXECUTABLE api-au:2.1", list, "cancel api-au:2.1:b2,b3", "cancel api:1.1:b1" }, "" };
    QTest::newRow("61 bets in two requests") << Case { many, "1.1:10", true, true,
        { list, "cancel api:1.1:" + sixty.join(','), "cancel api:1.1:b60" }, "" };
    QTest::newRow("more orders on later pages") << Case { many.section(';', 0, 4), "1.1:10", true, true,
        { list, list + "@2", list + "@4", "cancel api:1.1:b0,b1,b2,b3,b4" }, "", {}, 2 };
    QTest::newRow("more claimed, none given")
        << Case { "1.1 b1 10", "1.1:10", true, true, { list }, "Server response error", {}, 0 };
    QTest::newRow("nothing ticked") << Case { sides, "", true, true, {}, "No bets" };
    // One Done: success only when every report says so, else the first failure.
    QTest::newRow("refused, blanks for underscores")
        << Case { four.section(';', 0, 2), ticked, true, true, three, refused, { { "1.2", Lapsed } } };
    QTest::newRow("refused first, cancelled later") << Case { four.section(';', 0, 2), ticked, true, true,
        three, refused, { { "1.1", Lapsed }, { "1.2", Cancelled.held() }, { "1.3", Cancelled.held() } } };
    QTest::newRow("the last request fails") << Case { four.section(';', 0, 2), ticked, true, true, three,
        "Network error: .*", { { "1.3", ScriptedReply::error(500).held() } } };
    // The fourth cancel waits its turn while the first failure comes in.
    QTest::newRow("nothing sent after a failure") << Case { four, ticked + "; 1.4:4", true, true,
        { "EXECUTABLE api:1.1,1.2,1.3,1.4", "cancel api:1..:b.", "cancel api:1..:b.", "cancel api:1..:b." },
        refused, { { "1.1", Lapsed }, { "1.2", Lapsed }, { "1.3", Lapsed }, { "1.4", Lapsed } } };
}

void tst_CurrentOrders::cancelling()
{
    QFETCH(Case, job);
    server.clearRequests();
    QJsonArray orders;
    for (const QString& line : job.orders.split(QRegularExpression("\\s*;\\s*"), Qt::SkipEmptyParts)) {
        const QStringList f = line.split(' ');
        orders << QJsonObject { { "marketId", f.at(0) }, { "betId", f.at(1) },
            { "selectionId", f.at(2).toLongLong() }, { "side", f.contains("LAY") ? "LAY" : "BACK" },
            { "status", f.contains("MATCHED") ? "EXECUTION_COMPLETE" : "EXECUTABLE" } };
    }
    QHash<QString, QList<qlonglong>> ticked;
    for (const QString& market : job.ticked.split(';', Qt::SkipEmptyParts)) {
        for (const QString& selection : market.section(':', 1).split(','))
            ticked[market.section(':', 0, 0).trimmed()] << selection.toLongLong();
    }
    for (const QString& prefix : QBetFair::EndpointPrefixes) {
        server.setRpcHandler(LocalExchange::bettingPath(prefix), ListMethod,
            [orders, pageSize = job.pageSize](const RecordedRequest& request) {
                const QStringList asked = Strings(Params(request).value("marketIds"));
                QJsonArray found;
                for (const QJsonValue& order : orders) {
                    if (asked.contains(order.toObject().value("marketId").toString()))
                        found << order;
                }
                const int from = Params(request).value("fromRecord").toInt();
                return ScriptedReply::rpcResult(QJsonObject {
                    { "currentOrders",
                        QJsonArray::fromVariantList(found.toVariantList().mid(from, pageSize)) },
                    { "moreAvailable", from + pageSize < found.size() } });
            });
        server.setRpcHandler(LocalExchange::bettingPath(prefix), "SportsAPING/v1.0/cancelOrders",
            [reports = job.reports](const RecordedRequest& request) {
                return reports.value(Params(request).value("marketId").toString(), Cancelled);
            });
    }

    QBetFair::SessionToken = QStringLiteral("tok");
    QActionWorker* worker
        = job.getter.isEmpty() ? static_cast<QActionWorker*>(new QCanceller) : new QBetsGetter;
    WorkerWatch watch(worker);
    connect(worker, &QActionWorker::Info, this, [](const QString& text) { QFAIL(qPrintable(text)); });
    const HeldInTurn inTurn(server, job.calls.size());
    QStringList markets = ticked.keys();
    markets.sort();
    if (job.getter.isEmpty())
        static_cast<QCanceller*>(worker)->Cancel(ticked, job.back, job.lay);
    else
        static_cast<QBetsGetter*>(worker)->GetBets(
            markets, job.getter.startsWith('1'), job.getter.endsWith('1'));
    QTRY_VERIFY_WITH_TIMEOUT(watch.deleted() && inTurn.settled() && RepliesSettled(server), Patience);

    QVERIFY2(watch.endedWith("^" + job.done + "$"), qPrintable(watch.done.join('|')));
    QStringList calls;
    for (const RecordedRequest& request : server.requests()) {
        calls << Describe(request);
        QCOMPARE(request.header("X-Authentication"), QByteArray("tok"));
    }
    calls.sort();
    QCOMPARE(calls.size(), job.calls.size());
    for (int i = 0; i < calls.size(); ++i)
        QVERIFY_MATCHES("^" + job.calls.at(i) + "$", calls.at(i));
}

QTEST_GUILESS_MAIN(tst_CurrentOrders)
#include "tst_currentorders.moc"
