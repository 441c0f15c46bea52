#include "Cents.h"
#include "LocalExchange.h"
#include "QBetPlacer.h"
#include "ReplyScript.h"
#include "RequestOutcome.h"
#include "WorkerWatch.h"

#include <QMutex>
#include <QRegularExpression>
#include <QtTest>

#include <atomic>
#include <memory>

namespace {

using Bets = QList<QPair<QString, QBetPlacer::QBet>>;

// The exchange's book as the placer sees it, on the server's thread:
// placeOrders, cancelOrders and replaceOrders answered bet by bet.
struct Exchange
{
    struct Order
    {
        qint64 selection = 0;
        bool back = true;
        QString price;
        qint64 cents = 0;
        bool named = true; // a report gave its bet id
    };

    QMutex mutex;
    QMap<QString, Order> book; // by bet id
    // "<place|cancel|replace> <selection>": refuse [code], noreport[once], nobetid or cancelonly code
    QHash<QString, QStringList> faults;
    QStringList failing; // "<operation> <market>": HTTP 500
    QStringList held; // markets answered once the job's first result is out
    std::atomic<bool> released { false };
    bool asText = false; // numbers as text, bet ids as numbers, reports reversed
    int nextBetId = 1001;
    QStringList wire; // "<prefix> <operation> <instruction>, ..." per request

    static QStringList Split(const QString& s)
    {
        return s.split(QRegularExpression(" *; *"), Qt::SkipEmptyParts);
    }
    static qint64 Cents(const QJsonValue& amount) { return qRound64(amount.toString().toDouble() * 100); }
    QJsonValue number(const QString& s) const { return asText ? QJsonValue(s) : QJsonValue(s.toDouble()); }

    // "<operation> <bet> <fault> [<code>]", "http <operation> <market>", "hold <market>" or "text".
    void script(const QString& text, const Bets& bets)
    {
        for (const QString& line : Split(text)) {
            const QStringList f = line.split(' ');
            asText = asText || f.at(0) == "text";
            if (f.at(0) == "http")
                failing << f.at(1) + ' ' + f.at(2);
            if (f.at(0) == "hold")
                held << f.at(1);
            for (const auto& bet : bets) {
                if (bet.second.name == f.value(1))
                    faults.insert(f.at(0) + ' ' + QString::number(bet.second.selectionId), f.mid(2));
            }
        }
    }

    // "!" marks a member too many or too few.
    static QString Describe(const QString& operation, const QJsonObject& in)
    {
        const QJsonObject limit = in.value("limitOrder").toObject();
        const QString wrong = in.size() + limit.size() == (operation == "place" ? 7 : 2) ? "" : "!";
        if (operation == "place")
            return QStringLiteral("%1 %2 %3@%4 %5%6")
                .arg(in.value("orderType").toString(), in.value("side").toString(),
                    limit.value("size").toString(), limit.value("price").toString(),
                    limit.value("persistenceType").toString(), wrong);
        return in.value("betId").toString() + (operation == "cancel" ? " -" : " >")
            + in.value("sizeReduction").toString() + in.value("newPrice").toString() + wrong;
    }

    // The report on one instruction; empty when the exchange gives none.
    QJsonObject report(const QString& operation, const QJsonObject& in)
    {
        const QJsonObject limit = in.value("limitOrder").toObject();
        const QString betId = in.value("betId").toString();
        Order order = operation != "place"
            ? book.value(betId)
            : Order { qint64(in.value("selectionId").toDouble()), in.value("side") == "BACK",
                  limit.value("price").toString(), Cents(limit.value("size")) };
        const QString key = operation + ' ' + QString::number(order.selection);
        const QString fault = faults.value(key).value(0);
        const QJsonObject cancelled { { "status", "SUCCESS" },
            { "instruction", QJsonObject { { "betId", betId } } } };
        QJsonObject refused = cancelled;
        refused.insert("status", "FAILURE");
        refused.insert("errorCode", faults.value(key).value(1));
        if (fault == "noreportonce")
            faults.remove(key);
        if (fault.startsWith("noreport"))
            return {};
        if (operation == "cancel") {
            book[betId].cents -= fault.isEmpty() ? Cents(in.value("sizeReduction")) : 0;
            return fault.isEmpty() ? cancelled : refused;
        }
        if (fault == "cancelonly")
            return { { "status", "FAILURE" }, { "errorCode", refused.value("errorCode") },
                { "cancelInstructionReport", refused } };
        if (operation == "replace") {
            book.remove(betId);
            order.price = in.value("newPrice").toString();
        }
        QJsonObject placed = fault == "refuse" ? refused : cancelled;
        placed.insert("instruction",
            QJsonObject { { "selectionId", number(QString::number(order.selection)) },
                { "side", order.back ? "BACK" : "LAY" },
                { "limitOrder",
                    QJsonObject {
                        { "size", number(CentsText(order.cents)) }, { "price", number(order.price) } } } });
        if (fault != "refuse") {
            const QString id = QString::number(nextBetId++);
            order.named = fault != "nobetid";
            book.insert(id, order);
            if (order.named)
                placed.insert("betId", asText ? QJsonValue(id.toLongLong()) : QJsonValue(id));
        }
        if (operation == "place")
            return placed;
        return { { "status", placed.value("status") }, { "cancelInstructionReport", cancelled },
            { "placeInstructionReport", placed } };
    }

    ScriptedReply answer(const RecordedRequest& request)
    {
        QMutexLocker locker(&mutex);
        const QString operation = request.rpcMethod().section('/', -1).chopped(6);
        const QJsonObject params = Params(request);
        const QString market = params.value("marketId").toString();
        const bool fails = failing.contains(operation + ' ' + market);
        QStringList instructions;
        QJsonArray reports;
        for (const QJsonValue& instruction : params.value("instructions").toArray()) {
            instructions << Describe(operation, instruction.toObject());
            const QJsonObject one = fails ? QJsonObject() : report(operation, instruction.toObject());
            if (!one.isEmpty())
                asText ? reports.prepend(one) : reports.append(one);
        }
        wire << request.path().section('/', 1, 1) + ' ' + operation + ' ' + instructions.join(", ")
                + (params.size() == 2 ? "" : "!");
        const ScriptedReply reply = fails ? ScriptedReply::error(500)
                                          : ScriptedReply::rpcResult(QJsonObject {
                                              { "marketId", market }, { "instructionReports", reports } });
        return held.contains(market) && !released ? reply.held() : reply;
    }
};

enum class Box { None, First, Every };

// A job and what it must come to.
struct Case
{
    // "<market> <name> <back|lay> <stake> <price> [<persistence>]" per bet, "-" for an empty market id.
    QString bets;
    QString script; // Exchange::script
    bool stopOnError = false;
    Box box = Box::None;
    QString expected; // "<bet> <id|-> <error pattern>": with a bet id or without one
    QString done;
    // "<placements> <reductions> <replacements>", or the requests as Exchange::wire has them.
    QString requests;
    QString currency = QStringLiteral("GBP");
};

struct Result
{
    QString id;
    bool back = false;
    float price = 0;
    float amount = 0;
    QString error;
};

} // namespace

Q_DECLARE_METATYPE(Case)

class tst_BetPlacer : public QObject
{
    Q_OBJECT

private slots:
    void outcomes_data();
    void outcomes();

private:
    HttpTestServer server;
    LocalExchange local { server };
};

void tst_BetPlacer::outcomes_data()
{
    QTest::addColumn<Case>("job");
    const QString mixed = "1.5 A back 5 2.5; 1.5 B back 0.5 3.05; 1.6 C lay 1 4.5";
    const QString stopped = "^Stopped: left unmatched on the exchange at ";
    const QString stop = "^Betting was stopped due to errors$";
    const QString noExchange = R"(- ^No exchange serves market id "%1"$)";
    QString twelve;
    for (int m = 1; m <= 6; ++m)
        twelve += QStringLiteral("1.%1 M%1 back 0.%1 2.5; 2.%1 N%1 lay 9 2.5; ").arg(m);
    const Box none = Box::None;

    // The requests as the exchange takes them, to the cent: at the minimum or
    // above one placement; below, a placement where it cannot match, a
    // reduction and a move to the wanted price.
    const auto wire = [](const char* name, const char* currency, const char* bet, const char* requests) {
        QTest::newRow(name) << Case { bet, "", false, Box::None, "A id ^$", "^$", requests, currency };
    };
    wire("back at the minimum", "GBP", "1.5 A back 2 2.02", "api place LIMIT BACK 2.00@2.02 LAPSE");
    wire("lay above it", "EUR", "1.7 A lay 10.5 4.5 PERSIST", "api place LIMIT LAY 10.50@4.5 PERSIST");
    wire("1.996 is the minimum", "GBP", "1.5 A back 1.996 25 MARKET_ON_CLOSE",
        "api place LIMIT BACK 2.00@25 MARKET_ON_CLOSE");
    wire("1.995 rounds up to it", "GBP", "1.5 A back 1.995 1.01", "api place LIMIT BACK 2.00@1.01 LAPSE");
    wire("Australian market, SEK", "SEK", "2.31 A back 30 1000", "api-au place LIMIT BACK 30.00@1000 LAPSE");
    wire("back 0.5", "GBP", "1.5 A back 0.5 3.05",
        "api place LIMIT BACK 2.00@1000 LAPSE; api cancel 1001 -1.50; api replace 1001 >3.05");
    wire("lay 1.994, one cent short", "EUR", "1.5 A lay 1.994 3.05 PERSIST",
        "api place LIMIT LAY 2.00@1.01 PERSIST; api cancel 1001 -0.01; api replace 1001 >3.05");
    // Whatever goes wrong, every bet gets one outcome.
    QTest::newRow("reports reversed, numbers as text")
        << Case { "1.5 A back 5 2.5; 1.5 B back 0.5 3; 1.5 C lay 1 3", "text", false, none,
               "A id ^$; B id ^$; C id ^$", "^$", "1 1 1" };
    QTest::newRow("stakes that are no amount")
        << Case { "1.5 A back 0.004 2.5; 1.5 B back nan 2.5; 1.5 C back -1 2.5; 1.5 D back 1e10 2.5", "",
               false, none,
               "A - ^Invalid stake: 0.004$; B - ^Invalid stake: nan$; C - ^Invalid stake: -1$; D - ^Invalid",
               "^$", "0 0 0" };
    QTest::newRow("placements refused, one placed without a bet id")
        << Case { mixed, "place A refuse INSUFFICIENT_FUNDS; place B nobetid; place C refuse", false, none,
               "A - ^INSUFFICIENT_FUNDS$; B - ^LOGICAL ERROR$; C - ^FAILURE$", "^LOGICAL ERROR$", "2 0 0" };
    // A placement without report is never sent again; a later step once more.
    QTest::newRow("no placement report, replacement not made")
        << Case { mixed, "place B noreport; replace C cancelonly ERROR_IN_ORDER", false, none,
               "A id ^$; B - ^NO_REPORT$; C id ^ERROR_IN_ORDER$", "^$", "2 1 1" };
    QTest::newRow("reduction reported the second time, replacement never")
        << Case { mixed, "cancel B noreportonce; replace C noreport", false, none,
               "A id ^$; B id ^$; C id ^NO_REPORT$", "^$", "2 3 3" };
    QTest::newRow("placement refused, stop, bets in flight elsewhere") << Case {
        "1.5 A back 5 2.5; 1.6 B back 0.5 3.05; 1.7 C lay 0.5 3",
        "place A refuse INSUFFICIENT_FUNDS; hold 1.6; hold 1.7", true, none,
        "A - ^INSUFFICIENT_FUNDS$; B id " + stopped + "1000 for 2.00$; C id " + stopped + "1.01 for 2.00$",
        stop, "3 0 0"
    };
    QTest::newRow("reduction refused, stop, the other bet reduced")
        << Case { "1.5 A back 0.5 2.5; 1.5 B lay 1.5 3.05", "cancel A refuse BET_TAKEN_OR_LAPSED", true, none,
               "A id ^BET_TAKEN_OR_LAPSED$; B id " + stopped + "1.01 for 1.50$", stop, "1 1 0" };
    QTest::newRow("failing placement request, a bet in flight elsewhere")
        << Case { "1.5 A back 5 2.5; 1.5 B back 1 2.5; 1.6 C back 0.5 3", "http place 1.5; hold 1.6", false,
               none, "A - ^Network error: ; B - ^Network error: ; C id " + stopped + "1000 for 2.00$",
               "^Network error: ", "2 0 0" };
    QTest::newRow("markets of no exchange, stop: nothing sent")
        << Case { "3.1 A back 5 2.5; - B back 5 2.5; 1.5 C back 5 2.5; 2.5 D back 0.5 2.5", "", true, none,
               "A " + noExchange.arg("3\\.1") + "; B " + noExchange.arg("")
                   + "; C - ^Not placed: betting was stopped$; D - ^Not placed",
               stop, "0 0 0" };
    // Receivers open modal boxes, inside which further replies are handled.
    QTest::newRow("last reply of a pass arrives in a box")
        << Case { "1.5 A back 0.5 3.05; 1.5 B back 5 2.5; 1.6 C back 5 2.5", "place B refuse X; hold 1.6",
               false, Box::First, "A id ^$; B - ^X$; C id ^$", "^$", "2 1 1" };
    QTest::newRow("results of one reply still shown when the last arrives")
        << Case { "1.5 A back 5 2.5; 1.5 B back 5 2.5; 1.6 C back 5 2.5",
               "place A refuse X; place B refuse X; hold 1.6", false, Box::First, "A - ^X$; B - ^X$; C id ^$",
               "^$", "2 0 0" };
    QTest::newRow("two operations of one market overlap")
        << Case { "1.5 A back 0.5 3.05; 1.5 B lay 0.7 3.05; 1.5 C back 5 2; 1.6 D back 1 2",
               "cancel B noreportonce; place C refuse X; hold 1.6", false, Box::Every,
               "A id ^$; B id ^$; C - ^X$; D id ^$", "^$", "2 3 3" };
    QTest::newRow("a box on every result, twelve markets through the throttle")
        << Case { twelve, "", false, Box::Every, "M1 id ^$; N6 id ^$", "^$", "12 6 6" };
}

// One result per bet and one Done after them, carrying the first error;
// every success on the book as wanted, and no bet there the user has not
// been told of.
void tst_BetPlacer::outcomes()
{
    QFETCH(Case, job);
    Bets bets;
    QHash<QString, QList<QBetPlacer::QBet>> markets;
    for (const QString& line : Exchange::Split(job.bets)) {
        const QStringList f = line.split(' ');
        const QBetPlacer::QBet bet { f.at(2) == "back", f.at(4), f.at(3).toFloat(), 4700 + bets.size(),
            f.at(1), f.value(5, "LAPSE"), {}, 0 };
        bets.append({ f.at(0) == "-" ? QString() : f.at(0), bet });
        markets[bets.last().first].append(bet);
    }
    server.clearRequests();
    const auto exchange = std::make_shared<Exchange>();
    exchange->script(job.script, bets);
    for (const QString& prefix : QBetFair::EndpointPrefixes) {
        for (const char* operation : { "placeOrders", "cancelOrders", "replaceOrders" }) {
            server.setRpcHandler(LocalExchange::bettingPath(prefix),
                "SportsAPING/v1.0/" + QLatin1String(operation),
                [exchange](const RecordedRequest& request) { return exchange->answer(request); });
        }
    }
    QBetFair::SessionToken = QStringLiteral("tok");
    QBetFair::Currency = job.currency;
    QBetFair::StopOnError = job.stopOnError;

    // Receives the results as the results view does; a box is a modal one,
    // open until every reply under way is in. Held answers go with the first.
    auto* placer = new QBetPlacer;
    WorkerWatch watch(placer);
    QHash<QString, Result> results;
    int shown = 0;
    connect(placer, &QBetPlacer::BetResult, &watch,
        [&](const QString& id, const QString& name, bool back, float price, float amount, float, float,
            const QString& error) {
            QVERIFY2(watch.done.isEmpty(), "a result after Done");
            QVERIFY2(!results.contains(name), qPrintable(name + " twice"));
            results.insert(name, { id, back, price, amount, error });
            exchange->released = true;
            server.releaseAll();
            if (job.box == Box::Every || (job.box == Box::First && shown++ == 0))
                RunModalBox([this] { return RepliesSettled(server); }, Patience);
        });
    placer->Bet(markets);
    QTRY_VERIFY_WITH_TIMEOUT(watch.deleted(), Patience);
    QBetFair::StopOnError = false;

    QCOMPARE(results.size(), bets.size());
    QVERIFY2(watch.endedWith(job.done), qPrintable(watch.done.join('|')));
    for (const QString& line : Exchange::Split(job.expected)) {
        const Result result = results.value(line.section(' ', 0, 0));
        QVERIFY_MATCHES(line.section(' ', 2), result.error);
        QVERIFY2((line.section(' ', 1, 1) == "id") != result.id.isEmpty(), qPrintable(line));
    }
    QHash<QString, qint64> reported; // bet id -> selection
    const QMutexLocker locker(&exchange->mutex);
    for (const auto& [market, bet] : bets) {
        QVERIFY2(results.contains(bet.name), qPrintable(bet.name));
        const Result result = results.value(bet.name);
        reported.insert(result.id, bet.selectionId);
        if (!result.error.isEmpty())
            continue;
        // Selection, side, price and cents: as wanted, as placed and as reported.
        const Exchange::Order placed = exchange->book.value(result.id);
        const auto bet4 = [](qint64 selection, bool back, double price, qint64 cents) {
            return QStringLiteral("%1 %2 %3 %4").arg(selection).arg(back).arg(price).arg(cents);
        };
        const QString wanted = bet4(bet.selectionId, bet.back, bet.price.toDouble(), CentsOf(bet.stake));
        QCOMPARE(bet4(placed.selection, placed.back, placed.price.toDouble(), placed.cents), wanted);
        QCOMPARE(bet4(bet.selectionId, result.back, result.price, qRound64(result.amount * 100)), wanted);
    }
    for (auto order = exchange->book.cbegin(); order != exchange->book.cend(); ++order) {
        QVERIFY2(!order->named || reported.value(order.key()) == order->selection,
            qPrintable(QStringLiteral("bet %1 at %2 never reported").arg(order.key(), order->price)));
    }
    for (const RecordedRequest& request : server.requests()) {
        QVERIFY2(!request.body.contains("\"0.00\""), request.body.constData());
        QCOMPARE(request.header("X-Authentication"), QByteArray("tok"));
    }
    const QString wire = exchange->wire.join("; ");
    const QString counts = QStringLiteral("%1 %2 %3").arg(wire.count(" place ")).arg(wire.count(" cancel "));
    QCOMPARE(job.requests.contains("place") ? wire : counts.arg(wire.count(" replace ")), job.requests);
}

QTEST_GUILESS_MAIN(tst_BetPlacer)
#include "tst_betplacer.moc"
