#include "Cents.h"
#include "ExchangeTest.h"
#include "JsonIds.h"
#include "OrderBook.h"
#include "QBetPlacer.h"
#include "QCanceller.h"

#include <QtTest>

#include <memory>

namespace {

struct Placing
{
    // "<market> <name> <back|lay> <stake> <price> [<persistence>]" per bet, "-" for an empty market id.
    QString bets;
    // OrderBook::script, and "stop" (on error), "box" (the first result shows one) or "boxes" (every
    // result does), a currency other than GBP.
    QString script;
    QString expected; // "<bet> <id|-> <error pattern>": with a bet id or without one
    QString done;
    // "<placements> <reductions> <replacements>", or the requests as OrderBook::wire has them.
    QString requests;
};

QString Bet3(bool back, double price, qint64 cents)
{
    return QStringLiteral("%1 %2 %3").arg(back).arg(price).arg(cents);
}

struct Result
{
    QString id, error, bet;
    double price = 0, amount = 0; // as reported, failures too
};

const ScriptedReply Cancelled = ScriptedReply::rpcResult(QJsonObject { { "status", "SUCCESS" } });

// "EXECUTABLE <prefix>:<markets>[@<fromRecord>]" or "cancel <prefix>:<market>:<bets>"; "!" marks
// more than a bet id (the whole unmatched rest goes), more than 60 items are counted.
QString Call(const RecordedRequest& request)
{
    const QJsonObject params = Params(request);
    QStringList items = Strings(params.value("marketIds"));
    items.sort();
    for (const QJsonValue& instruction : params.value("instructions").toArray())
        items << instruction["betId"].toString() + (instruction.toObject().size() == 1 ? "" : "!");
    const QString prefix = request.path().section('/', 1, 1) + ':';
    if (request.rpcMethod().endsWith("cancelOrders"))
        return "cancel " + prefix + params.value("marketId").toString() + ':' + items.join(',');
    const QString listed = items.size() > 60 ? QStringLiteral("%1 items").arg(items.size()) : items.join(',');
    return params.value("orderProjection").toString() + ' ' + prefix + listed
        + (params.contains("fromRecord") ? '@' + QString::number(params.value("fromRecord").toInt()) : "");
}

struct Cancelling
{
    QString orders; // "<market> <bet> <selection> [LAY] [MATCHED]; ..."
    QString ticked; // "<market>:<selection>,...; ..."
    bool back = true;
    QStringList calls; // sorted patterns of Call
    QString done;
    QMap<QString, ScriptedReply> reports = {}; // cancelOrders replies by market id, else success
    int pageSize = 1000; // below 0: every page brings a new order and says there are more
};

} // namespace

Q_DECLARE_METATYPE(Placing)
Q_DECLARE_METATYPE(Cancelling)

// Bets placed, and bets listed and cancelled.
class tst_Orders : public QObject
{
    Q_OBJECT

private slots:
    void init() { server.clearRequests(); }
    void stakeCents_data();
    void stakeCents();
    void jsonIds_data();
    void jsonIds();
    void placing_data();
    void placing();
    void cancelling_data();
    void cancelling();
    void ownerGoesWhileListing();

private:
    // Runs a worker on a session to its one Done; every request named the session.
    void runToEnd(const WorkerWatch& watch, const std::function<void()>& start)
    {
        QBetFair::SessionToken = QStringLiteral("tok");
        start();
        QTRY_VERIFY_WITH_TIMEOUT(watch.worker.isNull() && RepliesSettled(server), Patience);
        QCOMPARE(watch.done.size(), 1);
        for (const RecordedRequest& request : server.requests())
            QCOMPARE(request.header("X-Authentication"), QByteArray("tok"));
    }

    HttpTestServer server;
    LocalExchange local { server };
};

// A stake as typed, and the size it is sent as: half a cent rounds up, whatever the double holds (1.005 is
// stored just below it); beyond a thousand million, or below zero, it is no stake (-1).
void tst_Orders::stakeCents_data()
{
    QTest::addColumn<QString>("size");
    for (const char* row : { "0.005 0.01", "1.005 1.01", "2.675 2.68", "99.995 100.00", "1.0049 1.00",
             "1.0051 1.01", "1000000000 1000000000.00", "1000000000.01 -1", "-0.01 -1", "1e-300 0.00" })
        QTest::newRow(row) << QString(row).section(' ', 1);
}

void tst_Orders::stakeCents()
{
    QFETCH(QString, size);
    const qint64 cents = CentsOf(QString(QTest::currentDataTag()).section(' ', 0, 0).toDouble());
    QCOMPARE(cents < 0 ? QString::number(cents) : CentsText(cents), size);
}

// An id as the exchange sends it: whole numbers in full 64 bits, fractions cut toward zero; beyond 64 bits
// it is no id (0).
void tst_Orders::jsonIds_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<qint64>("id");
    QTest::newRow("largest") << QByteArray("9223372036854775807") << std::numeric_limits<qint64>::max();
    QTest::newRow("one past the largest") << QByteArray("9223372036854775808") << qint64(0);
    QTest::newRow("smallest, as a fraction")
        << QByteArray("-9223372036854775808.0") << std::numeric_limits<qint64>::min();
    QTest::newRow("below the smallest") << QByteArray("-9.3e18") << qint64(0);
    QTest::newRow("fraction") << QByteArray("-12.9") << qint64(-12);
}

void tst_Orders::jsonIds()
{
    QFETCH(QByteArray, json);
    QFETCH(qint64, id);
    QCOMPARE(JsonId(QJsonDocument::fromJson("[" + json + "]").array().at(0)), id);
}

void tst_Orders::placing_data()
{
    QTest::addColumn<Placing>("job");
    const QString mixed = "1.5 A back 5 2.5; 1.5 B back 0.5 3.05; 1.6 C lay 1 4.5";
    const QString stopped = "^Stopped: left unmatched on the exchange at ";
    const QString stop = "^Betting was stopped due to errors$";
    const QString noExchange = R"(- ^No exchange serves market id "%1"$)";
    QString twelve;
    for (int m = 1; m <= 6; ++m)
        twelve += QStringLiteral("1.%1 M%1 back 0.%1 2.5; 2.%1 N%1 lay 9 2.5; ").arg(m);
    // To the cent: from the minimum one placement; below, place unmatchable, reduce, move.
    const auto wire = [](const char* name, const char* currency, const char* bet, const char* requests) {
        QTest::newRow(name) << Placing { bet, currency, "A id ^$", "^$", requests };
    };
    wire("1.995 is the minimum", "", "1.5 A back 1.995 25 MARKET_ON_CLOSE",
        "api place LIMIT BACK 2.00@25 MARKET_ON_CLOSE");
    wire("Australian market, SEK", "SEK", "2.31 A back 30 1000", "api-au place LIMIT BACK 30.00@1000 LAPSE");
    wire("back 0.5", "", "1.5 A back 0.5 3.05",
        "api place LIMIT BACK 2.00@1000 LAPSE; api cancel 1001 -1.50; api replace 1001 >3.05");
    wire("lay 1.994, one cent short", "EUR", "1.5 A lay 1.994 3.05 PERSIST",
        "api place LIMIT LAY 2.00@1.01 PERSIST; api cancel 1001 -0.01; api replace 1001 >3.05");
    // Whatever goes wrong, every bet gets one outcome.
    QTest::newRow("reports reversed") << Placing { "1.5 A back 5 2.5; 1.5 B back 0.5 3; 1.5 C lay 1 3",
        "reversed", "A id ^$; B id ^$; C id ^$", "^$", "1 1 1" };
    QTest::newRow("stakes that are no amount")
        << Placing { "1.5 A back 0.004 2.5; 1.5 B back nan 2.5; 1.5 C back -1 2.5; 1.5 D back 1e10 2.5", "",
               "A - ^Invalid stake: 0.004$; B - ^Invalid stake: nan$; C - ^Invalid stake: -1$; D - ^Invalid",
               "^$", "0 0 0" };
    QTest::newRow("placements refused, one placed without a bet id")
        << Placing { mixed, "place A refuse INSUFFICIENT_FUNDS; place B nobetid; place C refuse",
               "A - ^INSUFFICIENT_FUNDS$; B - ^LOGICAL ERROR$; C - ^FAILURE$", "^LOGICAL ERROR$", "2 0 0" };
    // A placement without report is never sent again; a later step once more.
    QTest::newRow("no placement report, replacement not made")
        << Placing { mixed, "place B noreport; replace C cancelonly ERROR_IN_ORDER",
               "A id ^$; B - ^NO_REPORT$; C id ^ERROR_IN_ORDER$", "^$", "2 1 1" };
    QTest::newRow("reduction reported the second time, replacement never") << Placing { mixed,
        "cancel B noreportonce; replace C noreport", "A id ^$; B id ^$; C id ^NO_REPORT$", "^$", "2 3 3" };
    // A request refused as a whole names its reason; nothing is sent again.
    QTest::newRow("requests refused as a whole")
        << Placing { "1.5 A back 5 2.5; 1.6 B back 0.5 3.05", "whole place 1.5 MARKET_SUSPENDED; whole cancel 1.6 X",
               "A - ^MARKET_SUSPENDED$; B id ^X$", "^$", "2 1 0" };
    QTest::newRow("placement refused, stop, bets in flight elsewhere") << Placing {
        "1.5 A back 5 2.5; 1.6 B back 0.5 3.05; 1.7 C lay 0.5 3",
        "stop; place A refuse INSUFFICIENT_FUNDS; hold 1.6; hold 1.7",
        "A - ^INSUFFICIENT_FUNDS$; B id " + stopped + "1000 for 2.00$; C id " + stopped + "1.01 for 2.00$",
        stop, "3 0 0"
    };
    QTest::newRow("failing placement request, a bet in flight elsewhere")
        << Placing { "1.5 A back 5 2.5; 1.5 B back 1 2.5; 1.6 C back 0.5 3", "http place 1.5; hold 1.6",
               "A - ^Network error: ; B - ^Network error: ; C id " + stopped + "1000 for 2.00$",
               "^Network error: ", "2 0 0" };
    QTest::newRow("markets of no exchange, stop: nothing sent")
        << Placing { "3.1 A back 5 2.5; - B back 5 2.5; 1.5 C back 5 2.5; 2.5 D back 0.5 2.5", "stop",
               "A " + noExchange.arg("3\\.1") + "; B " + noExchange.arg("")
                   + "; C - ^Not placed: betting was stopped$; D - ^Not placed",
               stop, "0 0 0" };
    // Receivers open modal boxes, inside which further replies are handled.
    QTest::newRow("results of one reply still shown when the last arrives")
        << Placing { "1.5 A back 5 2.5; 1.5 B back 5 2.5; 1.6 C back 5 2.5",
               "box; place A refuse X; place B refuse X; hold 1.6", "A - ^X$; B - ^X$; C id ^$", "^$",
               "2 0 0" };
    QTest::newRow("two operations of one market overlap")
        << Placing { "1.5 A back 0.5 3.05; 1.5 B lay 0.7 3.05; 1.5 C back 5 2; 1.6 D back 1 2",
               "boxes; cancel B noreportonce; place C refuse X; hold 1.6",
               "A id ^$; B id ^$; C - ^X$; D id ^$", "^$", "2 3 3" };
    QTest::newRow("a box on every result, twelve markets through the throttle")
        << Placing { twelve, "boxes", "M1 id ^$; N6 id ^$", "^$", "12 6 6" };
}

// One result per bet, then one Done; successes stand as wanted and every bet on the book was told.
void tst_Orders::placing()
{
    QFETCH(Placing, job);
    Bets bets;
    QHash<QString, QList<QBetPlacer::QBet>> markets;
    for (const QString& line : Split(job.bets)) {
        const QStringList f = line.split(' ');
        const QBetPlacer::QBet bet { f.at(2) == "back", f.at(4), f.at(3).toDouble(), 4700 + bets.size(),
            f.at(1), f.value(5, "LAPSE"), {}, 0 };
        bets.append({ f.at(0) == "-" ? QString() : f.at(0), bet });
        markets[bets.last().first].append(bet);
    }
    const auto exchange = std::make_shared<OrderBook>();
    exchange->script(job.script, bets);
    AnswerBetting(server, { "placeOrders", "cancelOrders", "replaceOrders" },
        [exchange](const RecordedRequest& request) { return exchange->answer(request); });
    const QStringList options = Split(job.script);
    QBetFair::Currency = options.filter(QRegularExpression("^[A-Z]{3}$")).value(0, "GBP");
    QBetFair::StopOnError = options.contains("stop");
    // A box stays open until every reply is in; held answers go with the first result.
    auto* placer = new QBetPlacer;
    WorkerWatch watch(placer);
    QHash<QString, Result> results;
    int shown = 0;
    connect(placer, &QBetPlacer::BetResult, &watch,
        [&](const QString& id, const QString& name, bool back, double price, double amount, double, double,
            const QString& error) {
            QVERIFY2(watch.done.isEmpty(), "a result after Done");
            QVERIFY2(!results.contains(name), qPrintable(name + " twice"));
            results.insert(name,
                { id, error, error.isEmpty() ? Bet3(back, price, qRound64(amount * 100)) : "", price,
                    amount });
            exchange->released = true;
            server.releaseAll();
            if (options.contains("boxes") || (options.contains("box") && shown++ == 0))
                RunModalBox([this] { return RepliesSettled(server); });
        });
    runToEnd(watch, [&] { placer->Bet(markets); });
    QBetFair::StopOnError = false;
    QCOMPARE(results.size(), bets.size());
    QVERIFY_MATCHES(job.done, watch.done.value(0));
    for (const QString& line : Split(job.expected)) {
        const Result result = results.value(line.section(' ', 0, 0));
        QVERIFY_MATCHES(line.section(' ', 2), result.error);
        QVERIFY2((line.section(' ', 1, 1) == "id") != result.id.isEmpty(), qPrintable(line));
        // A bet stopped on its way is shown as it was left: at the price and size its text names.
        const QRegularExpressionMatch left = QRegularExpression(" at (\\S+) for (\\S+)$").match(result.error);
        if (left.hasMatch())
            QCOMPARE(QStringLiteral("%1 for %2").arg(result.price).arg(result.amount, 0, 'f', 2),
                left.captured(1) + " for " + left.captured(2));
    }
    QHash<QString, qint64> reported; // bet id -> selection
    const QMutexLocker locker(&exchange->mutex);
    for (const auto& [market, bet] : bets) {
        QVERIFY2(results.contains(bet.name), qPrintable(bet.name));
        const Result result = results.value(bet.name);
        reported.insert(result.id, bet.selectionId);
        if (!result.error.isEmpty())
            continue;
        // As wanted, as placed and as reported.
        const OrderBook::Order placed = exchange->book.value(result.id);
        QCOMPARE(placed.selection, bet.selectionId);
        QCOMPARE(Bet3(placed.back, placed.price.toDouble(), placed.cents), result.bet);
        // Plain rounding of the double: the stakes are whole cents, or a double just above the half (1.995).
        QCOMPARE(Bet3(bet.back, bet.price.toDouble(), qRound64(bet.stake * 100.0)), result.bet);
    }
    for (auto order = exchange->book.cbegin(); order != exchange->book.cend(); ++order) {
        QVERIFY2(!order->named || reported.value(order.key()) == order->selection,
            qPrintable(QStringLiteral("bet %1 at %2 never reported").arg(order.key(), order->price)));
    }
    for (const RecordedRequest& request : server.requests())
        QVERIFY2(!request.body.contains("\"0.00\""), request.body.constData());
    const QString wire = exchange->wire.join("; ");
    const QString counts = QStringLiteral("%1 %2 %3").arg(wire.count(" place ")).arg(wire.count(" cancel "));
    QCOMPARE(job.requests.contains("place") ? wire : counts.arg(wire.count(" replace ")), job.requests);
}

void tst_Orders::cancelling_data()
{
    QTest::addColumn<Cancelling>("job");
    const QString list = "EXECUTABLE api:1.1";
    QString many, sixtyOnTwo, four, hundred, markets;
    QStringList sixty, others;
    for (int i = 0; i < 251; ++i) {
        many += i < 61 ? QStringLiteral("1.1 b%1 10; ").arg(i) : QString();
        sixtyOnTwo += i < 60 ? QStringLiteral("1.2 c%1 10; ").arg(i) : QString();
        hundred += i < 100 ? QStringLiteral("1.1 b%1 10; ").arg(i) : QString();
        sixty << QStringLiteral("b%1").arg(i);
        others << QStringLiteral("c%1").arg(i);
        markets
            += (i < 250 ? QStringLiteral("1.%1:1;").arg(i) : QString()) + QStringLiteral("2.%1:1;").arg(i);
        four += i < 4 ? QStringLiteral("1.%1 b%1 %1; ").arg(i + 1) : QString();
    }
    const QString ticked = "1.1:1; 1.2:2; 1.3:3";
    const QStringList three { "EXECUTABLE api:1.1,1.2,1.3", "cancel api:1.1:b1", "cancel api:1.2:b2",
        "cancel api:1.3:b3" };
    // The listing in batches of 250 markets, each to its market's exchange: 250 in one, 251 in two.
    QTest::newRow("250 and 251 markets") << Cancelling { "", markets, true,
        { "EXECUTABLE api-au:2\\.\\d+", "EXECUTABLE api-au:250 items", "EXECUTABLE api:250 items" },
        "No bets" };
    // Only unmatched bets of ticked selections (64-bit ids) on the chosen side.
    QTest::newRow("lay side, ids beyond 32 bits") << Cancelling {
        "1.1 b1 4294967297; 1.1 b2 4294967297 LAY; 1.1 b3 1 LAY; 1.1 b4 4294967297 LAY MATCHED",
        "1.1:4294967297", false, { list, "cancel api:1.1:b2" }, ""
    };
    QTest::newRow("endpoints by market id, a bet listed twice cancelled once")
        << Cancelling { "1.1 b1 10; 2.1 b2 20 LAY; 2.1 b3 21; 2.1 b2 20 LAY", "1.1:10; 2.1:20,21", true,
               { "EXECUTABLE api-au:2.1", list, "cancel api-au:2.1:b2,b3", "cancel api:1.1:b1" }, "" };
    // At most 60 bets a request, and never a request without one: that would cancel every bet of the market.
    QTest::newRow("60 bets in one request, 61 in two")
        << Cancelling { many + sixtyOnTwo, "1.1:10; 1.2:10", true,
               { "EXECUTABLE api:1.1,1.2", "cancel api:1.1:" + sixty.mid(0, 60).join(','),
                   "cancel api:1.1:b60", "cancel api:1.2:" + others.mid(0, 60).join(',') },
               "" };
    QTest::newRow("more orders on later pages") << Cancelling { many.section(';', 0, 4), "1.1:10", true,
        { list, list + "@2", list + "@4", "cancel api:1.1:b0,b1,b2,b3,b4" }, "", {}, 2 };
    // A hundred pages of a batch are read, and no more.
    const QString pages = "(EXECUTABLE api:1\\.1(@\\d+)?\n){99}EXECUTABLE api:1\\.1@\\d+";
    QTest::newRow("100 pages") << Cancelling { hundred, "1.1:10", true,
        { pages, "cancel api:1\\.1:b.*", "cancel api:1\\.1:b.*" }, "", {}, 1 };
    QTest::newRow("more without end")
        << Cancelling { "1.1 b1 10", "1.1:10", true, { pages }, "Server response error", {}, -1 };
    QTest::newRow("more claimed, none given")
        << Cancelling { "1.1 b1 10", "1.1:10", true, { list }, "Server response error", {}, 0 };
    QTest::newRow("nothing ticked") << Cancelling { "1.1 b1 10", "", true, {}, "No bets" };
    // Success only when every report says so, else the first failure (its status without a code).
    QTest::newRow("refused first, cancelled later") << Cancelling { four.section(';', 0, 2), ticked, true,
        three, "Error in cancelling on market: PROCESSED WITH ERRORS",
        { { "1.1", ScriptedReply::rpcResult(QJsonObject { { "status", "PROCESSED_WITH_ERRORS" } }) },
            { "1.2", Cancelled.held() }, { "1.3", Cancelled.held() } } };
    // The fourth cancel waits its turn while the first failure comes in.
    const ScriptedReply lapsed = ScriptedReply::rpcResult(
        QJsonObject { { "status", "FAILURE" }, { "errorCode", "BET_TAKEN_OR_LAPSED" } });
    QTest::newRow("nothing sent after a failure") << Cancelling { four, ticked + "; 1.4:4", true,
        { "EXECUTABLE api:1.1,1.2,1.3,1.4", "cancel api:1..:b.", "cancel api:1..:b.", "cancel api:1..:b." },
        "Error in cancelling on market: BET TAKEN OR LAPSED",
        { { "1.1", lapsed }, { "1.2", lapsed }, { "1.3", lapsed }, { "1.4", lapsed } } };
}

void tst_Orders::cancelling()
{
    QFETCH(Cancelling, job);
    QJsonArray orders;
    for (const QString& line : Split(job.orders)) {
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
    AnswerBetting(
        server, { "listCurrentOrders" }, [orders, pageSize = job.pageSize](const RecordedRequest& request) {
            QVariantList found;
            for (const QJsonValue& order : orders) {
                if (Strings(Params(request).value("marketIds")).contains(order["marketId"].toString()))
                    found << order.toVariant();
            }
            const int from = Params(request).value("fromRecord").toInt();
            if (pageSize < 0) {
                QJsonObject order = orders.first().toObject();
                order.insert("betId", QStringLiteral("b%1").arg(from));
                return ScriptedReply::rpcResult(
                    QJsonObject { { "currentOrders", QJsonArray { order } }, { "moreAvailable", true } });
            }
            return ScriptedReply::rpcResult(
                QJsonObject { { "currentOrders", QJsonArray::fromVariantList(found.mid(from, pageSize)) },
                    { "moreAvailable", from + pageSize < found.size() } });
        });
    AnswerBetting(server, { "cancelOrders" }, [reports = job.reports](const RecordedRequest& request) {
        return reports.value(Params(request).value("marketId").toString(), Cancelled);
    });

    auto* worker = new QCanceller;
    WorkerWatch watch(worker);
    const ReleaseInTurn inTurn(server);
    runToEnd(watch, [&] { worker->Cancel(ticked, job.back, true); });
    QVERIFY_MATCHES("^" + job.done + "$", watch.done.value(0));
    QStringList calls;
    for (const RecordedRequest& request : server.requests())
        calls << Call(request);
    calls.sort();
    QVERIFY_MATCHES("^" + job.calls.join('\n') + "$", calls.join('\n'));
}

// Last: the listing's answer is kept back until the program ends. The owner
// of a cancel goes while its bets are being listed: the canceller ends once,
// and its listing ends with it (the sanitizer build's leak check would see a
// listing left behind).
void tst_Orders::ownerGoesWhileListing()
{
    AnswerBetting(server, { "listCurrentOrders" }, [](const RecordedRequest&) {
        return ScriptedReply::rpcResult(QJsonObject { { "currentOrders", QJsonArray() } }).held();
    });
    QBetFair::SessionToken = QStringLiteral("tok");
    auto* owner = new QObject;
    auto* worker = new QCanceller;
    worker->EndWith(owner);
    const WorkerWatch watch(worker);
    worker->Cancel(QHash<QString, QList<qlonglong>> { { "1.1", { 11 } } }, true, true);
    QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, Patience);
    delete owner;
    QTRY_VERIFY_WITH_TIMEOUT(watch.worker.isNull(), Patience);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(watch.done, QStringList { "Cancelled" });
    QBetFair::SessionToken.clear();
}

QTEST_GUILESS_MAIN(tst_Orders)
#include "tst_orders.moc"
